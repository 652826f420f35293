// Half a day of log mode at line rate with "New log file each day" on: 12 hours of numbered
// gateway lines (57600 baud, 5,760 bytes a second: about 249 MB) through the path every poll's
// text takes (the log file with the poll's time, then the view), one poll of 5,760 bytes at a
// time. The clock is compressed: each poll is given an evening start (18:00:00 today) plus the
// seconds of data so far, so the run crosses midnight after six hours of data.
//
// Afterwards both files are read back: every line sent is there once and in order, each line
// is dated like its file, and the second file begins by naming the first. Private bytes are
// sampled every 4 MB; their spread after the first 5 MB should stay within 2 MB, and the whole
// run within an hour. Exits 1 when a check or a goal fails. An even number of hours given as
// its argument makes a shorter run (a quick check), still crossing midnight halfway.
#include <windows.h>
#include <psapi.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>

#include "gateway/dailyLogName.h"
#include "logKeeping.h"
#include "platform/codePagePath.h"
#include "timing.h"
#include "ui.h"

namespace {

constexpr size_t kPoll = 5760; // one second at 57600 baud
// 5,760 is no multiple of 50, so lines run across polls (and across midnight); an hour of
// data is a whole number of lines.
constexpr size_t kLineLength = 50;
constexpr unsigned kLinesAnHour = static_cast<unsigned>(kPoll * 3600 / kLineLength);
constexpr size_t kSampleEvery = 4 * 1048576;
constexpr size_t kSettled = 5 * 1048576;
constexpr size_t kStampLength = 31; // "2026-12-10 18:00:01.000 +01:00 "

std::string gatewayLine(unsigned number)
{
    char line[64];
    wsprintfA(line, "20;%02X;Alecto V1;ID=%08u;TEMP=00c3;HUM=58;OK;\r\n", number & 0xFF, number);
    return line;
}

// The numbered lines as a gateway sends them, taken a poll at a time.
class GatewayLines {
public:
    std::string next(size_t count)
    {
        while (pending.size() < count) {
            pending += gatewayLine(++made);
        }
        std::string piece = pending.substr(0, count);
        pending.erase(0, count);
        return piece;
    }

private:
    std::string pending;
    unsigned made = 0;
};

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

// The local time seconds after start.
LogTime after(const LogTime& start, unsigned seconds)
{
    FILETIME base;
    SystemTimeToFileTime(&start.local, &base);
    ULARGE_INTEGER ticks = {{base.dwLowDateTime, base.dwHighDateTime}};
    ticks.QuadPart += seconds * 10000000ULL;
    FILETIME moved = {ticks.LowPart, ticks.HighPart};
    LogTime time = start;
    FileTimeToSystemTime(&moved, &time.local);
    return time;
}

// What reading the files back found.
struct Findings {
    unsigned found = 0;    // gateway lines
    unsigned lost = 0;     // numbers skipped
    unsigned doubled = 0;  // numbers again or out of order
    unsigned damaged = 0;  // lines not as they were sent
    unsigned misdated = 0; // lines whose date is not their file's
    unsigned next = 1;     // the number expected next
};

// Reads the file of date's day; firstLine, when given, is what its first line must say. False
// when the file cannot be read or its first line is wrong.
bool check(const std::wstring& path, const SYSTEMTIME& day, const char* firstLine,
           Findings& findings, unsigned& lines)
{
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr) {
        return false;
    }
    char date[16];
    wsprintfA(date, "%04u-%02u-%02u", day.wYear, day.wMonth, day.wDay);
    bool firstRight = firstLine == nullptr;
    char line[256];
    for (lines = 0; fgets(line, sizeof line, file) != nullptr; ++lines) {
        size_t length = strlen(line);
        if (length < kStampLength || memcmp(line, date, 10) != 0) {
            ++findings.misdated;
            continue;
        }
        const char* text = line + kStampLength;
        if (lines == 0 && firstLine != nullptr) {
            firstRight = strcmp(text, firstLine) == 0;
            continue;
        }
        const char* id = strstr(text, "ID=");
        unsigned number = id != nullptr ? strtoul(id + 3, nullptr, 10) : 0;
        if (number == 0 || gatewayLine(number) != text) {
            ++findings.damaged;
            continue;
        }
        ++findings.found;
        if (number < findings.next) {
            ++findings.doubled;
            continue;
        }
        findings.lost += number - findings.next;
        findings.next = number + 1;
    }
    fclose(file);
    return firstRight;
}

} // namespace

int main(int argc, char** argv)
{
    unsigned hours = argc > 1 ? strtoul(argv[1], nullptr, 10) : 12;
    if (hours < 2 || hours > 24 || hours % 2 != 0) {
        printf("usage: half_day_benchmark [HOURS: an even number from 2 to 24, 12 if not given]\n");
        return 2;
    }
    const unsigned polls = hours * 3600;
    const unsigned sentLines = hours * kLinesAnHour;
    if (!createBenchmarkWindow()) {
        return 1;
    }
    prepareControls();
    ShowWindow(app.mainWindow, SW_SHOW);

    LogTime start = logTimeNow();
    start.local.wHour = static_cast<WORD>(24 - hours / 2);
    start.local.wMinute = start.local.wSecond = start.local.wMilliseconds = 0;
    LogTime nextDay = after(start, hours / 2 * 3600);
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    std::wstring chosen = wideText(std::string(folder) + "vexlor-half-day.log");
    std::wstring files[] = {datedLogName(chosen, start.local), datedLogName(chosen, nextDay.local)};
    for (const std::wstring& file : files) {
        DeleteFileW(file.c_str());
    }
    setDailyLogFiles(true);
    LogFile opened;
    if (!opened.open(chosen, true, start) || !resumeLogFile(opened)) {
        printf("the log file did not open\n");
        return 1;
    }

    double began = now();
    GatewayLines lines;
    double settledMin = 0, settledMax = 0, at5 = 0;
    bool settled = false;
    size_t nextSample = kSampleEvery;
    for (unsigned poll = 1; poll <= polls; ++poll) {
        std::string piece = lines.next(kPoll);
        if (!logFile().write(piece.data(), piece.size(), after(start, poll))) {
            printf("writing the log file failed at poll %u (%s)\n", poll, logFile().path().c_str());
            return 1;
        }
        appendToLogEnd(piece.c_str());
        size_t done = static_cast<size_t>(poll) * kPoll;
        if (!settled && done >= kSettled) {
            settled = true;
            at5 = settledMin = settledMax = privateMegabytes();
        }
        if (done >= nextSample) {
            nextSample += kSampleEvery;
            double megabytes = privateMegabytes();
            if (settled) {
                settledMin = std::min(settledMin, megabytes);
                settledMax = std::max(settledMax, megabytes);
            }
        }
    }
    double atEnd = privateMegabytes();
    double fed = now() - began;
    closeLogFile();

    Findings findings;
    unsigned firstLines = 0, secondLines = 0;
    std::string previousLine = "-- Previous log file: " +
                               fileNameOf(narrowText(files[0])) + " --\r\n";
    bool firstRead = check(files[0], start.local, nullptr, findings, firstLines);
    bool secondNamesFirst =
        check(files[1], nextDay.local, previousLine.c_str(), findings, secondLines);
    double wall = now() - began;

    bool linesRight = firstRead && findings.found == sentLines && findings.lost == 0 &&
                      findings.next == sentLines + 1 && findings.doubled == 0 &&
                      findings.damaged == 0;
    bool datesRight = findings.misdated == 0;
    bool memoryFlat = settledMax - settledMin <= 2.0;
    bool inTime = wall < 3600;
    printf("%u hours at line rate, %u polls of %u bytes (%.0f MB), midnight after %u hours of "
           "data:\n",
           hours, polls, static_cast<unsigned>(kPoll), kPoll * static_cast<double>(polls) / 1e6,
           hours / 2);
    printf("lines: %u sent, %u found (%u in the first day's file, %u in the second's), %u lost, "
           "%u doubled or out of order, %u not as sent: %s\n",
           sentLines, findings.found, firstLines, secondLines - 1, findings.lost, findings.doubled,
           findings.damaged, linesRight ? "met" : "NOT MET");
    printf("every line dated like its file: %s (%u not); the second file's first line names the "
           "first: %s\n",
           datesRight ? "met" : "NOT MET", findings.misdated, secondNamesFirst ? "met" : "NOT MET");
    printf("private bytes: %.1f MB after 5 MB, %.1f MB at the end; spread after 5 MB %.1f MB "
           "(%.1f to %.1f, goal at most 2): %s\n",
           at5, atEnd, settledMax - settledMin, settledMin, settledMax,
           memoryFlat ? "met" : "NOT MET");
    printf("wall time: %.0f s feeding, %.0f s with the check (goal under 3600 s): %s\n", fed, wall,
           inTime ? "met" : "NOT MET");
    for (const std::wstring& file : files) {
        DeleteFileW(file.c_str());
    }
    DestroyWindow(app.mainWindow);
    return linesRight && datesRight && secondNamesFirst && memoryFlat && inTime ? 0 : 1;
}
