// Port discovery and the port probe. Both try an exclusive open and close again at once.
// A port that answers ERROR_ACCESS_DENIED exists: another program (or our own log mode)
// holds it, whereas a missing port fails with another error.
#include "portScan.h"

#include <string>

#include "app/trace.h"
#include "app/ui.h"
#include "portName.h"
#include "resource.h"

namespace {

constexpr int kFirstPort = 1;
constexpr int kLastPort = 49;

// Returns PORT_FREE, PORT_IN_USE or PORT_NOT_FOUND for one device path.
int tryOpen(const char* devicePath)
{
    HANDLE handle = CreateFileA(devicePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return PORT_FREE;
    }
    return GetLastError() == ERROR_ACCESS_DENIED ? PORT_IN_USE : PORT_NOT_FOUND;
}

} // namespace

void scanPorts(HWND window)
{
    traceSection("Serial port detection:\n");
    setStatusLine("Scanning for serial ports..");
    SendDlgItemMessageA(window, IDC_PORT_LIST, CB_RESETCONTENT, 0, 0);
    for (int n = kFirstPort; n <= kLastPort; ++n) {
        std::string portName = "COM" + std::to_string(n);
        if (tryOpen(devicePathOf(portName).c_str()) == PORT_NOT_FOUND) {
            continue;
        }
        trace("%s found\n", portName.c_str());
        SendDlgItemMessageA(window, IDC_PORT_LIST, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(portName.c_str()));
    }
    trace("Serial port detection done\n");
    SendDlgItemMessageA(window, IDC_PORT_LIST, CB_SETCURSEL, 0, 0);
    setStatusLine("OK");
}

int probePort(HWND, const char* portName)
{
    traceSection("Serial port test:\n");
    setStatusLine("Testing serial port..");
    int result = tryOpen(devicePathOf(portName).c_str());
    static const char* const lines[] = {"Serial port ok\n", "Serial port already in use\n",
                                        "Serial port not found\n"};
    trace("%s", lines[result]);
    trace("Serial port test done\n");
    return result;
}
