// Log mode: start with gateway detection, polling into the log view, stop.
//
// Reads never wait, and one read returns at most what the driver holds (about 4 KB), so each
// read here takes everything that has arrived: it reads until the port has nothing more or the
// receive buffer is full. At 57600 baud a second brings about 5.8 KB, and a single read a
// second would fall behind and lose data.
#include "logMode.h"

#include <windows.h>

#include <string.h>

#include "app/appState.h"
#include "app/trace.h"
#include "app/ui.h"
#include "resource.h"
#include "serial/serial.h"

namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollPeriodMs = 1000;
constexpr DWORD kLogBaudRate = 57600;
constexpr int kBannerReads = 5;

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

// "\\.\" and the port name; false when the name does not fit (it then names no port here).
bool buildDevicePath()
{
    size_t length = strlen(app.portName);
    if (4 + length >= sizeof app.devicePath) {
        return false;
    }
    memcpy(app.devicePath, "\\\\.\\", 4);
    memcpy(app.devicePath + 4, app.portName, length + 1);
    return true;
}

void endFailedStart()
{
    swapOnOffLabels(IDC_LOGGING_ON_LABEL, IDC_LOGGING_OFF_LABEL);
    stopPollTimer();
    if (app.fileChosen == 1) {
        setUploadEnabled(true);
    }
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

void sendGatewayCommand(const char* text, int expectedLength)
{
    if (app.connection->writeText(text) != expectedLength) {
        trace("write timeout\n");
    }
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
    swapOnOffLabels(IDC_LOGGING_OFF_LABEL, IDC_LOGGING_ON_LABEL);
    setUploadEnabled(false);
    paintNow(); // the start blocks the window for about three seconds
    readSelectedPortName("Serial Log mode:\n");
    trace("Port %s\n", app.portName);
    trace("------------------------------\n");

    releaseConnection();
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
    // A driver queue as large as the receive buffer holds a whole poll period and more.
    app.connection->requestInputQueue(sizeof app.receiveBuffer);

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
    appendToLogView(app.receiveBuffer);

    trace("Send version command\n");
    sendGatewayCommand("10;version;\n", 12);
    appendToLogView("10;version;\n");
    if (readGatewayResponse("Read version command response\n") > 0) {
        appendToLogView(app.receiveBuffer);
    }
    Sleep(400);
    trace("Starting timer\n");
    armPollTimer();
    trace("Logging...\n");
    setGatewayCommandsEnabled(true);
    setStatusLine("Logging...");
}

void stopLogMode()
{
    swapOnOffLabels(IDC_LOGGING_ON_LABEL, IDC_LOGGING_OFF_LABEL);
    stopPollTimer();
    trace("Close port\n");
    releaseConnection();
    setGatewayCommandsEnabled(false);
    if (app.fileChosen == 1) {
        setUploadEnabled(true);
    }
    setStatusLine("OK");
}

void pollGateway()
{
    // A tick already queued when log mode stopped finds no connection and does nothing.
    if (app.loggingOn != 1 || app.connection == nullptr) {
        return;
    }
    if (readAvailable() > 0) {
        appendToLogEnd(app.receiveBuffer);
    }
}
