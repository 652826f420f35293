// Keeping the log: "Save log as..." and "Log to file..." on the window's system menu, and the
// one log file the program writes while "Log to file..." is ticked.
#pragma once

#include <windows.h>

#include <stddef.h>

#include <string>

// Adds the two commands to the main window's system menu.
void addLogFileCommands(HWND window);

// Handlers of the two system-menu commands.
void saveLogAs();
void toggleLogToFile();
// What "Log to file..." does with the chosen path; false (after a box) when it cannot be opened.
bool startLogFile(const std::wstring& path);
bool startLogFile(const char* path);
// The same at start-up for the file the last run wrote: no box; false with the reason.
bool reopenLogFile(const std::wstring& path, std::string& reason);

// What log mode writes to the file while one is open: received bytes, and lines of the
// program's own (a command it sent, a note about the port). A port that went away leaves
// its last line unfinished: portLost writes that part and then the note.
void logReceived(const char* text, size_t count);
void logLine(const char* text);
void logPortLost(const char* note);

// The file being written, empty when none is.
std::string logFilePath();
void closeLogFile();

// Shows the box about a failed write. The failure posts this message to the main window, so
// the box never opens inside the poll that found it.
constexpr UINT kLogFileFailedMessage = WM_APP + 1;
void reportLogFileError();
