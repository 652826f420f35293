// Keeping the log. The file is opened for appending, so choosing an existing log file adds to
// it. A write that fails closes the file at once and log mode says so in the log view; the box
// comes from a posted message, after the poll that found the failure has finished.
//
// Top floor (app/, the window): may include every floor below it.
#include "logKeeping.h"

#include <commdlg.h>

#include "appState.h"
#include "platform/codePagePath.h"
#include "platform/fileDialog.h"
#include "platform/trace.h"
#include "resource.h"
#include "ui.h"

namespace {

LogFile gatewayLogFile;
bool dailyLogFiles = false; // "New log file each day", also while no file is written
std::string failedPath;     // the file whose write failed, until its box was shown
std::string failedReason;

void tick(UINT command, bool on)
{
    CheckMenuItem(GetSystemMenu(app.mainWindow, FALSE), command,
                  MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

void tickLogToFile(bool on)
{
    tick(IDM_LOG_TO_FILE, on);
}

// Asks for a file to write with the save dialog, proposing path; false when the user cancelled.
bool askFileName(const wchar_t* title, DWORD extraFlags, std::wstring& path)
{
    const FileDialog dialog = {
        true, title, L"Log Files (*.log, *.txt)\0*.log;*.txt\0All Files\0*\0", L"log",
        OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | extraFlags};
    return askForFile(app.mainWindow, dialog, path);
}

void showFileError(const char* what, const char* path, DWORD error)
{
    std::string text = std::string(what) + "\n" + path + "\n(" + describeFileError(error) + ").";
    MessageBoxA(app.mainWindow, text.c_str(), "Error", MB_OK | MB_ICONERROR);
}

} // namespace

void addLogFileCommands(HWND window)
{
    HMENU menu = GetSystemMenu(window, FALSE);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, IDM_SAVE_LOG_AS, "Save log as...");
    AppendMenuA(menu, MF_STRING, IDM_LOG_TO_FILE, "Log to file...");
    AppendMenuA(menu, MF_STRING, IDM_DAILY_LOG_FILES, "New log file each day");
}

void saveLogAs()
{
    std::wstring chosen = L"gateway-log.txt";
    if (!askFileName(L"Save log as", OFN_OVERWRITEPROMPT, chosen)) {
        return;
    }
    std::string text = logViewText();

    DWORD error = 0;
    // Opened by its wide name: a name the code page cannot write would open another file.
    HANDLE file = CreateFileW(chosen.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = GetLastError();
    } else {
        DWORD written = 0;
        if (!WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
            error = GetLastError();
        } else if (written != text.size()) {
            error = ERROR_DISK_FULL;
        }
        CloseHandle(file);
    }
    bool saved = error == 0;
    std::string path = codePagePathOf(chosen).path;
    trace("Save log as %s: %s\n", path.c_str(), saved ? "saved" : "failed");
    if (!saved) {
        showFileError("Could not save the log to", path.c_str(), error);
    }
}

void toggleLogToFile()
{
    if (gatewayLogFile.isOpen()) {
        trace("Log to file off: %s\n", gatewayLogFile.path().c_str());
        gatewayLogFile.close();
        tickLogToFile(false);
        return;
    }
    std::wstring path = L"gateway.log";
    if (askFileName(L"Log to file", 0, path)) {
        startLogFile(path);
    }
}

void toggleDailyLogFiles()
{
    setDailyLogFiles(!dailyLogFiles);
    trace("New log file each day: %s\n", dailyLogFiles ? "on" : "off");
    // A file being written goes on at once under the other name; failing that, it stops as a
    // failed write does.
    if (gatewayLogFile.isOpen() && !gatewayLogFile.setDaily(dailyLogFiles, logTimeNow())) {
        std::string reason = describeFileError(gatewayLogFile.lastError());
        gatewayLogFile.close();
        appendToLogEnd(("-- Log file stopped: " + reason + " --\r\n").c_str());
        noteLogFileStopped(gatewayLogFile.path(), reason);
    }
}

void setDailyLogFiles(bool on)
{
    dailyLogFiles = on;
    tick(IDM_DAILY_LOG_FILES, on);
}

bool isDailyLogFiles()
{
    return dailyLogFiles;
}

bool startLogFile(const char* path)
{
    return startLogFile(wideText(path));
}

bool startLogFile(const std::wstring& path)
{
    LogFile opened;
    if (!opened.open(path, dailyLogFiles)) {
        showFileError("Could not open the log file", opened.path().c_str(), opened.lastError());
        return false;
    }
    return resumeLogFile(opened);
}

bool resumeLogFile(LogFile& opened)
{
    if (gatewayLogFile.isOpen()) {
        return false; // the user chose one meanwhile
    }
    gatewayLogFile.takeOver(opened);
    // The option may have changed while the file was opened off the window's thread.
    if (!gatewayLogFile.setDaily(dailyLogFiles, logTimeNow())) {
        showFileError("Could not open the log file", gatewayLogFile.path().c_str(),
                      gatewayLogFile.lastError());
        return false;
    }
    trace("Log to file on: %s\n", gatewayLogFile.path().c_str());
    tickLogToFile(true);
    return true;
}

LogFile& logFile()
{
    return gatewayLogFile;
}

std::string logFilePath()
{
    return gatewayLogFile.isOpen() ? gatewayLogFile.path() : std::string();
}

std::wstring logFileFullPath()
{
    return gatewayLogFile.isOpen() ? gatewayLogFile.fullPath() : std::wstring();
}

void closeLogFile()
{
    gatewayLogFile.close();
}

void noteLogFileStopped(const std::string& path, const std::string& reason)
{
    failedPath = path;
    failedReason = reason;
    tickLogToFile(false);
    PostMessageA(app.mainWindow, kLogFileFailedMessage, 0, 0);
}

void reportLogFileError()
{
    if (failedPath.empty()) {
        return;
    }
    std::string text = "Could not write to the log file\n" + failedPath + "\n(" + failedReason +
                       ").\n\nLogging to the file has stopped; log mode goes on.";
    failedPath.clear();
    MessageBoxA(app.mainWindow, text.c_str(), "Error", MB_OK | MB_ICONERROR);
}
