// Log mode's session with the gateway: the port opened at 57600 baud, the gateway detected by
// its banner, what it sends read on every poll, commands written, and a port that goes away
// waited for until it is back. It knows no window: everything the log view shows, the port's
// loss and return and a failed log file are reported through a LogSessionWatcher, and the
// window decides when to poll.
//
// Subsystem floor (gateway/): knows no window; includes serial/ and platform/ only.
#pragma once

#include <memory>
#include <string>

#include "lineTimes.h"
#include "logFile.h"

class Serial;

// What a session reports, in the order it happens.
class LogSessionWatcher {
public:
    virtual ~LogSessionWatcher() = default;
    // Text for the end of the log view, line ends included: what the gateway sent, the
    // commands written to it and the session's own notes.
    virtual void show(const char* text) = 0;
    // The port went away or came back: what may be done now has changed.
    virtual void stateChanged() = 0;
    // A sentence for the status line.
    virtual void status(const char* text) = 0;
    // Writing the log file failed: the file is closed; path and reason say which and why.
    virtual void logFileStopped(const std::string& path, const std::string& reason) = 0;
};

// Why a port could not be opened for log mode (a PortStatus other than open), as the box says.
const char* portOpenFailure(int status);

class LogSession {
public:
    // The session writes what it shows to logFile while that is open.
    LogSession(LogSessionWatcher& watcher, LogFile& logFile);
    ~LogSession();
    LogSession(const LogSession&) = delete;
    LogSession& operator=(const LogSession&) = delete;

    // Opens portName for log mode; the PortStatus of the attempt. Nothing stays open unless it
    // is PORT_STATUS_OPEN.
    int open(const std::string& portName);
    // Waits for the gateway's banner, shows it, asks its version and shows the answer. False
    // when nothing came: no gateway is there (the port is still open; close() releases it).
    bool detectGateway();
    // Releases the port, also a lost one the session was waiting for.
    void close();

    // One poll: what arrived goes to the view and the log file; a port that went away is
    // noted and released, and one that is gone is tried again.
    void poll();
    // Writes a command (text ends with its line feed) and shows it; one the device did not take
    // within the write time-out is shown as not sent instead.
    void send(const char* text);
    // Waits 400 ms, traces header and shows what the gateway answered.
    void showResponse(const char* header);

    // Times at the start of the lines the gateway sends, in the view (lineTimes.h); the lines
    // shown before stay as they are.
    void showTimes(bool on);
    bool timesShown() const { return lineTimes.isOn(); }

    // The port is open and the gateway answers (not waiting for a lost port).
    bool isOpen() const { return connection != nullptr; }
    // The port went away and the session waits for it to come back.
    bool isLost() const { return portLost; }

private:
    int readAvailable();
    void showReceived(int length, const LogTime& time);
    // Received text as the view shows it (with times when they are on).
    void showInView(const std::string& text);
    void showNote(const char* note);
    void notePortEvent(bool lost);
    void markPortLost();
    void reopenLostPort();
    void opened(std::unique_ptr<Serial> port);
    // The log file's writes; a failure closes the file and is reported once.
    void logReceived(const char* text, size_t count, const LogTime& time);
    void logLine(const char* text);
    void logPortLost(const char* note);
    void stopLogFile();

    LogSessionWatcher& watcher;
    LogFile& logFile;
    std::unique_ptr<Serial> connection;
    std::string portName;
    std::string devicePath;
    std::string received;    // what the last read took, NUL bytes taken out
    bool portLost = false;
    bool viewMidLine = false; // the text last shown ended in the middle of a line
    LineTimes lineTimes;
};

// Takes the NUL bytes out of the first count bytes of buffer, so everything after one is
// shown too, and ends the text with a NUL. Returns the new length.
int dropNulBytes(char* buffer, int count);
