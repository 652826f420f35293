// The upload workflow: read the port and the path afresh, build the line, test the port, run
// the programmer and report. A path that cannot be passed on safely is refused before the port
// is touched. While the programmer runs the window stays alive: its output and progress are
// shown as they come, and the upload button, which then reads "Stop programming", stops it.
#include "upload.h"

#include <windows.h>

#include "app/appState.h"
#include "app/startup.h"
#include "app/ui.h"
#include "platform/codePagePath.h"
#include "platform/trace.h"
#include "programmer.h"
#include "programmerOutput.h"
#include "resource.h"
#include "serial/portScan.h"

namespace {

const UploadVerdict kSucceeded = {"Programming successful", "Success",
                                  "Programming Arduino Success\n", 0};
const UploadVerdict kFailed = {"Programming failed", "Error", "Programming Arduino failed\n", 1};
const UploadVerdict kPortNotFound = {"Programming failed, Serial port is not found", "Error",
                                     "Programming Arduino failed, serial port not found\n", 3};
const UploadVerdict kPortInUse = {"Programming failed, Serial port is in use", "Error",
                                  "Programming Arduino failed, serial port in use\n", 4};
const UploadVerdict kPathHasQuote = {
    "Programming failed, the firmware path contains a double quote (\").\n"
    "Rename the file or its folder and select it again.",
    "Error", "Programming Arduino failed, path contains a double quote\n", 5};
const UploadVerdict kPathTooLong = {
    "Programming failed, the firmware path is too long.\n"
    "Move the file to a folder with a shorter path and select it again.",
    "Error", "Programming Arduino failed, path too long\n", 5};
const UploadVerdict kPathNotInCodePage = {
    "Programming failed, the firmware path has characters this Windows cannot pass to the "
    "programmer.\nMove the file to a folder with a plain name and select it again.",
    "Error", "Programming Arduino failed, path has characters outside the code page\n", 5};
const UploadVerdict kNoProgrammer = {"Programming failed", "Error",
                                     "Programming Arduino failed\n", 6};
const UploadVerdict kTimedOut = {"Programming failed", "Error", "Programming Arduino failed\n", 7};
const UploadVerdict kStopped = {"Programming stopped", "Stopped", "Programming Arduino stopped\n",
                                8};

// The line that ends the log view after a run that did not succeed.
std::string reasonFor(const ProgrammerRun& run)
{
    switch (run.outcome) {
    case PROGRAMMER_FAILED:
        return failureReason(run.lastError, run.exitCode);
    case PROGRAMMER_MISSING:
        if (!startFailureReason(run.startError).empty()) {
            return "Programming failed: avrdude.exe could not be started: " +
                   startFailureReason(run.startError) + ".";
        }
        return "Programming failed: avrdude.exe could not be started. Put avrdude.exe and "
               "avrdude.conf in the same folder as VexlorLoader.exe.";
    case PROGRAMMER_TIMED_OUT:
        if (!run.lastError.empty()) {
            return failureReason(run.lastError, run.exitCode) +
                   " (The programmer was still trying after five minutes and was stopped.)";
        }
        return "Programming failed: the programmer was still running after five minutes and "
               "was stopped. Unplug and replug the board, then try again.";
    case PROGRAMMER_STOPPED:
        return "Programming stopped. The board keeps its bootloader: flash it again to put "
               "firmware on it.";
    case PROGRAMMER_SUCCEEDED:
        break;
    }
    return "";
}

const UploadVerdict& verdictFor(ProgrammerOutcome outcome)
{
    switch (outcome) {
    case PROGRAMMER_SUCCEEDED:
        return kSucceeded;
    case PROGRAMMER_MISSING:
        return kNoProgrammer;
    case PROGRAMMER_TIMED_OUT:
        return kTimedOut;
    case PROGRAMMER_STOPPED:
        return kStopped;
    case PROGRAMMER_FAILED:
        break;
    }
    return kFailed;
}

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
        return app.stopRequested != 0;
    }
};

// While flashing, what could start something else or open the programmer's port is locked and
// the upload button offers the stop.
void lockControls(bool flashing)
{
    app.flashing = flashing ? 1 : 0;
    app.stopRequested = 0;
    showControlStates();
    // What Windows shows when a shutdown waits for the program (it is refused meanwhile).
    if (flashing) {
        ShutdownBlockReasonCreate(app.mainWindow, L"Firmware is being written to the board");
    } else {
        ShutdownBlockReasonDestroy(app.mainWindow);
    }
}

} // namespace

UploadVerdict flashFirmware(const std::wstring& firmwarePath, ProgrammerWatcher& watcher,
                            std::string& reason)
{
    reason.clear();
    // avrdude takes the path in the code page: one the code page cannot write goes in its
    // short form. Cut to what the button reads of the path field: a path that long never fits
    // the parameter line, so it is refused as too long.
    CodePagePath path = codePagePathOf(firmwarePath);
    lstrcpynA(app.firmwarePath, path.path.c_str(), sizeof app.firmwarePath);
    if (!path.passable) {
        return kPathNotInCodePage;
    }
    int params = buildProgrammerParams();
    if (params == PARAMS_PATH_HAS_QUOTE) {
        return kPathHasQuote;
    }
    if (params != PARAMS_READY) {
        return kPathTooLong;
    }
    switch (probePort(app.mainWindow, app.portName)) {
    case PORT_IN_USE:
        return kPortInUse;
    case PORT_NOT_FOUND:
        return kPortNotFound;
    default:
        break;
    }
    trace("param: %s\n", app.programmerParams);
    watcher.outputLine(std::string("Programming ") + app.portName + " with " + app.firmwarePath);
    ProgrammerRun run = runProgrammer(watcher);
    reason = reasonFor(run);
    return verdictFor(run.outcome);
}

void uploadFirmware()
{
    if (app.flashing) {
        trace("Stop programming requested\n");
        app.stopRequested = 1;
        return;
    }
    if (!readShownPortName("Programming Arduino:\n")) {
        refuseUnnamedPort();
        setStatusLine("OK");
        return;
    }
    trace("Port %s\n", app.portName);
    wchar_t path[sizeof app.firmwarePath] = L"";
    GetDlgItemTextW(app.mainWindow, IDC_PATH_FIELD, path, 1023);
    trace("Filename %s\n", narrowText(path).c_str());

    WindowWatcher watcher;
    std::string reason;
    lockControls(true);
    UploadVerdict verdict = flashFirmware(path, watcher, reason);
    bool closing = app.closeAfterFlash != 0;
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
