// Choosing the firmware image to flash.
#pragma once

#include <windows.h>

// Runs the open-file dialog and stores its outcome (empty after a cancel) in firmwarePath.
void chooseFirmwareFile(HWND window);

// Handler of "Select &File".
void selectFirmwareFile();
