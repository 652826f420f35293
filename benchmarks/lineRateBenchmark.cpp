// Log mode at line rate with "Log to file..." on: a gateway on a pseudo-terminal sends numbered
// 48-byte lines at 5760 bytes a second (57600 baud) for a while; afterwards every line must be
// in the log file once, in order, and the view must end with the newest lines, in order. Also
// prints the program's private bytes after start-up and after the run.
//   line_rate_benchmark.exe [SECONDS]   (600 when not given; 3600 for the hour-long run)
#include "serialPeer.h" // brings winsock2.h, which must come before windows.h

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <string>

#include "loaderApp.h"
#include "resource.h"

namespace {

// How the numbered lines of a text follow each other.
struct LineCount {
    int first = 0;
    int last = 0;
    int lines = 0;
    int doubled = 0;
    int outOfOrder = 0;
    int gaps = 0; // lines missing between the first and the last
};

LineCount countLines(const std::string& text)
{
    LineCount count;
    for (size_t at = text.find("line "); at != std::string::npos; at = text.find("line ", at + 1)) {
        int number = atoi(text.c_str() + at + 5);
        ++count.lines;
        if (count.lines == 1) {
            count.first = number;
        } else if (number == count.last) {
            ++count.doubled;
            continue;
        } else if (number < count.last) {
            ++count.outOfOrder;
            continue;
        } else {
            count.gaps += number - count.last - 1;
        }
        count.last = number;
    }
    return count;
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
    SIZE_T startBytes = app.privateBytes();
    std::string logPath = app.workFolder() + "\\gateway.log";
    if (!app.chooseSaveFile(IDM_LOG_TO_FILE, "Log to file", &logPath)) {
        printf("the log file could not be chosen\n");
        return 1;
    }
    app.click(IDC_LOGGING_BUTTON);
    if (!app.settle(15000) || app.text(IDC_STATUS_LINE) != "Logging...") {
        printf("log mode did not start\n");
        return 1;
    }
    peer.stream("COM3", rate, seconds);
    Sleep(static_cast<DWORD>(seconds * 1000) + 3000); // the last lines, and a poll or two
    int sent = peer.streamed("COM3");
    SIZE_T endBytes = app.privateBytes();
    std::string view = app.text(IDC_LOG_VIEW);
    app.systemCommand(IDM_LOG_TO_FILE); // unticked: the file is closed
    app.settle();
    std::stringstream file;
    file << std::ifstream(logPath, std::ios::binary).rdbuf();

    LineCount inFile = countLines(file.str());
    LineCount inView = countLines(view);
    int lost = sent - (inFile.lines - inFile.doubled - inFile.outOfOrder);
    bool viewSound = inView.last == sent && inView.gaps == 0 && inView.doubled == 0 &&
                     inView.outOfOrder == 0;
    printf("line rate %d bytes/s for %.0f s: %d lines sent, %d in the log file; lost %d, doubled "
           "%d, out of order %d (goal: none); the view holds lines %d to %d%s\n",
           rate, seconds, sent, inFile.lines, lost, inFile.doubled, inFile.outOfOrder,
           inView.first, inView.last, viewSound ? ", in order" : ", NOT in order");
    printf("private bytes: %.1f MB after start-up, %.1f MB after the run (log view %.1f MB, log "
           "file %.1f MB)\n",
           startBytes / 1048576.0, endBytes / 1048576.0, view.size() / 1048576.0,
           file.str().size() / 1048576.0);
    return lost == 0 && inFile.doubled == 0 && inFile.outOfOrder == 0 && viewSound ? 0 : 1;
}
