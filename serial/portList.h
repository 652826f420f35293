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

// What the list shows after its entries changed (a device came or went, or a scan).
struct PortShown {
    int index = -1;        // the entry to select, or -1 for the first one the list shows
    std::string text;      // when not empty: shown as it is instead (typed, or a port gone)
    bool chosen = false;   // the user's choice is still in force
    bool announce = false; // the program picked a Mega that arrived: the status line says so
};

// The choice is the user's: the program changes the port shown only when no choice is in force
// (chosen false: the program picked it, or nothing is shown) or the chosen port is not there,
// and then only to select the one Mega 2560 that arrived. A chosen port that went away stays
// shown as "COM7 - not connected"; text typed over the list stays as typed. shownText is what
// the list shows now, before the entries it was filled from.
PortShown refreshedSelection(const std::vector<PortEntry>& ports,
                             const std::vector<PortEntry>& before, const std::string& shownText,
                             bool chosen);

// The status line's sentence when the program selected a Mega that arrived.
std::string arrivedMegaStatus(const PortEntry& mega);

// The text shown for a chosen port that went away.
std::string goneText(const std::string& portName);

// Whether two fillings of the list are the same: the same ports, devices and texts in order.
bool sameEntries(const std::vector<PortEntry>& a, const std::vector<PortEntry>& b);
