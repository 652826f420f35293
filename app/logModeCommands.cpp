// Log mode's commands. Starting blocks the window for about three seconds (the gateway's banner
// is waited for), so the window is painted first; the poll timer is stopped while a command
// waits for the gateway's answer, so no poll reads that answer half. The commands sent are kept
// for Up and Down in the command field (commandHistory.h).
//
// Top floor (app/, the window): may include every floor below it.
#include "logModeCommands.h"

#include <windows.h>

#include <string>

#include "appState.h"
#include "commandHistory.h"
#include "gateway/gatewayCommands.h"
#include "gateway/logSession.h"
#include "logKeeping.h"
#include "platform/trace.h"
#include "resource.h"
#include "serial/serial.h"
#include "ui.h"

namespace {

constexpr UINT kPollPeriodMs = 1000;

// What the session reports goes to the log view, the status line and the controls.
class WindowLogWatcher : public LogSessionWatcher {
public:
    void show(const char* text) override { appendToLogEnd(text); }
    void stateChanged() override { showControlStates(); }
    void status(const char* text) override { setStatusLine(text); }
    void logFileStopped(const std::string& path, const std::string& reason) override
    {
        noteLogFileStopped(path, reason);
    }
};

WindowLogWatcher watcher;
bool loggingOn = false;
bool gatewayDebugOn = false;
CommandHistory history;

LogSession& session()
{
    static LogSession theSession(watcher, logFile());
    return theSession;
}

void armPollTimer()
{
    SetTimer(app.mainWindow, kPollTimer, kPollPeriodMs, nullptr);
}

void stopPollTimer()
{
    KillTimer(app.mainWindow, kPollTimer);
}

void endFailedStart()
{
    stopPollTimer();
    showControlStates();
    setStatusLine("OK");
}

void startLogMode()
{
    showControlStates();
    paintNow(); // the start blocks the window for about three seconds
    std::string port;
    if (!readShownPortName("Serial Log mode:\n", port)) {
        loggingOn = false;
        refuseUnnamedPort();
        endFailedStart();
        return;
    }
    trace("Port %s\n", port.c_str());
    trace("------------------------------\n");

    int status = session().open(port);
    if (status != PORT_STATUS_OPEN) {
        loggingOn = false;
        MessageBoxA(app.mainWindow, portOpenFailure(status), "Error", MB_OK);
        endFailedStart();
        return;
    }
    if (!session().detectGateway()) {
        loggingOn = false;
        MessageBoxA(app.mainWindow, "Vexlor Gateway not detected\non the selected serial port",
                    "Error", MB_OK);
        session().close();
        endFailedStart();
        return;
    }
    trace("Starting timer\n");
    armPollTimer();
    trace("Logging...\n");
    showControlStates();
    setStatusLine("Logging...");
}

void stopLogMode()
{
    stopPollTimer();
    trace("Close port\n");
    session().close();
    showControlStates();
    setStatusLine("OK");
}

} // namespace

bool isLogging()
{
    return loggingOn;
}

bool isGatewayOpen()
{
    return loggingOn && session().isOpen();
}

bool isGatewayDebugOn()
{
    return gatewayDebugOn;
}

void toggleLogMode()
{
    loggingOn = !loggingOn;
    if (loggingOn) {
        startLogMode();
    } else {
        stopLogMode();
    }
}

void sendTypedCommand()
{
    trace("Stop timer\n");
    stopPollTimer();
    // The command, its line feed and the terminator.
    char command[kLongestCommand + 2] = "";
    GetDlgItemTextA(app.mainWindow, IDC_COMMAND_FIELD, command, kLongestCommand + 1);
    int length = lstrlenA(command);
    if (!isValidCommandLength(length)) {
        trace("Not a valid command (%d)\n", length);
        MessageBoxA(app.mainWindow, "Not a valid command", "Error", MB_OK);
        armPollTimer();
        return;
    }
    history.add(std::string(command, length));
    command[length] = '\n';
    command[length + 1] = '\0';
    trace("Send command (%d) [%s]\n", length + 1, command);
    session().send(command);
    session().showResponse("Read command response\n");
    trace("Start timer\n");
    armPollTimer();
    trace("Logging...\n");
}

void toggleGatewayDebug()
{
    gatewayDebugOn = !gatewayDebugOn;
    showControlStates();
    paintNow();
    trace(gatewayDebugOn ? "Send debug ON command\n" : "Send debug OFF command\n");
    session().send(gatewayDebugCommand(gatewayDebugOn));
    session().showResponse("Read debug command response\n");
    trace("Logging...\n");
}

void addLogTimesCommand(HWND window)
{
    AppendMenuA(GetSystemMenu(window, FALSE), MF_STRING, IDM_SHOW_TIMES, "Show times in the log");
}

void toggleLogTimes()
{
    showLogTimes(!areLogTimesShown());
}

void showLogTimes(bool on)
{
    trace(on ? "Times in the log on\n" : "Times in the log off\n");
    session().showTimes(on);
    CheckMenuItem(GetSystemMenu(app.mainWindow, FALSE), IDM_SHOW_TIMES,
                  MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

bool areLogTimesShown()
{
    return session().timesShown();
}

void pollGateway()
{
    // A tick already queued when log mode stopped does nothing.
    if (loggingOn) {
        session().poll();
    }
}

void readGatewayOnceMore()
{
    if (loggingOn && !session().isLost()) {
        session().poll();
    }
}

bool recallCommand(const MSG& message)
{
    HWND field = GetDlgItem(app.mainWindow, IDC_COMMAND_FIELD);
    bool arrow = message.message == WM_KEYDOWN &&
                 (message.wParam == VK_UP || message.wParam == VK_DOWN);
    if (!arrow || message.hwnd == nullptr || message.hwnd != field) {
        return false;
    }
    std::string shown;
    std::string typed = windowText(field);
    if (message.wParam == VK_UP ? history.older(typed, shown) : history.newer(typed, shown)) {
        SetWindowTextA(field, shown.c_str());
        int end = GetWindowTextLengthA(field);
        SendMessageA(field, EM_SETSEL, end, end);
        SendMessageA(field, EM_SCROLLCARET, 0, 0);
    }
    return true;
}

std::vector<std::string> sentCommands()
{
    return history.entries();
}

void restoreSentCommands(const std::vector<std::string>& newestFirst)
{
    history.restore(newestFirst);
}
