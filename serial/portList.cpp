// The port list's model: the names it gives ports and which entry it selects.
//
// Lower floor (serial/): knows no window; includes platform/ only.
#include "portList.h"

#include <ctype.h>
#include <stdlib.h>

#include <algorithm>

#include "portName.h"

namespace {

struct KnownDevice {
    unsigned vendor;
    unsigned product;
    const char* name;
    bool isMega;
};

// The board's own IDs (two vendors, two board revisions each), then the USB-to-serial bridges
// that clone boards carry instead.
const KnownDevice knownDevices[] = {
    {0x2341, 0x0010, "Arduino Mega 2560", true},
    {0x2341, 0x0042, "Arduino Mega 2560", true},
    {0x2A03, 0x0010, "Arduino Mega 2560", true},
    {0x2A03, 0x0042, "Arduino Mega 2560", true},
    {0x1A86, 0x7523, "USB-SERIAL CH340 (possible Mega clone)", false},
    {0x0403, 0x6001, "FTDI USB serial (possible Mega clone)", false},
    {0x10C4, 0xEA60, "CP210x USB serial (possible Mega clone)", false},
};

// The four hex digits after key ("VID_") in id, or -1.
long hexAfter(const std::string& id, const char* key)
{
    std::string upper = id;
    for (char& c : upper) {
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    }
    size_t at = upper.find(key);
    if (at == std::string::npos || upper.size() < at + 8) {
        return -1;
    }
    std::string digits = upper.substr(at + 4, 4);
    for (char c : digits) {
        if (!isxdigit(static_cast<unsigned char>(c))) {
            return -1;
        }
    }
    return strtol(digits.c_str(), nullptr, 16);
}

// A friendly name usually ends with its own port, "(COM5)", which the entry already shows.
std::string withoutPortSuffix(const std::string& name, const std::string& portName)
{
    std::string suffix = " (" + portName + ")";
    if (name.size() > suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
        return name.substr(0, name.size() - suffix.size());
    }
    return name;
}

bool isPrintable(const std::string& text)
{
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x20 && c != 0x7F; });
}

PortEntry entryFor(const SystemPort& port)
{
    PortEntry entry;
    entry.portName = port.portName;
    entry.deviceId = port.deviceId;
    std::string name = deviceNameOf(port.hardwareIds, entry.isMega);
    if (name.empty() && isPrintable(port.friendlyName)) {
        name = withoutPortSuffix(port.friendlyName, port.portName);
    }
    entry.text = name.empty() ? port.portName : port.portName + " - " + name;
    return entry;
}

int indexWhere(const std::vector<PortEntry>& ports, bool (*matches)(const PortEntry&, const std::string&),
               const std::string& value)
{
    if (value.empty()) {
        return -1;
    }
    for (size_t i = 0; i < ports.size(); ++i) {
        if (matches(ports[i], value)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool hasPort(const PortEntry& entry, const std::string& portName)
{
    return entry.portName == portName;
}

bool hasDevice(const PortEntry& entry, const std::string& deviceId)
{
    return entry.deviceId == deviceId;
}

bool wasListed(const std::vector<PortEntry>& before, const PortEntry& entry)
{
    return std::any_of(before.begin(), before.end(), [&entry](const PortEntry& listed) {
        return listed.portName == entry.portName && listed.deviceId == entry.deviceId;
    });
}

} // namespace

std::string deviceNameOf(const std::string& hardwareIds, bool& isMega)
{
    isMega = false;
    size_t start = 0;
    while (start < hardwareIds.size()) {
        size_t end = hardwareIds.find('\0', start);
        std::string id = hardwareIds.substr(start, end == std::string::npos ? end : end - start);
        long vendor = hexAfter(id, "VID_");
        long product = hexAfter(id, "PID_");
        for (const KnownDevice& device : knownDevices) {
            if (vendor == static_cast<long>(device.vendor) &&
                product == static_cast<long>(device.product)) {
                isMega = device.isMega;
                return device.name;
            }
        }
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return std::string();
}

std::vector<PortEntry> listedPorts(const std::vector<SystemPort>& systemPorts,
                                   const std::vector<std::string>& probedPorts)
{
    std::vector<PortEntry> ports;
    for (SystemPort port : systemPorts) {
        port.portName = portNameFromText(port.portName); // empty for a printer's "LPT1"
        if (!port.portName.empty() && indexWhere(ports, hasPort, port.portName) < 0) {
            ports.push_back(entryFor(port));
        }
    }
    for (const std::string& name : probedPorts) {
        if (indexWhere(ports, hasPort, name) < 0) {
            PortEntry entry;
            entry.portName = name;
            entry.text = name;
            ports.push_back(entry);
        }
    }
    return ports;
}

int arrivedMega(const std::vector<PortEntry>& ports, const std::vector<PortEntry>& before)
{
    int found = -1;
    for (size_t i = 0; i < ports.size(); ++i) {
        if (!ports[i].isMega || wasListed(before, ports[i])) {
            continue;
        }
        if (found >= 0) {
            return -1;
        }
        found = static_cast<int>(i);
    }
    return found;
}

int startingSelection(const std::vector<PortEntry>& ports, const std::string& rememberedPort,
                      const std::string& rememberedDevice)
{
    int index = indexWhere(ports, hasDevice, rememberedDevice);
    if (index < 0) {
        index = indexWhere(ports, hasPort, rememberedPort);
    }
    if (index < 0) {
        index = arrivedMega(ports, {});
    }
    return index;
}

PortShown refreshedSelection(const std::vector<PortEntry>& ports,
                             const std::vector<PortEntry>& before, const std::string& shownText,
                             bool chosen)
{
    std::string port = portNameFromText(shownText);
    int present = indexWhere(ports, hasPort, port);
    PortShown shown;
    shown.chosen = chosen;
    int mega = arrivedMega(ports, before);
    if (mega >= 0 && (!chosen || present < 0)) {
        shown.index = mega;
        shown.chosen = false;
        shown.announce = true;
        return shown;
    }
    bool isEntry = std::any_of(ports.begin(), ports.end(), [&shownText](const PortEntry& entry) {
        return entry.text == shownText;
    }) || std::any_of(before.begin(), before.end(), [&shownText](const PortEntry& entry) {
        return entry.text == shownText;
    }) || shownText == goneText(port);
    if (present >= 0) {
        // The entry of the port shown (its device may have a new name); typed text stays.
        shown.index = isEntry ? present : -1;
        shown.text = isEntry ? std::string() : shownText;
        return shown;
    }
    if (!port.empty() && indexWhere(before, hasPort, port) >= 0) {
        shown.text = goneText(port);
        return shown;
    }
    // Text that names no listed port (typed, or a port already shown as gone) stays; with
    // nothing shown the list shows its first entry.
    shown.text = shownText;
    return shown;
}

std::string arrivedMegaStatus(const PortEntry& mega)
{
    return mega.text + " was plugged in and is now the selected port";
}

std::string goneText(const std::string& portName)
{
    return portName + " - not connected";
}

bool sameEntries(const std::vector<PortEntry>& a, const std::vector<PortEntry>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const PortEntry& x, const PortEntry& y) {
                          return x.portName == y.portName && x.deviceId == y.deviceId &&
                                 x.text == y.text;
                      });
}
