// Choosing the firmware image to flash.
#pragma once

// Handler of "Select &File".
void selectFirmwareFile();
