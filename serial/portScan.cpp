// Port discovery and the port probe. Discovery reads the system's device list first; the ports
// it does not know, and the probe, are tried with an exclusive open that is closed again at once.
// A port that answers ERROR_ACCESS_DENIED exists: another program (or our own log mode) holds
// it, whereas a missing port fails with another error.
//
// Lower floor (serial/): knows no window; includes platform/ only.
#include "portScan.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/trace.h"
#include "portName.h"
#include "systemPorts.h"

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

std::vector<std::string> probePorts(const std::vector<SystemPort>& known)
{
    std::vector<std::string> found;
    for (int n = kFirstPort; n <= kLastPort; ++n) {
        std::string portName = "COM" + std::to_string(n);
        bool isKnown = std::any_of(known.begin(), known.end(), [&portName](const SystemPort& port) {
            return port.portName == portName;
        });
        if (!isKnown && tryOpen(devicePathOf(portName).c_str()) != PORT_NOT_FOUND) {
            found.push_back(portName);
        }
    }
    return found;
}

int probePort(const char* portName)
{
    traceSection("Serial port test:\n");
    int result = tryOpen(devicePathOf(portName).c_str());
    static const char* const lines[] = {"Serial port ok\n", "Serial port already in use\n",
                                        "Serial port not found\n"};
    trace("%s", lines[result]);
    trace("Serial port test done\n");
    return result;
}
