// The port list control: filled from a scan of the serial ports, kept up to date as devices come
// and go, and asked which port and device it shows.
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

// The list's entries, traced in port order; then the entry chosen is selected, unless what the
// user typed is to stay.
void fillPortList(HWND window, const std::vector<PortEntry>& ports, int chosen,
                  bool keepTyped = false)
{
    std::vector<PortEntry> inOrder = ports;
    std::stable_sort(inOrder.begin(), inOrder.end(), [](const PortEntry& a, const PortEntry& b) {
        return portNumber(a) < portNumber(b);
    });
    for (const PortEntry& port : inOrder) {
        trace("%s found\n", port.portName.c_str());
    }
    trace("Serial port detection done\n");
    HWND list = GetDlgItem(window, IDC_PORT_LIST);
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    for (const PortEntry& port : ports) {
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(port.text.c_str()));
    }
    fitDropDown(list, ports);
    LRESULT index = 0; // the first entry the list shows, when none in particular is chosen
    if (chosen >= 0) {
        index = SendMessageA(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                             reinterpret_cast<LPARAM>(ports[chosen].text.c_str()));
    }
    if (!keepTyped) {
        SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    listed = ports;
}

// Rebuilds the list from the system's ports and the probed ones. What the user typed over the
// list stays, unless a Mega arrived to be selected.
void rebuildPortList(HWND window, const std::vector<SystemPort>& known)
{
    HWND list = GetDlgItem(window, IDC_PORT_LIST);
    std::string text = windowText(list);
    bool typed = std::none_of(listed.begin(), listed.end(),
                              [&text](const PortEntry& port) { return port.text == text; });
    std::vector<PortEntry> before = listed;
    std::vector<PortEntry> ports = listedPorts(known, probed);
    bool keepTyped = typed && !text.empty() && arrivedMega(ports, before) < 0;
    fillPortList(window, ports, refreshedSelection(ports, before, portNameFromText(text)),
                 keepTyped);
    if (keepTyped) {
        SetWindowTextA(list, text.c_str());
    }
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
    fillPortList(window, ports, startingSelection(ports, rememberedPort, rememberedDevice));
    setStatusLine("OK");
}

void scanPorts(HWND window)
{
    traceSection("Serial port detection:\n");
    setStatusLine("Scanning for serial ports..");
    std::vector<SystemPort> known = systemSerialPorts();
    probed = probePorts(known);
    rebuildPortList(window, known);
    setStatusLine("OK");
}

void refreshPorts(HWND window)
{
    traceSection("Serial port detection:\n");
    rebuildPortList(window, systemSerialPorts());
}

std::string shownPortDevice(HWND window)
{
    std::string port = portNameFromText(windowText(GetDlgItem(window, IDC_PORT_LIST)));
    for (const PortEntry& entry : listed) {
        if (entry.portName == port) {
            return entry.deviceId;
        }
    }
    return std::string();
}
