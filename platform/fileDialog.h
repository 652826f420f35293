// The open and save dialogs of the program (the firmware file, the log files), in wide
// characters: a file in a folder whose name the code page cannot write comes back whole.
//
// Ground floor (platform/): knows no feature, includes nothing of the program; every floor may
// use it.
#pragma once

#include <windows.h>

#include <string>

struct FileDialog {
    bool save;                       // the save dialog; otherwise the open dialog
    const wchar_t* title;
    const wchar_t* filter;           // pairs of a name and a pattern, each ended by a NUL
    const wchar_t* defaultExtension; // added to a name typed without one; null for none
    DWORD flags;                     // OFN_...
};

// Runs the dialog over owner, proposing path (a file name, or empty); the chosen file goes to
// path. False when it was cancelled or failed (path is then left as it was).
bool askForFile(HWND owner, const FileDialog& dialog, std::wstring& path);
