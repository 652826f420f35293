// Log mode at line rate: a gateway on a pseudo-terminal sends numbered 48-byte lines at
// 5760 bytes a second (57600 baud) for a while; afterwards every line must be in the log view
// once, in order. Also prints the program's private bytes after start-up and after the run.
//   line_rate_benchmark.exe [SECONDS]   (600 when not given)
#include "serialPeer.h" // brings winsock2.h, which must come before windows.h

#include <windows.h>
#include <psapi.h>

#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "loaderApp.h"
#include "resource.h"

namespace {

SIZE_T privateBytes(DWORD processId)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    CloseHandle(process);
    // Wine leaves PrivateUsage at 0 and reports the same figure as the page-file usage.
    return counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
}

} // namespace

int main(int argc, char** argv)
{
    double seconds = argc > 1 ? atof(argv[1]) : 600;
    const int rate = 5760;
    SerialPeer peer;
    peer.unmap("COM1");
    peer.mapPty("COM3");
    peer.banner("COM3", 300, "20;00;Vexlor Gateway - R47\r\n");
    LoaderApp app;
    if (!app.start()) {
        printf("the program did not start\n");
        return 1;
    }
    SIZE_T startBytes = privateBytes(app.processId());
    app.click(IDC_LOGGING_BUTTON);
    if (!app.settle(15000) || app.text(IDC_STATUS_LINE) != "Logging...") {
        printf("log mode did not start\n");
        return 1;
    }
    peer.stream("COM3", rate, seconds);
    Sleep(static_cast<DWORD>(seconds * 1000) + 3000); // the last lines, and a poll or two
    int sent = peer.streamed("COM3");
    SIZE_T endBytes = privateBytes(app.processId());

    std::string log = app.text(IDC_LOG_VIEW);
    int expected = 1;
    int missing = 0;
    int doubled = 0;
    int outOfOrder = 0;
    for (size_t at = log.find("line "); at != std::string::npos; at = log.find("line ", at + 1)) {
        int number = atoi(log.c_str() + at + 5);
        if (number == expected) {
            ++expected;
        } else if (number > expected) {
            missing += number - expected;
            expected = number + 1;
        } else if (number == expected - 1) {
            ++doubled;
        } else {
            ++outOfOrder;
        }
    }
    int shown = expected - 1;
    missing += sent - shown;
    printf("line rate %d bytes/s for %.0f s: %d lines sent, %d shown in order; missing %d, "
           "doubled %d, out of order %d (goal: none)\n",
           rate, seconds, sent, shown, missing, doubled, outOfOrder);
    printf("private bytes: %.1f MB after start-up, %.1f MB after the run (log view %.1f MB)\n",
           startBytes / 1048576.0, endBytes / 1048576.0, log.size() / 1048576.0);
    return missing == 0 && doubled == 0 && outOfOrder == 0 ? 0 : 1;
}
