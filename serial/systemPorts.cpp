// The serial ports the system's device list knows, with their names and hardware ids.
//
// Lower floor (serial/): knows no window; includes platform/ only.
#include "systemPorts.h"

#include <windows.h>

#include <initguid.h> // before devguid.h, which then defines the class GUIDs here

#include <devguid.h>
#include <setupapi.h>

namespace {

// A text property of the device, or empty; a list property keeps its NULs.
std::string deviceProperty(HDEVINFO devices, SP_DEVINFO_DATA& device, DWORD property)
{
    char value[1024] = "";
    DWORD size = 0;
    if (!SetupDiGetDeviceRegistryPropertyA(devices, &device, property, nullptr,
                                           reinterpret_cast<BYTE*>(value), sizeof value - 2,
                                           &size)) {
        return std::string();
    }
    std::string text(value, size < sizeof value - 2 ? size : sizeof value - 2);
    while (!text.empty() && text.back() == '\0') {
        text.pop_back();
    }
    return text;
}

// The port the device is reachable as: its PortName value, "COM5" (or "LPT1" for a printer).
std::string portNameOf(HDEVINFO devices, SP_DEVINFO_DATA& device)
{
    HKEY key = SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) {
        return std::string();
    }
    char name[64] = "";
    DWORD size = sizeof name - 1;
    DWORD type = 0;
    LONG result = RegQueryValueExA(key, "PortName", nullptr, &type, reinterpret_cast<BYTE*>(name),
                                   &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ) {
        return std::string();
    }
    name[size < sizeof name ? size : sizeof name - 1] = '\0';
    return name;
}

std::string instanceIdOf(HDEVINFO devices, SP_DEVINFO_DATA& device)
{
    char id[512] = "";
    if (!SetupDiGetDeviceInstanceIdA(devices, &device, id, sizeof id, nullptr)) {
        return std::string();
    }
    return id;
}

} // namespace

std::vector<SystemPort> systemSerialPorts()
{
    std::vector<SystemPort> ports;
    HDEVINFO devices = SetupDiGetClassDevsA(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE) {
        return ports;
    }
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof device;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
        SystemPort port;
        port.portName = portNameOf(devices, device);
        if (port.portName.empty()) {
            continue;
        }
        port.friendlyName = deviceProperty(devices, device, SPDRP_FRIENDLYNAME);
        port.hardwareIds = deviceProperty(devices, device, SPDRP_HARDWAREID);
        port.deviceId = instanceIdOf(devices, device);
        ports.push_back(port);
    }
    SetupDiDestroyDeviceInfoList(devices);
    return ports;
}
