// What the port list shows: every port Windows knows of, named by the device behind it, and
// the ports found by trying to open them; and which entry is selected after the list changes.
// Plain functions of their inputs, so they are tested without a window or a device.
//
// Lower floor (serial/): knows no window; includes platform/ only.
#pragma once

#include <string>
#include <vector>

// A serial port as the system's device list reports it.
struct SystemPort {
    std::string portName;     // "COM5"
    std::string friendlyName; // "Arduino Mega 2560 (COM5)", empty when the device has none
    std::string hardwareIds;  // the device's hardware IDs, one after the other, NUL-separated
    std::string deviceId;     // the device's instance ID: the same board keeps it when renumbered
};

// One entry of the port list.
struct PortEntry {
    std::string portName;
    std::string text;     // what the list shows: "COM5 - Arduino Mega 2560", or just "COM5"
    std::string deviceId; // empty for a port the device list does not know
    bool isMega = false;  // the board's own USB IDs, not a clone's bridge
};

// What the hardware IDs say the device is: "Arduino Mega 2560", a clone's USB bridge, or
// empty when the IDs are not in the table.
std::string deviceNameOf(const std::string& hardwareIds, bool& isMega);

// The entries for the ports the device list reports and those the open probe found, each port
// once (the device list's entry wins). The list control sorts them as it shows them.
std::vector<PortEntry> listedPorts(const std::vector<SystemPort>& systemPorts,
                                   const std::vector<std::string>& probedPorts);

// Which entry of ports to select, or -1 for the first one the list shows.
// The one Mega 2560 of ports that before did not list (the same port with the same device),
// or -1 when there is none or more than one.
int arrivedMega(const std::vector<PortEntry>& ports, const std::vector<PortEntry>& before);
// At start-up: the remembered board (by its device, then by its port), else the only Mega
// present.
int startingSelection(const std::vector<PortEntry>& ports, const std::string& rememberedPort,
                      const std::string& rememberedDevice);
// After a refresh: a Mega that was not listed before (the only one that arrived), else the
// port selected before when it is still there.
int refreshedSelection(const std::vector<PortEntry>& ports, const std::vector<PortEntry>& before,
                       const std::string& selectedPort);
