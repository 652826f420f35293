// The serial connection. Every line setting is written out from zero in one place, so what
// the port is told never depends on what another program left in it.
//
// Reads never wait (ReadIntervalTimeout MAXDWORD, the rest 0): the log mode polls from the
// GUI thread and must never block it. A write gives up after a second, so a device that stops
// taking data cannot hang the window either. A connection whose construction failed holds no open
// handle; its handle is reset after closing, so releasing it closes nothing a second time.
//
// Lower floor (serial/): knows no window; includes platform/ only.
#include "serial.h"

#include <string.h>

#include "platform/trace.h"

Serial::Serial(const char* devicePath, DWORD baudRate)
    : handle(CreateFileA(devicePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                         nullptr))
{
    if (handle == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        trace("ERROR: Could not open com port\n");
        if (error == ERROR_ACCESS_DENIED) {
            trace("ERROR: Port access denied\n");
            openStatus = PORT_STATUS_ACCESS_DENIED;
        } else {
            openStatus = PORT_STATUS_NOT_OPENED;
        }
        return;
    }

    COMMTIMEOUTS timeouts = {};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = 1000;
    if (!SetCommTimeouts(handle, &timeouts)) {
        close();
        trace("ERROR: Could not set com port time-outs\n");
        openStatus = PORT_STATUS_TIMEOUTS_REFUSED;
        return;
    }

    DCB settings;
    memset(&settings, 0, sizeof settings);
    settings.DCBlength = sizeof settings;
    settings.BaudRate = baudRate;
    settings.fBinary = TRUE;
    settings.fParity = FALSE;
    settings.fOutxCtsFlow = FALSE;
    settings.fOutxDsrFlow = FALSE;
    settings.fDtrControl = DTR_CONTROL_ENABLE;
    settings.fDsrSensitivity = FALSE;
    settings.fTXContinueOnXoff = FALSE;
    settings.fOutX = FALSE;
    settings.fInX = FALSE;
    // Software flow control stays off, but Windows refuses line settings whose Xon and Xoff
    // characters are equal (both 0 in an all-zero record): give them their usual values.
    settings.XonChar = 0x11;
    settings.XoffChar = 0x13;
    settings.fErrorChar = FALSE;
    settings.fNull = FALSE;
    settings.fRtsControl = RTS_CONTROL_DISABLE;
    settings.fAbortOnError = FALSE;
    settings.ByteSize = 8;
    settings.Parity = NOPARITY;
    settings.StopBits = ONESTOPBIT;
    if (!SetCommState(handle, &settings)) {
        close();
        trace("ERROR: Could not set com port parameters\n");
        openStatus = PORT_STATUS_SETTINGS_REFUSED;
        return;
    }

    openStatus = PORT_STATUS_OPEN;
    trace("Serial port open: %p\n", handle);
}

Serial::~Serial()
{
    if (handle != INVALID_HANDLE_VALUE) {
        close();
    }
}

void Serial::close()
{
    trace("Closing serial port: %p\n", handle);
    CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
}

int Serial::read(char* buffer, int capacity, bool terminate)
{
    DWORD wanted = static_cast<DWORD>(terminate ? capacity - 1 : capacity);
    DWORD count = 0;
    if (!ReadFile(handle, buffer, wanted, &count, nullptr)) {
        readFailed = true;
        return 0;
    }
    if (terminate) {
        buffer[count] = '\0';
    }
    return static_cast<int>(count);
}

int Serial::write(const char* buffer, int count)
{
    DWORD written = 0;
    WriteFile(handle, buffer, static_cast<DWORD>(count), &written, nullptr);
    return static_cast<int>(written);
}

int Serial::writeText(const char* text)
{
    return write(text, static_cast<int>(strlen(text)));
}

bool Serial::lost()
{
    DWORD errors = 0;
    COMSTAT status;
    return readFailed || !ClearCommError(handle, &errors, &status);
}

void Serial::requestInputQueue(DWORD bytes)
{
    SetupComm(handle, bytes, 4096);
}
