// What a run remembers: the window's side of the settings file.
//
// Top floor (app/, the window): may include every floor below it.
#include "sessionSettings.h"

#include <memory>

#include "appState.h"
#include "firmwareField.h"
#include "logKeeping.h"
#include "logModeCommands.h"
#include "platform/codePagePath.h"
#include "platform/uiTask.h"
#include "portListControl.h"
#include "programming/upload.h"
#include "resource.h"
#include "serial/portName.h"
#include "ui.h"

namespace {

Settings written; // what the file holds, as this run last read or wrote it

bool isExistingFile(const std::wstring& path)
{
    // Only a full path: a relative one would name another file once the current folder moved.
    bool isFull = (path.size() > 2 && path[1] == L':' && path[2] == L'\\') ||
                  path.compare(0, 2, L"\\\\") == 0;
    DWORD attributes = isFull ? GetFileAttributesW(path.c_str()) : INVALID_FILE_ATTRIBUTES;
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

BOOL CALLBACK addWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM areas)
{
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info)) {
        reinterpret_cast<std::vector<RECT>*>(areas)->push_back(info.rcWork);
    }
    return TRUE;
}

void placeWindow(int left, int top)
{
    RECT window = {};
    GetWindowRect(app.mainWindow, &window);
    std::vector<RECT> areas;
    EnumDisplayMonitors(nullptr, nullptr, addWorkArea, reinterpret_cast<LPARAM>(&areas));
    POINT place = placeOnScreen(left, top, window.right - window.left, window.bottom - window.top,
                                areas);
    SetWindowPos(app.mainWindow, nullptr, place.x, place.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The looks for the last run's files still under way, off the window's thread.
int pendingLooks = 0;

// The status line while they are: a share that does not answer may take long, or for ever.
const char kLookingForFiles[] = "Looking for the last run's files..";

void lookDone()
{
    if (--pendingLooks == 0 &&
        windowText(GetDlgItem(app.mainWindow, IDC_STATUS_LINE)) == kLookingForFiles) {
        setStatusLine("OK");
    }
}

// The firmware file, shown when it still exists, unless a file was given, chosen or typed
// meanwhile.
void lookForFirmware(const std::wstring& path)
{
    auto exists = std::make_shared<bool>(false);
    ++pendingLooks;
    runOffWindowThread(
        app.mainWindow, [exists, path]() { *exists = isExistingFile(path); },
        [exists, path]() {
            bool fieldEmpty = GetWindowTextLengthW(GetDlgItem(app.mainWindow, IDC_PATH_FIELD)) == 0;
            if (*exists && !isFileChosen() && fieldEmpty) {
                openFirmwareFile(path);
            }
            lookDone();
        });
}

// Log to file as it was left, unless one was chosen meanwhile. A file that cannot be opened
// again is said in the log view, not in a box, as nobody asked for it just now.
void lookForLogFile(const std::wstring& path, bool daily)
{
    auto opened = std::make_shared<LogFile>();
    ++pendingLooks;
    runOffWindowThread(
        app.mainWindow, [opened, path, daily]() { opened->open(path, daily); },
        [opened, path, daily]() {
            if (opened->isOpen()) {
                resumeLogFile(*opened);
            } else {
                // In daily mode, today's file is the one that could not be opened.
                std::string tried = daily ? opened->path() : narrowText(path);
                appendToLogEnd(("-- Log to file is off: " + tried +
                                " could not be opened again (" +
                                describeFileError(opened->lastError()) + ") --\r\n")
                                   .c_str());
            }
            lookDone();
        });
}

} // namespace

void restoreSettings(const Settings& remembered)
{
    written = remembered;
    showLogTimes(remembered.showLogTimes);
    restoreSentCommands(remembered.commands);
    if (remembered.hasWindowPosition) {
        placeWindow(remembered.windowLeft, remembered.windowTop);
    }
    // Looked for off the window's thread: the window shows and answers meanwhile.
    if (!remembered.firmwarePath.empty()) {
        lookForFirmware(remembered.firmwarePath);
    }
    setDailyLogFiles(remembered.logFileDaily);
    if (remembered.logToFile) {
        lookForLogFile(remembered.logFilePath, remembered.logFileDaily);
    }
    if (pendingLooks > 0) {
        setStatusLine(kLookingForFiles);
    }
}

void rememberSettings()
{
    // A command that closed the window (a close during a flash) was remembered while it closed.
    if (!IsWindow(app.mainWindow)) {
        return;
    }
    Settings now = written;
    wchar_t path[kFirmwarePathRoom] = L"";
    GetDlgItemTextW(app.mainWindow, IDC_PATH_FIELD, path, sizeof path / sizeof path[0]);
    // Asked again only when the field changed: a share that does not answer may take seconds.
    static std::wstring checkedPath;
    static bool checkedExists = false;
    std::wstring whole = firmwarePathToRemember(path);
    if (checkedPath != whole) {
        checkedPath = whole;
        checkedExists = isExistingFile(whole);
    }
    now.firmwarePath = checkedExists ? checkedPath : L"";
    if (pendingLooks > 0 && whole.empty()) {
        now.firmwarePath = written.firmwarePath; // still being looked for
    }
    now.portName = portNameFromText(windowText(GetDlgItem(app.mainWindow, IDC_PORT_LIST)));
    now.portDevice = shownPortDevice(app.mainWindow);
    // A minimised or maximised window keeps the place it had before.
    RECT window = {};
    if (!IsIconic(app.mainWindow) && !IsZoomed(app.mainWindow) &&
        GetWindowRect(app.mainWindow, &window)) {
        now.hasWindowPosition = true;
        now.windowLeft = window.left;
        now.windowTop = window.top;
    }
    std::wstring logFile = logFileFullPath();
    if (pendingLooks == 0 || !logFile.empty()) {
        now.logToFile = !logFile.empty();
        now.logFilePath = now.logToFile ? logFile : written.logFilePath;
    }
    now.logFileDaily = isDailyLogFiles();
    now.showLogTimes = areLogTimesShown();
    now.commands = sentCommands();
    // Quietly: the trace shows what the user did, not this bookkeeping after it.
    if (now != written && saveSettings(now)) {
        written = now;
    }
}
