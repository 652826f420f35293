// The port list control: filled from a scan of the serial ports, kept up to date as devices come
// and go, and asked which port and device it shows. The port shown is the user's choice once
// they picked or typed one (or the last run's was found at start-up): devices that come and go
// never change it, and a refresh that changes no entry does not touch the control at all.
//
// Top floor (app/, the window): may include every floor below it.
#include "portListControl.h"

#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/trace.h"
#include "resource.h"
#include "serial/portList.h"
#include "serial/portName.h"
#include "serial/portScan.h"
#include "serial/systemPorts.h"
#include "ui.h"

namespace {

// What the list was last filled from: its entries, and the ports that only the open probe found
// (kept for refreshes, which open nothing).
std::vector<PortEntry> listed;
std::vector<std::string> probed;
// Whether the port shown is the user's choice, and the text the program itself last showed:
// text that differs from it was picked or typed by the user.
bool choiceInForce = false;
std::string programText;
// The port the list last showed when it was filled, and the device behind it, kept while that
// port is gone, so that the next start finds the board again.
std::string keptPort;
std::string keptDevice;
bool filling = false;    // the program itself is changing the control

int portNumber(const PortEntry& entry)
{
    return atoi(entry.portName.c_str() + 3);
}

// The drop-down is made wide enough for the longest entry: a clone's name is wider than the list.
void fitDropDown(HWND list, const std::vector<PortEntry>& ports)
{
    HDC dc = GetDC(list);
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0)));
    int widest = 0;
    for (const PortEntry& port : ports) {
        SIZE size = {};
        GetTextExtentPoint32A(dc, port.text.c_str(), static_cast<int>(port.text.size()), &size);
        widest = std::max(widest, static_cast<int>(size.cx));
    }
    SelectObject(dc, oldFont);
    ReleaseDC(list, dc);
    // Room for the entry's margins and the list's scroll bar.
    int width = widest + 2 * GetSystemMetrics(SM_CXEDGE) + GetSystemMetrics(SM_CXVSCROLL) + 8;
    SendMessageA(list, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(width), 0);
}

void traceInPortOrder(const std::vector<PortEntry>& ports)
{
    std::vector<PortEntry> inOrder = ports;
    std::stable_sort(inOrder.begin(), inOrder.end(), [](const PortEntry& a, const PortEntry& b) {
        return portNumber(a) < portNumber(b);
    });
    for (const PortEntry& port : inOrder) {
        trace("%s found\n", port.portName.c_str());
    }
    trace("Serial port detection done\n");
}

std::string deviceOf(const std::string& portName)
{
    for (const PortEntry& entry : listed) {
        if (entry.portName == portName) {
            return entry.deviceId;
        }
    }
    return std::string();
}

// The list's entries; then the entry chosen is selected, or the text given is shown.
void fillPortList(HWND window, const std::vector<PortEntry>& ports, int chosen,
                  const std::string& text = std::string())
{
    HWND list = GetDlgItem(window, IDC_PORT_LIST);
    filling = true;
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    for (const PortEntry& port : ports) {
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(port.text.c_str()));
    }
    fitDropDown(list, ports);
    listed = ports;
    if (!text.empty()) {
        SetWindowTextA(list, text.c_str());
    } else {
        LRESULT index = 0; // the first entry the list shows, when none in particular is chosen
        if (chosen >= 0) {
            index = SendMessageA(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(ports[chosen].text.c_str()));
        }
        SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    filling = false;
    programText = windowText(list);
    std::string port = portNameFromText(programText);
    std::string device = deviceOf(port);
    if (port != keptPort || !device.empty()) {
        keptPort = port;
        keptDevice = device;
    }
}

// Rebuilds the list from the system's ports and the probed ones, by the selection rule; returns
// the status line's sentence when the program selected a Mega that arrived (else empty). A
// device change that left the entries as they were touches nothing: an open drop-down stays
// open, typed text and its caret stay.
std::string rebuildPortList(HWND window, const std::vector<SystemPort>& known, bool scanned)
{
    HWND list = GetDlgItem(window, IDC_PORT_LIST);
    std::vector<PortEntry> ports = listedPorts(known, probed);
    traceInPortOrder(ports);
    if (!scanned && sameEntries(ports, listed)) {
        return std::string();
    }
    std::string text = windowText(list);
    PortShown shown = refreshedSelection(ports, listed, text, choiceInForce || text != programText);
    choiceInForce = shown.chosen;
    fillPortList(window, ports, shown.index, shown.text);
    return shown.announce ? arrivedMegaStatus(ports[shown.index]) : std::string();
}

} // namespace

void scanPortsAtStart(HWND window, const std::string& rememberedPort,
                      const std::string& rememberedDevice)
{
    traceSection("Serial port detection:\n");
    setStatusLine("Scanning for serial ports..");
    std::vector<SystemPort> known = systemSerialPorts();
    probed = probePorts(known);
    std::vector<PortEntry> ports = listedPorts(known, probed);
    traceInPortOrder(ports);
    int remembered = startingSelection(ports, rememberedPort, rememberedDevice);
    // The last run's port, found again, is the user's choice; a Mega or the first entry is not.
    choiceInForce = remembered >= 0 &&
                    (ports[remembered].portName == rememberedPort ||
                     (!rememberedDevice.empty() && ports[remembered].deviceId == rememberedDevice));
    fillPortList(window, ports, remembered);
    setStatusLine("OK");
}

void scanPorts(HWND window)
{
    traceSection("Serial port detection:\n");
    setStatusLine("Scanning for serial ports..");
    std::vector<SystemPort> known = systemSerialPorts();
    probed = probePorts(known);
    std::string picked = rebuildPortList(window, known, true);
    setStatusLine(picked.empty() ? "OK" : picked.c_str());
}

void refreshPorts(HWND window)
{
    traceSection("Serial port detection:\n");
    std::string picked = rebuildPortList(window, systemSerialPorts(), false);
    if (!picked.empty()) {
        setStatusLine(picked.c_str());
    }
}

std::string shownPortDevice(HWND window)
{
    std::string port = portNameFromText(windowText(GetDlgItem(window, IDC_PORT_LIST)));
    std::string device = deviceOf(port);
    return device.empty() && port == keptPort ? keptDevice : device;
}

void notePortChoice()
{
    if (!filling) {
        choiceInForce = true;
    }
}
