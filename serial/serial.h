// The log mode's connection to a serial port.
//
// Lower floor (serial/): knows no window; includes platform/ only.
#pragma once

#include <windows.h>

// Port status codes a construction leaves.
enum PortStatus {
    PORT_STATUS_OPEN = 0,
    PORT_STATUS_NOT_OPENED = 1,
    PORT_STATUS_ACCESS_DENIED = 2,
    PORT_STATUS_TIMEOUTS_REFUSED = 3,
    PORT_STATUS_SETTINGS_REFUSED = 4,
};

// Opens and configures the port on construction; status() tells how that went. Only a connection
// whose status is PORT_STATUS_OPEN may be read or written.
class Serial {
public:
    Serial(const char* devicePath, DWORD baudRate);
    virtual ~Serial();

    Serial(const Serial&) = delete;
    Serial& operator=(const Serial&) = delete;

    // How the construction went: open, or why not.
    int status() const { return openStatus; }

    // Returns at once with what has arrived (0 when nothing had, or the read failed). With
    // terminate, at most capacity - 1 bytes are read and a NUL is stored after them.
    int read(char* buffer, int capacity, bool terminate);

    // Returns the number of bytes the port took.
    int write(const char* buffer, int count);
    int writeText(const char* text);

    // True once the device is gone (unplugged, or its driver reset): a read failed, or the
    // port no longer reports its status. Silence is not loss.
    bool lost();

    // Asks the driver for an input queue of this size; a driver that refuses keeps its own.
    void requestInputQueue(DWORD bytes);

private:
    void close();

    HANDLE handle;
    int openStatus = PORT_STATUS_NOT_OPENED;
    bool readFailed = false;
};
