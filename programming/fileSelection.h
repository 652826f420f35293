// Choosing the firmware image: the open-file dialog's settings and the rule for files dropped
// on the window.
//
// Subsystem floor (programming/): knows no window; includes serial/ and platform/ only.
#pragma once

#include <windows.h>

#include <string>

#include "platform/fileDialog.h"

// The open-file dialog for a firmware image (*.cpp.hex, or any file).
const FileDialog& firmwareDialog();

// Why a drop is refused, as the box says it; null when its one file is taken. count is the
// number of files dropped, pathFits whether the one file's path fits the path field, isFolder
// whether it names a folder.
const char* dropRefusal(UINT count, bool pathFits, bool isFolder);
