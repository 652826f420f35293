// Choosing the firmware image: the file dialogs' settings and the rule for files dropped on the
// window.
//
// Subsystem floor (programming/): knows no window; includes serial/ and platform/ only.
#pragma once

#include <windows.h>

#include <string>

#include "platform/fileDialog.h"

// The open-file dialog for a firmware image (*.hex, or any file).
const FileDialog& firmwareDialog();
// The open-file dialog for the file the board is compared with.
const FileDialog& verifyDialog();
// The save dialog for the copy of the board's firmware (.hex added to a name without one).
const FileDialog& boardCopyDialog();

// Why a drop is refused, as the box says it; null when its one file is taken. count is the
// number of files dropped, pathFits whether the one file's path fits the path field, isFolder
// whether it names a folder.
const char* dropRefusal(UINT count, bool pathFits, bool isFolder);
