// Times in the log view.
//
// Subsystem floor (gateway/): knows no window; includes serial/ and platform/ only.
#include "lineTimes.h"

#include <string.h>

void formatLineTime(const LogTime& time, char* text)
{
    const SYSTEMTIME& t = time.local;
    wsprintfA(text, "%02u:%02u:%02u.%03u ", t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
}

void LineTimes::turnOn(bool viewMidLine)
{
    on = true;
    finishingUntimed = viewMidLine;
    held.clear();
}

std::string LineTimes::turnOff(const LogTime& time)
{
    std::string rest = release(time);
    on = false;
    finishingUntimed = false;
    return rest;
}

std::string LineTimes::add(const char* text, size_t count, const LogTime& time)
{
    if (!on) {
        return std::string(text, count);
    }
    std::string shown;
    const char* end = text + count;
    if (finishingUntimed) {
        const char* lineFeed = static_cast<const char*>(memchr(text, '\n', count));
        const char* untimedEnd = lineFeed == nullptr ? end : lineFeed + 1;
        shown.assign(text, untimedEnd);
        text = untimedEnd;
        finishingUntimed = lineFeed == nullptr;
    }
    char stamp[16];
    formatLineTime(time, stamp);
    shown.reserve(shown.size() + (end - text) * 5 / 4);
    while (text < end) {
        const char* lineFeed = static_cast<const char*>(memchr(text, '\n', end - text));
        if (lineFeed == nullptr) {
            held.append(text, end - text);
            break;
        }
        shown += stamp;
        shown += held;
        held.clear();
        shown.append(text, lineFeed + 1);
        text = lineFeed + 1;
    }
    if (held.size() > LogFile::kLongestLine) {
        shown += stamp;
        shown += held;
        shown += "\r\n";
        held.clear();
    }
    return shown;
}

std::string LineTimes::release(const LogTime& time)
{
    if (held.empty()) {
        return std::string();
    }
    char stamp[16];
    formatLineTime(time, stamp);
    std::string rest = stamp + held;
    held.clear();
    return rest;
}
