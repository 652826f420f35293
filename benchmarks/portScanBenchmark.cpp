// Times one full port scan and one port probe, each next to a bare CreateFileA/CloseHandle
// loop over the same device paths, in the same run and the same prefix. Prints medians.
#include <windows.h>

#include <stdio.h>

#include <vector>

#include "portListControl.h"
#include "resource.h"
#include "serial/portScan.h"
#include "serial/systemPorts.h"
#include "serialPeer.h"
#include "timing.h"
#include "ui.h"

namespace {

constexpr int kRounds = 31;

void bareOpen(const char* path)
{
    HANDLE handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
    } else {
        GetLastError();
    }
}

void bareScan()
{
    char path[16];
    for (int n = 1; n <= 49; ++n) {
        wsprintfA(path, "\\\\.\\COM%d", n);
        bareOpen(path);
    }
}

} // namespace

int main()
{
    if (!createBenchmarkWindow()) {
        return 1;
    }
    SerialPeer peer;
    peer.mapPty("COM3");
    peer.mapPty("COM10");
    peer.mapTo("COM12", "/");

    std::vector<double> statusTimes, listTimes;
    for (int round = 0; round < kRounds; ++round) {
        double start = now();
        setStatusLine("Scanning for serial ports..");
        setStatusLine("OK");
        statusTimes.push_back(now() - start);
        start = now();
        SendDlgItemMessageA(app.mainWindow, IDC_PORT_LIST, CB_RESETCONTENT, 0, 0);
        for (const char* name : {"COM1", "COM3", "COM10", "COM12"}) {
            SendDlgItemMessageA(app.mainWindow, IDC_PORT_LIST, CB_ADDSTRING, 0, (LPARAM)name);
        }
        SendDlgItemMessageA(app.mainWindow, IDC_PORT_LIST, CB_SETCURSEL, 0, 0);
        listTimes.push_back(now() - start);
    }
    printf("fixed costs of a scan: two status-line texts %.3f ms, port list rebuilt %.3f ms\n",
           median(statusTimes) * 1000, median(listTimes) * 1000);

    // The system's device list, which a scan reads first and a device change reads alone.
    std::vector<double> deviceListTimes, refreshTimes;
    for (int round = 0; round < kRounds; ++round) {
        double start = now();
        systemSerialPorts();
        deviceListTimes.push_back(now() - start);
        start = now();
        refreshPorts(app.mainWindow);
        refreshTimes.push_back(now() - start);
    }
    printf("the system's device list read: %.3f ms; the list refreshed after a device change: "
           "%.3f ms\n", median(deviceListTimes) * 1000, median(refreshTimes) * 1000);

    std::vector<double> scan, bareScanTimes, probe, bareProbe;
    for (int round = 0; round < kRounds; ++round) {
        double start = now();
        scanPorts(app.mainWindow);
        scan.push_back(now() - start);

        start = now();
        bareScan();
        bareScanTimes.push_back(now() - start);

        start = now();
        probePort("COM3");
        probe.push_back(now() - start);

        start = now();
        bareOpen("\\\\.\\COM3");
        bareProbe.push_back(now() - start);
    }
    double scanMs = median(scan) * 1000;
    double bareScanMs = median(bareScanTimes) * 1000;
    double probeMs = median(probe) * 1000;
    double bareProbeMs = median(bareProbe) * 1000;
    printf("port scan (49 ports, 3 mapped + COM1): %.3f ms; bare open/close loop: %.3f ms; "
           "ratio %.2f (goal <= 1.2)\n",
           scanMs, bareScanMs, scanMs / bareScanMs);
    printf("port probe (COM3, free): %.3f ms; bare open/close: %.3f ms; ratio %.2f\n", probeMs,
           bareProbeMs, probeMs / bareProbeMs);
    printf("medians of %d rounds, interleaved\n", kRounds);
    DestroyWindow(app.mainWindow);
    return 0;
}
