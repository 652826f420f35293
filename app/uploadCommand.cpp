// The upload button, and the system menu's read-back and comparison of the board. While the
// programmer runs the window stays alive: its output and progress are shown as they come, and
// the upload button, which then reads "Stop programming" (or "Stop reading", "Stop verifying"),
// stops it.
//
// Top floor (app/, the window): may include every floor below it.
#include "uploadCommand.h"

#include <windows.h>

#include <string>

#include "appState.h"
#include "platform/codePagePath.h"
#include "platform/fileDialog.h"
#include "platform/trace.h"
#include "programming/fileSelection.h"
#include "programming/readBack.h"
#include "programming/upload.h"
#include "resource.h"
#include "startup.h"
#include "ui.h"

namespace {

// The programmer's run as the window sees it.
bool flashing = false;
BoardTask runningTask = TASK_FLASH;
bool stopRequested = false;
bool closeAfterFlash = false;
RunningProgrammer* programmer = nullptr; // while the programmer runs

// The window's side of a run: output to the end of the log view (and the trace), progress to
// the status line, and every message handled while waiting, so the window never stops
// answering; the upload button's click in that time asks for the stop.
class WindowWatcher : public ProgrammerWatcher {
public:
    void outputLine(const std::string& line) override
    {
        trace("%s\n", line.c_str());
        appendToLogEnd((line + "\r\n").c_str());
    }

    // Painted at once: the user sees the status of the run while it goes.
    void progress(const std::string& text) override
    {
        setStatusLine(text.c_str());
        paintNow();
    }

    bool waitForProcess(HANDLE process, DWORD waitMs) override
    {
        MsgWaitForMultipleObjects(1, &process, FALSE, waitMs, QS_ALLINPUT);
        handleWaitingMessages();
        return stopRequested;
    }

    void running(RunningProgrammer* started) override { programmer = started; }
};

// While flashing, what could start something else or open the programmer's port is locked and
// the upload button offers the stop.
void lockControls(bool locked)
{
    flashing = locked;
    stopRequested = false;
    showControlStates();
    // What Windows shows when a shutdown waits for the program (it is refused meanwhile).
    if (locked && runningTask == TASK_FLASH) {
        ShutdownBlockReasonCreate(app.mainWindow, L"Firmware is being written to the board");
    } else {
        ShutdownBlockReasonDestroy(app.mainWindow);
    }
}

// Runs task on the board on port with the file at path, and tells the user how it went.
void runOnBoard(BoardTask task, const std::string& port, const std::wstring& path)
{
    WindowWatcher watcher;
    std::string reason;
    runningTask = task;
    lockControls(true);
    UploadVerdict verdict =
        task == TASK_READ     ? saveBoardFirmware(port, path, watcher, reason)
        : task == TASK_VERIFY ? verifyBoardFirmware(port, path, watcher, reason)
                              : flashFirmware(port, path, watcher, reason);
    bool closing = closeAfterFlash;
    lockControls(false);
    if (!reason.empty()) {
        watcher.outputLine(reason);
    }
    if (!closing) {
        MessageBoxA(app.mainWindow, verdict.text.c_str(), verdict.caption.c_str(), MB_OK);
    }
    trace("%s", verdict.traceLine.c_str());
    setStatusLine("OK");
    trace("%s done\n", traceNameOf(task).c_str());
    if (closing) {
        DestroyWindow(app.mainWindow);
    }
}

// The port shown, for a task that is about to start; false (the user told) when none is named.
bool portForTask(BoardTask task, std::string& port)
{
    if (!readShownPortName((traceNameOf(task) + ":\n").c_str(), port)) {
        refuseUnnamedPort();
        setStatusLine("OK");
        return false;
    }
    trace("Port %s\n", port.c_str());
    return true;
}

// Names the port, asks for the file in dialog (proposing proposed) and runs task with it.
void askForFileAndRun(BoardTask task, const FileDialog& dialog, std::wstring path)
{
    std::string port;
    if (!portForTask(task, port)) {
        return;
    }
    if (!askForFile(app.mainWindow, dialog, path)) {
        trace("No file chosen\n");
        return;
    }
    trace("Filename %s\n", narrowText(path).c_str());
    runOnBoard(task, port, path);
}

} // namespace

bool isFlashing()
{
    return flashing;
}

bool isWritingBoard()
{
    return flashing && runningTask == TASK_FLASH;
}

BoardTask boardTaskRunning()
{
    return runningTask;
}

bool isClosingAfterFlash()
{
    return closeAfterFlash;
}

void stopFlashAndClose()
{
    closeAfterFlash = true;
    stopRequested = true;
}

void endProgrammerNow()
{
    if (programmer != nullptr) {
        programmer->end();
    }
}

void uploadFirmware()
{
    if (flashing) {
        trace("Stop programming requested\n");
        stopRequested = true;
        return;
    }
    std::string port;
    if (!portForTask(TASK_FLASH, port)) {
        return;
    }
    wchar_t path[kFirmwarePathRoom] = L"";
    GetDlgItemTextW(app.mainWindow, IDC_PATH_FIELD, path, kFirmwarePathRoom - 1);
    trace("Filename %s\n", narrowText(path).c_str());
    runOnBoard(TASK_FLASH, port, path);
}

void saveBoardFirmwareAs()
{
    askForFileAndRun(TASK_READ, boardCopyDialog(), L"board-firmware.hex");
}

void verifyBoardAgainstFile()
{
    // The file in the path field is the one most likely asked about; text that names no file
    // is not proposed, as the dialog would refuse to open with a name it cannot take.
    wchar_t shown[kFirmwarePathRoom] = L"";
    GetDlgItemTextW(app.mainWindow, IDC_PATH_FIELD, shown, kFirmwarePathRoom - 1);
    DWORD attributes = GetFileAttributesW(shown);
    bool isFile = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    askForFileAndRun(TASK_VERIFY, verifyDialog(), isFile ? shown : L"");
}

void addBoardCommands(HWND window)
{
    HMENU menu = GetSystemMenu(window, FALSE);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, IDM_SAVE_BOARD_FIRMWARE, "Save the board's firmware as...");
    AppendMenuA(menu, MF_STRING, IDM_VERIFY_BOARD, "Verify the board against a file...");
}
