// What a long log session costs: one poll at line rate (a real read from a pseudo-terminal,
// the log file and the view) in an empty view and after 5 MB received, next to the same poll
// after 100 MB received; the program's private bytes after 5 MB and after 100 MB; and, for the
// choice of the view's limit, an append by the size of the text the view holds.
//
// The 100 MB go through the path every poll's text takes (log file, then view), in pieces of
// 64 KB made as they are needed: about five minutes, nearly all of it in the edit control. The
// three kinds of poll are measured in turn in each round, the view being put back each time to
// what it held at that point.
#include "serialPeer.h" // brings winsock2.h, which must come before windows.h

#include <windows.h>
#include <psapi.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "gateway/lineTimes.h"
#include "gateway/logSession.h"
#include "logFind.h"
#include "logKeeping.h"
#include "logViewLimit.h"
#include "resource.h"
#include "serial/serial.h"
#include "timing.h"
#include "ui.h"

namespace {

constexpr int kRounds = 31;
constexpr size_t kLineRatePoll = 5760; // one second at 57600 baud

// Lines as a gateway sends them, 48 bytes each.
std::string gatewayLines(size_t bytes)
{
    std::string text;
    char line[64];
    for (int n = 1; text.size() < bytes; ++n) {
        wsprintfA(line, "20;%02X;Alecto V1;ID=%04X;TEMP=00c3;HUM=58;OK;\r\n", n & 0xFF, n & 0xFFFF);
        text += line;
    }
    text.resize(bytes);
    return text;
}

double privateMegabytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    // Wine leaves PrivateUsage at 0 and reports the same figure as the page-file usage.
    SIZE_T bytes = counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
    return bytes / 1048576.0;
}

// What the window does with a session's reports.
class ViewWatcher : public LogSessionWatcher {
public:
    void show(const char* text) override { appendToLogEnd(text); }
    void stateChanged() override {}
    void status(const char*) override {}
    void logFileStopped(const std::string&, const std::string&) override {}
};

// Gateway lines through the path a poll's text takes (the log file, then the view), in pieces
// of 64 KB.
void receive(size_t bytes)
{
    std::string piece = gatewayLines(65536);
    for (size_t done = 0; done < bytes; done += piece.size()) {
        logFile().write(piece.data(), piece.size(), logTimeNow());
        appendToLogEnd(piece.c_str());
    }
}

// One poll that finds one second at line rate waiting on the port, in a view holding held.
double timedPoll(LogSession& session, SerialPeer& peer, const std::string& poll,
                 const std::string& held)
{
    SetDlgItemTextA(app.mainWindow, IDC_LOG_VIEW, held.c_str());
    peer.send("COM3", poll);
    Sleep(30);
    double start = now();
    session.poll();
    return now() - start;
}

// Append times by the size the view holds, the figures behind the view's limit.
void printAppendBySize(const std::string& poll)
{
    const size_t sizes[] = {0, 64, 128, 256, 384, 512, 1024};
    std::vector<std::string> held;
    for (size_t kilobytes : sizes) {
        held.push_back(gatewayLines(kilobytes * 1024));
    }
    std::vector<std::vector<double>> times(held.size());
    for (int round = 0; round < 7; ++round) {
        for (size_t i = 0; i < held.size(); ++i) {
            SetDlgItemTextA(app.mainWindow, IDC_LOG_VIEW, held[i].c_str());
            double start = now();
            appendToLogEnd(poll.c_str());
            times[i].push_back(now() - start);
        }
    }
    printf("one line-rate append (%u bytes) by what the view holds:",
           static_cast<unsigned>(poll.size()));
    for (size_t i = 0; i < held.size(); ++i) {
        printf(" %u KB %.1f ms;", static_cast<unsigned>(sizes[i]), median(times[i]) * 1000);
    }
    printf("\n");
}

// Find Next in a full view, searching its whole text (the match is in its first line and the
// search goes up from its end; or a miss, from its start down), and what times on screen add to
// a line-rate poll next to that poll's append to the view.
void printFindAndTimes(const std::string& poll)
{
    HWND view = GetDlgItem(app.mainWindow, IDC_LOG_VIEW);
    std::string full = gatewayLines(kLogViewLimit);
    std::string firstId = full.substr(full.find("ID="), 8);
    const LogSearch up = {firstId, false, false};
    const LogSearch miss = {"no such text", true, false};
    std::string steady = gatewayLines(kLogViewKept);
    std::vector<double> upTimes;
    std::vector<double> missTimes;
    std::vector<double> timesAdded;
    std::vector<double> appends;
    bool found = true;
    for (int round = 0; round < kRounds; ++round) {
        SetDlgItemTextA(app.mainWindow, IDC_LOG_VIEW, full.c_str());
        SendMessageA(view, EM_SETSEL, full.size(), full.size());
        double start = now();
        found = selectNextMatch(up) && found;
        upTimes.push_back(now() - start);
        SendMessageA(view, EM_SETSEL, 0, 0);
        start = now();
        found = !selectNextMatch(miss) && found;
        missTimes.push_back(now() - start);

        LineTimes times;
        times.turnOn(false);
        start = now();
        std::string timed = times.add(poll.data(), poll.size(), logTimeNow());
        timesAdded.push_back(now() - start);
        SetDlgItemTextA(app.mainWindow, IDC_LOG_VIEW, steady.c_str());
        start = now();
        appendToLogEnd(timed.c_str());
        appends.push_back(now() - start);
    }
    printf("Find Next in a full view (%u KB): %.1f ms up from its end to its first line, %.1f ms "
           "for a miss (goal <= 50 ms)%s\n",
           static_cast<unsigned>(full.size() / 1024), median(upTimes) * 1000,
           median(missTimes) * 1000, found ? "" : "; A SEARCH WENT WRONG");
    printf("times on screen for a line-rate poll: %.3f ms, next to its append to the view %.1f ms: "
           "ratio %.3f (goal <= 0.1)\n",
           median(timesAdded) * 1000, median(appends) * 1000, median(timesAdded) / median(appends));
}

} // namespace

int main()
{
    SerialPeer peer;
    peer.unmap("COM1");
    peer.mapPty("COM3");
    if (!createBenchmarkWindow()) {
        return 1;
    }
    prepareControls();
    ShowWindow(app.mainWindow, SW_SHOW);
    std::string poll = gatewayLines(kLineRatePoll);
    printAppendBySize(poll);
    printFindAndTimes(poll);

    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    std::string logPath = std::string(folder) + "vexlor-log-growth.log";
    DeleteFileA(logPath.c_str());
    ViewWatcher watcher;
    LogSession session(watcher, logFile());
    if (session.open("COM3") != PORT_STATUS_OPEN || !startLogFile(logPath.c_str())) {
        printf("the port or the log file did not open\n");
        return 1;
    }

    double start = now();
    receive(5 * 1048576);
    double at5 = privateMegabytes();
    std::string viewAt5 = logViewText();
    receive(95 * 1048576);
    double feedSeconds = now() - start;
    double at100 = privateMegabytes();
    std::string viewAt100 = logViewText();

    std::vector<double> emptyTimes;
    std::vector<double> times5;
    std::vector<double> times100;
    for (int round = 0; round < kRounds; ++round) {
        emptyTimes.push_back(timedPoll(session, peer, poll, std::string()));
        times5.push_back(timedPoll(session, peer, poll, viewAt5));
        times100.push_back(timedPoll(session, peer, poll, viewAt100));
    }
    double empty = median(emptyTimes);
    double after5 = median(times5);
    double loaded = median(times100);

    // A poll that takes the view past its limit also removes the oldest lines.
    std::string untilFull = gatewayLines(kLogViewLimit);
    std::vector<double> trims;
    for (int round = 0; round < 5; ++round) {
        trims.push_back(timedPoll(session, peer, poll, untilFull));
    }
    printf("poll at line rate (read, log file, view): empty view %.1f ms, after 5 MB received "
           "%.1f ms, after 100 MB %.1f ms; ratio 100 MB / empty %.2f (goal <= 1.2), 100 MB / 5 MB "
           "%.2f\n",
           empty * 1000, after5 * 1000, loaded * 1000, loaded / empty, loaded / after5);
    printf("a poll that trims the view (every %u KB, about every %u s at line rate): %.1f ms\n",
           static_cast<unsigned>((kLogViewLimit - kLogViewKept) / 1024),
           static_cast<unsigned>((kLogViewLimit - kLogViewKept) / kLineRatePoll),
           median(trims) * 1000);
    printf("private bytes: %.1f MB after 5 MB received, %.1f MB after 100 MB (%+.1f MB, goal at "
           "most +10); the view held %u bytes after 100 MB; 100 MB took %.0f s\n",
           at5, at100, at100 - at5, static_cast<unsigned>(viewAt100.size()), feedSeconds);
    closeLogFile();
    DeleteFileA(logPath.c_str());
    DestroyWindow(app.mainWindow);
    return 0;
}
