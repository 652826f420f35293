// The upload button. While the programmer runs the window stays alive: its output and progress
// are shown as they come, and the upload button, which then reads "Stop programming", stops it.
//
// Top floor (app/, the window): may include every floor below it.
#include "uploadCommand.h"

#include <windows.h>

#include <string>

#include "appState.h"
#include "platform/codePagePath.h"
#include "platform/trace.h"
#include "programming/upload.h"
#include "resource.h"
#include "startup.h"
#include "ui.h"

namespace {

// The flash run as the window sees it.
bool flashing = false;
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
    if (locked) {
        ShutdownBlockReasonCreate(app.mainWindow, L"Firmware is being written to the board");
    } else {
        ShutdownBlockReasonDestroy(app.mainWindow);
    }
}

} // namespace

bool isFlashing()
{
    return flashing;
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
    if (!readShownPortName("Programming Arduino:\n", port)) {
        refuseUnnamedPort();
        setStatusLine("OK");
        return;
    }
    trace("Port %s\n", port.c_str());
    wchar_t path[kFirmwarePathRoom] = L"";
    GetDlgItemTextW(app.mainWindow, IDC_PATH_FIELD, path, kFirmwarePathRoom - 1);
    trace("Filename %s\n", narrowText(path).c_str());

    WindowWatcher watcher;
    std::string reason;
    lockControls(true);
    UploadVerdict verdict = flashFirmware(port, path, watcher, reason);
    bool closing = closeAfterFlash;
    lockControls(false);
    if (!reason.empty()) {
        watcher.outputLine(reason);
    }
    if (!closing) {
        MessageBoxA(app.mainWindow, verdict.text, verdict.caption, MB_OK);
    }
    trace("%s", verdict.traceLine);
    setStatusLine("OK");
    trace("Programming Arduino done\n");
    if (closing) {
        DestroyWindow(app.mainWindow);
    }
}
