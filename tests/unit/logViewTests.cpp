// What the log view adds to what it shows: the times of received lines and finding text.
#include <gtest/gtest.h>

#include <string>

#include "gateway/lineTimes.h"
#include "logSearch.h"

namespace {

LogTime at(WORD hour, WORD minute, WORD second, WORD millisecond)
{
    LogTime time;
    time.local = {2026, 12, 4, 10, hour, minute, second, millisecond};
    time.offsetMinutes = 60;
    return time;
}

TEST(LineTimes, EachLineStartsWithTheTimeOfThePollThatCompletedIt)
{
    LineTimes times;
    const LogTime first = at(9, 5, 7, 12);
    const LogTime second = at(23, 59, 59, 999);
    EXPECT_EQ(times.add("untimed ", 8, first), "untimed ") << "off: the text as it came";
    times.turnOn(true);
    // The line the view was in ends as it began; a partial line waits for its line feed.
    EXPECT_EQ(times.add("end\r\n20;01;a\r\n20;02", 19, first),
              "end\r\n09:05:07.012 20;01;a\r\n");
    EXPECT_EQ(times.add(";b\r\n", 4, second), "23:59:59.999 20;02;b\r\n");
    EXPECT_EQ(times.add("20;03", 5, second), "");
    EXPECT_EQ(times.release(first), "09:05:07.012 20;03") << "let out when the port goes";
    EXPECT_EQ(times.release(first), "");
    EXPECT_EQ(times.add("x", 1, first), "");
    EXPECT_EQ(times.turnOff(second), "23:59:59.999 x") << "nothing held back is lost";
    EXPECT_EQ(times.add("y\r\n", 3, first), "y\r\n");

    times.turnOn(false);
    std::string endless(LogFile::kLongestLine + 1, 'z');
    EXPECT_EQ(times.add(endless.data(), endless.size(), first), "09:05:07.012 " + endless + "\r\n")
        << "a line without end is let out as the log file writes it";
}

TEST(LogSearch, FindsFromTheSelectionUpOrDownInEitherCase)
{
    const std::string text = "Alpha beta ALPHA gamma alpha";
    const struct {
        const char* wanted;
        size_t from;
        bool down;
        bool matchCase;
        size_t found;
    } cases[] = {
        {"alpha", 0, true, false, 0},
        {"alpha", 1, true, false, 11},
        {"alpha", 1, true, true, 23},
        {"alpha", 24, true, false, std::string::npos},
        {"ALPHA", 23, false, false, 11},
        {"ALPHA", 11, false, false, 0},
        {"ALPHA", 11, false, true, std::string::npos},
        {"alpha", 0, false, false, std::string::npos},
        {"gamma", 1000, false, false, 17},
        {"", 0, true, false, std::string::npos},
        {"delta", 0, true, false, std::string::npos},
    };
    for (const auto& c : cases) {
        LogSearch search = {c.wanted, c.down, c.matchCase};
        EXPECT_EQ(findInLog(text, c.from, search), c.found)
            << c.wanted << " from " << c.from << (c.down ? " down" : " up")
            << (c.matchCase ? ", case matched" : "");
    }
}

} // namespace
