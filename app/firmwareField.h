// The firmware file in the window: "Select &File", files dropped on the path field, a file given
// on the command line or remembered from the last run.
//
// Top floor (app/, the window): may include every floor below it.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

// A firmware file was chosen, dropped or given (the upload button may then be used).
bool isFileChosen();

// The firmware path to remember for the next start, given what the path field holds: the file
// chosen, dropped or given, whole, while the field still shows it (maybe in the code page's
// short form); what was typed otherwise.
std::wstring firmwarePathToRemember(const std::wstring& fieldText);

// Handler of "Select &File".
void selectFirmwareFile();

// Takes path as if it had been chosen in the dialog (a file given on the command line).
void openFirmwareFile(const std::wstring& path);

// Lets the path field pass files dropped on it to the main window (the field accepts drops,
// but an edit control does nothing with them).
void forwardDroppedFiles(HWND pathField);

// Handler of files dropped on the path field: one file is taken as if chosen in the dialog;
// several files or a folder are refused with a box. Releases the drop in every case.
void dropFirmwareFiles(HDROP drop);
