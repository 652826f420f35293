// Keeping the log: "Save log as..." and "Log to file..." on the window's system menu, and the
// one log file the program writes while "Log to file..." is ticked (log mode writes it).
//
// Top floor (app/, the window): may include every floor below it.
#pragma once

#include <windows.h>

#include <string>

#include "gateway/logFile.h"

// Adds the log file commands to the main window's system menu.
void addLogFileCommands(HWND window);

// Handlers of the system-menu commands.
void saveLogAs();
void toggleLogToFile();
void toggleDailyLogFiles();
// "New log file each day": the option as the last run left it, and as it is now.
void setDailyLogFiles(bool on);
bool isDailyLogFiles();
// What "Log to file..." does with the chosen path; false (after a box) when it cannot be opened.
bool startLogFile(const std::wstring& path);
bool startLogFile(const char* path);
// Log to file with a file opened elsewhere (at start-up, the one the last run wrote, opened off
// the window's thread); false, leaving it, when a log file was chosen meanwhile.
bool resumeLogFile(LogFile& opened);

// The file log mode writes to while "Log to file..." is on.
LogFile& logFile();

// The file being written, empty when none is: as messages show it, and whole.
std::string logFilePath();
std::wstring logFileFullPath();
void closeLogFile();

// A write to the log file failed and closed it: the menu is unticked, and the box about it is
// shown from this message posted to the main window, never inside the poll that found it.
void noteLogFileStopped(const std::string& path, const std::string& reason);
constexpr UINT kLogFileFailedMessage = WM_APP + 1;
void reportLogFileError();
