// Log mode's session: gateway detection, polling, commands, and a port that goes away.
//
// A port that goes away (the board unplugged, its USB port reset) is told from a silent one
// by the port's status: the poll then releases it, says so in the log and tries to open the
// same port again on every poll until it is back. The gateway restarts when its port opens,
// so its banner simply arrives as data then.
//
// Reads never wait, and one read returns at most what the driver holds (about 4 KB), so each
// read here takes everything that has arrived: it reads until the port has nothing more or the
// receive buffer is full. At 57600 baud a second brings about 5.8 KB, and a single read a
// second would fall behind and lose data.
//
// Subsystem floor (gateway/): knows no window; includes serial/ and platform/ only.
#include "logSession.h"

#include <windows.h>

#include <string.h>

#include "platform/trace.h"
#include "serial/portName.h"
#include "serial/serial.h"

namespace {

constexpr DWORD kLogBaudRate = 57600;
constexpr int kBannerReads = 5;
// What one poll may read: far more than a second brings at 57600 baud.
constexpr int kReceiveBufferSize = 128000;
// A device path longer than this names no port here.
constexpr size_t kLongestDevicePath = 19;

std::string withoutLineEnd(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

} // namespace

const char* portOpenFailure(int status)
{
    static const char* const messages[] = {
        "ERROR: Serial port could not be opened",
        "ERROR: Serial port access denied by the system (already in use?)",
        "ERROR: Could not set com port time-outs",
        "ERROR: Could not set com port parameters",
    };
    if (status < PORT_STATUS_NOT_OPENED || status > PORT_STATUS_SETTINGS_REFUSED) {
        status = PORT_STATUS_NOT_OPENED;
    }
    return messages[status - PORT_STATUS_NOT_OPENED];
}

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

LogSession::LogSession(LogSessionWatcher& watcher, LogFile& logFile)
    : watcher(watcher), logFile(logFile)
{
}

LogSession::~LogSession() = default;

int LogSession::open(const std::string& port)
{
    close();
    portName = port;
    devicePath = devicePathOf(port);
    if (devicePath.size() > kLongestDevicePath) {
        trace("Serial port status: %d\n", PORT_STATUS_NOT_OPENED);
        return PORT_STATUS_NOT_OPENED;
    }
    std::unique_ptr<Serial> attempt(new Serial(devicePath.c_str(), kLogBaudRate));
    int status = attempt->status();
    trace("Serial port status: %d\n", status);
    if (status == PORT_STATUS_OPEN) {
        opened(std::move(attempt));
    }
    return status;
}

bool LogSession::detectGateway()
{
    // The gateway announces itself within two seconds of the port opening.
    Sleep(1000);
    Sleep(1000);
    trace("Get Startup message\n");
    int count = 0;
    for (int attempt = 0; attempt < kBannerReads && count == 0; ++attempt) {
        count = readAvailable();
    }
    if (count == 0) {
        trace("Serial port error\n");
        return false;
    }
    showReceived(count, logTimeNow());

    trace("Send version command\n");
    send("10;version;\n");
    showResponse("Read version command response\n");
    Sleep(400);
    return true;
}

void LogSession::close()
{
    // A line held back for its time is shown before the port goes.
    showInView(lineTimes.release(logTimeNow()));
    connection.reset();
    portLost = false;
}

void LogSession::opened(std::unique_ptr<Serial> port)
{
    connection = std::move(port);
    // A driver queue as large as the receive buffer holds a whole poll period and more.
    connection->requestInputQueue(kReceiveBufferSize);
}

int LogSession::readAvailable()
{
    received.resize(kReceiveBufferSize);
    const int capacity = kReceiveBufferSize - 1;
    int total = 0;
    while (total < capacity - 1) {
        int count = connection->read(&received[total], capacity - total, true);
        if (count <= 0) {
            break;
        }
        total += dropNulBytes(&received[total], count);
    }
    received.resize(total);
    return total;
}

void LogSession::showReceived(int length, const LogTime& time)
{
    logReceived(received.data(), static_cast<size_t>(length), time);
    showInView(lineTimes.add(received.data(), static_cast<size_t>(length), time));
}

void LogSession::showInView(const std::string& text)
{
    if (!text.empty()) {
        watcher.show(text.c_str());
        viewMidLine = text.back() != '\n';
    }
}

void LogSession::showTimes(bool on)
{
    if (on == lineTimes.isOn()) {
        return;
    }
    if (on) {
        lineTimes.turnOn(viewMidLine);
    } else {
        showInView(lineTimes.turnOff(logTimeNow()));
    }
}

// One of the program's own notes, on a line of its own at the end of the view.
void LogSession::showNote(const char* note)
{
    if (viewMidLine) {
        watcher.show("\r\n");
    }
    watcher.show(note);
    watcher.show("\r\n");
    viewMidLine = false;
}

void LogSession::poll()
{
    if (portLost) {
        reopenLostPort();
        return;
    }
    // A poll after the session closed finds no connection and does nothing.
    if (connection == nullptr) {
        return;
    }
    // What arrived before the device went away is shown first.
    int count = readAvailable();
    if (count > 0) {
        showReceived(count, logTimeNow());
    }
    if (connection->lost()) {
        markPortLost();
    }
}

void LogSession::send(const char* text)
{
    if (connection->writeText(text) == static_cast<int>(strlen(text))) {
        watcher.show(text);
        logLine(withoutLineEnd(text).c_str());
        viewMidLine = false;
        return;
    }
    // The device took nothing (or not all) within the write time-out: said so on a line of its
    // own, in the view and the log file, instead of the command.
    trace("write timeout\n");
    std::string note =
        "-- Not sent, the device did not take it within a second: " + withoutLineEnd(text) + " --";
    logLine(note.c_str());
    showNote(note.c_str());
}

void LogSession::showResponse(const char* header)
{
    Sleep(400);
    trace("%s", header);
    int count = readAvailable();
    if (count > 0) {
        showReceived(count, logTimeNow());
    }
}

// "-- COM5 lost 2026-12-08 15:42:31 --" or "... back ...", on a line of its own in the view
// and in the log file.
void LogSession::notePortEvent(bool lost)
{
    SYSTEMTIME time;
    GetLocalTime(&time);
    char when[24];
    formatTime(time, when);
    std::string note = "-- " + portName + (lost ? " lost " : " back ") + when + " --";
    trace("%s\n", note.c_str());
    if (lost) {
        logPortLost(note.c_str());
    } else {
        logLine(note.c_str());
    }
    showNote(note.c_str());
}

void LogSession::markPortLost()
{
    // The line the gateway was sending ends here, in the view as in the log file.
    showInView(lineTimes.release(logTimeNow()));
    connection.reset();
    portLost = true;
    watcher.stateChanged();
    notePortEvent(true);
    watcher.status((portName + " lost: waiting for it to come back...").c_str());
}

// One attempt a poll; a failed attempt holds nothing open.
void LogSession::reopenLostPort()
{
    std::unique_ptr<Serial> attempt(new Serial(devicePath.c_str(), kLogBaudRate));
    if (attempt->status() != PORT_STATUS_OPEN) {
        return;
    }
    opened(std::move(attempt));
    portLost = false;
    notePortEvent(false);
    watcher.stateChanged();
    watcher.status("Logging...");
}

void LogSession::logReceived(const char* text, size_t count, const LogTime& time)
{
    if (logFile.isOpen() && !logFile.write(text, count, time)) {
        stopLogFile();
    }
}

void LogSession::logLine(const char* text)
{
    if (logFile.isOpen() && !logFile.writeLine(text, logTimeNow())) {
        stopLogFile();
    }
}

void LogSession::logPortLost(const char* note)
{
    LogTime time = logTimeNow();
    if (logFile.isOpen() && !(logFile.endPartialLine(time) && logFile.writeLine(note, time))) {
        stopLogFile();
        return;
    }
    logFile.flushToDisk(); // what came before the loss is kept, whatever happens next
}

void LogSession::stopLogFile()
{
    std::string path = logFile.path();
    std::string reason = describeFileError(logFile.lastError());
    trace("Log file write failed: %s\n", reason.c_str());
    logFile.close();
    watcher.show(("-- Log file stopped: " + reason + " --\r\n").c_str());
    watcher.logFileStopped(path, reason);
}
