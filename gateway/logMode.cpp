// Log mode: start with gateway detection, polling into the log view, stop.
//
// A port that goes away (the board unplugged, its USB port reset) is told from a silent one
// by the port's status: the poll then releases it, says so in the log and tries to open the
// same port again on every tick until it is back. The gateway restarts when its port opens,
// so its banner simply arrives as data then.
//
// Reads never wait, and one read returns at most what the driver holds (about 4 KB), so each
// read here takes everything that has arrived: it reads until the port has nothing more or the
// receive buffer is full. At 57600 baud a second brings about 5.8 KB, and a single read a
// second would fall behind and lose data.
#include "logMode.h"

#include <windows.h>

#include <string.h>

#include <string>

#include "app/appState.h"
#include "app/ui.h"
#include "fileLogging.h"
#include "logFile.h"
#include "platform/trace.h"
#include "resource.h"
#include "serial/portName.h"
#include "serial/serial.h"

namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollPeriodMs = 1000;
constexpr DWORD kLogBaudRate = 57600;
constexpr int kBannerReads = 5;

// Whether the text log mode last put into the view ended in the middle of a line.
bool viewMidLine = false;

// Reads everything that has arrived into receiveBuffer, NUL bytes taken out; returns its length.
int readAvailable()
{
    const int capacity = static_cast<int>(sizeof app.receiveBuffer) - 1;
    int total = 0;
    while (total < capacity - 1) {
        int count = app.connection->read(app.receiveBuffer + total, capacity - total, true);
        if (count <= 0) {
            break;
        }
        total += dropNulBytes(app.receiveBuffer + total, count);
    }
    app.receiveBuffer[total] = '\0';
    return total;
}

void releaseConnection()
{
    delete app.connection;
    app.connection = nullptr;
}

void openedForLogging(Serial* connection)
{
    app.connection = connection;
    // A driver queue as large as the receive buffer holds a whole poll period and more.
    app.connection->requestInputQueue(sizeof app.receiveBuffer);
}

// One of the program's own notes, on a line of its own at the end of the view.
void showNote(const char* note)
{
    if (viewMidLine) {
        appendToLogEnd("\r\n");
    }
    appendToLogEnd(note);
    appendToLogEnd("\r\n");
    viewMidLine = false;
}

// "-- COM5 lost 2026-12-08 15:42:31 --" or "... back ...", on a line of its own in the view
// and in the log file.
void notePortEvent(bool lost)
{
    const char* event = lost ? "lost" : "back";
    SYSTEMTIME time;
    GetLocalTime(&time);
    char when[24];
    formatTime(time, when);
    char note[128];
    wsprintfA(note, "-- %s %s %s --", app.portName, event, when);
    trace("%s\n", note);
    if (lost) {
        logPortLost(note);
    } else {
        logLine(note);
    }
    showNote(note);
}

void markPortLost()
{
    releaseConnection();
    app.portLost = 1;
    showControlStates();
    notePortEvent(true);
    char status[128];
    wsprintfA(status, "%s lost: waiting for it to come back...", app.portName);
    setStatusLine(status);
}

// One attempt a tick; a failed attempt holds nothing open.
void reopenLostPort()
{
    Serial* attempt = new Serial(app.devicePath, kLogBaudRate);
    if (app.portStatus != PORT_STATUS_OPEN) {
        delete attempt;
        return;
    }
    openedForLogging(attempt);
    app.portLost = 0;
    notePortEvent(false);
    showControlStates();
    setStatusLine("Logging...");
}

// The port's device path; false when it does not fit (it then names no port here).
bool buildDevicePath()
{
    std::string path = devicePathOf(app.portName);
    if (path.size() >= sizeof app.devicePath) {
        return false;
    }
    memcpy(app.devicePath, path.c_str(), path.size() + 1);
    return true;
}

void endFailedStart()
{
    stopPollTimer();
    showControlStates();
    setStatusLine("OK");
}

void failOpen()
{
    static const char* const messages[] = {
        "",
        "ERROR: Serial port could not be opened",
        "ERROR: Serial port access denied by the system (already in use?)",
        "ERROR: Could not set com port time-outs",
        "ERROR: Could not set com port parameters",
    };
    app.loggingOn = 0;
    releaseConnection();
    int status = app.portStatus >= 1 && app.portStatus <= 4 ? app.portStatus : 1;
    MessageBoxA(app.mainWindow, messages[status], "Error", MB_OK);
    endFailedStart();
}

void failNoGateway()
{
    app.loggingOn = 0;
    trace("Serial port error\n");
    MessageBoxA(app.mainWindow, "Vexlor Gateway not detected\non the selected serial port", "Error",
                MB_OK);
    releaseConnection();
    endFailedStart();
}

} // namespace

int dropNulBytes(char* buffer, int count)
{
    int kept = 0;
    for (int i = 0; i < count; ++i) {
        if (buffer[i] != '\0') {
            buffer[kept++] = buffer[i];
        }
    }
    buffer[kept] = '\0';
    return kept;
}

void armPollTimer()
{
    SetTimer(app.mainWindow, kPollTimer, kPollPeriodMs, nullptr);
}

void stopPollTimer()
{
    KillTimer(app.mainWindow, kPollTimer);
}

int readGatewayResponse(const char* header)
{
    Sleep(400);
    trace("%s", header);
    return readAvailable();
}

void sendGatewayCommand(const char* text)
{
    if (app.connection->writeText(text) == static_cast<int>(strlen(text))) {
        echoCommand(text);
        return;
    }
    // The device took nothing (or not all) within the write time-out: said so on a line of its
    // own, in the view and the log file, instead of the command.
    trace("write timeout\n");
    std::string command(text);
    while (!command.empty() && (command.back() == '\n' || command.back() == '\r')) {
        command.pop_back();
    }
    std::string note = "-- Not sent, the device did not take it within a second: " + command + " --";
    logLine(note.c_str());
    showNote(note.c_str());
}

void toggleLogMode()
{
    app.loggingOn = app.loggingOn ? 0 : 1;
    if (app.loggingOn) {
        startLogMode();
    } else {
        stopLogMode();
    }
}

void startLogMode()
{
    showControlStates();
    paintNow(); // the start blocks the window for about three seconds
    if (!readShownPortName("Serial Log mode:\n")) {
        app.loggingOn = 0;
        refuseUnnamedPort();
        endFailedStart();
        return;
    }
    trace("Port %s\n", app.portName);
    trace("------------------------------\n");

    releaseConnection();
    app.portLost = 0;
    if (buildDevicePath()) {
        app.connection = new Serial(app.devicePath, kLogBaudRate);
    } else {
        app.portStatus = PORT_STATUS_NOT_OPENED;
    }
    trace("Serial port status: %d\n", app.portStatus);
    if (app.portStatus != PORT_STATUS_OPEN) {
        failOpen();
        return;
    }
    openedForLogging(app.connection);

    // The gateway announces itself within two seconds of the port opening.
    Sleep(1000);
    Sleep(1000);
    trace("Get Startup message\n");
    int count = 0;
    for (int attempt = 0; attempt < kBannerReads && count == 0; ++attempt) {
        count = readAvailable();
    }
    if (count == 0) {
        failNoGateway();
        return;
    }
    showGatewayText();

    trace("Send version command\n");
    sendGatewayCommand("10;version;\n");
    if (readGatewayResponse("Read version command response\n") > 0) {
        showGatewayText();
    }
    Sleep(400);
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
    releaseConnection();
    app.portLost = 0;
    showControlStates();
    setStatusLine("OK");
}

void pollGateway()
{
    if (app.loggingOn == 1 && app.portLost) {
        reopenLostPort();
        return;
    }
    // A tick already queued when log mode stopped finds no connection and does nothing.
    if (app.loggingOn != 1 || app.connection == nullptr) {
        return;
    }
    // What arrived before the device went away is shown first.
    if (readAvailable() > 0) {
        showGatewayText();
    }
    if (app.connection->lost()) {
        markPortLost();
    }
}

void showGatewayText()
{
    size_t length = strlen(app.receiveBuffer);
    logReceived(app.receiveBuffer, length);
    appendToLogEnd(app.receiveBuffer);
    viewMidLine = length > 0 && app.receiveBuffer[length - 1] != '\n';
}

void echoCommand(const char* command)
{
    appendToLogEnd(command);
    std::string line(command);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.pop_back();
    }
    logLine(line.c_str());
    viewMidLine = false;
}
