// The log file's lines and times, and the log view's limit (against the real main window).
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "appState.h"
#include "gateway/logFile.h"
#include "logKeeping.h"
#include "logViewLimit.h"
#include "resource.h"
#include "startup.h"
#include "testWindow.h"
#include "ui.h"

namespace {

// 09:05:ss.mmm on 8 December 2026, one hour ahead of UTC.
LogTime at(WORD second, WORD millisecond, int offsetMinutes = 60)
{
    LogTime time;
    time.local.wYear = 2026;
    time.local.wMonth = 12;
    time.local.wDay = 8;
    time.local.wHour = 9;
    time.local.wMinute = 5;
    time.local.wSecond = second;
    time.local.wMilliseconds = millisecond;
    time.offsetMinutes = offsetMinutes;
    return time;
}

std::string readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// A name the code page cannot write is the file's own name, never one with '?' for what the
// code page lacks; the path messages show names the same file, and the whole path is kept for
// the next start.
TEST(LogFileName, ANameOutsideTheCodePageIsKept)
{
    wchar_t folder[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, folder);
    std::wstring path = folder + (L"журнал-" + std::to_wstring(GetCurrentProcessId()) + L".log");
    LogFile log;
    ASSERT_TRUE(log.open(path));
    EXPECT_TRUE(log.fullPath() == path);
    log.writeLine("10;version;", at(1, 0));
    log.close();
    EXPECT_EQ(readFile(log.path()), "2026-12-08 09:05:01.000 +01:00 10;version;\r\n") << log.path();
    EXPECT_TRUE(DeleteFileW(path.c_str()));
}

class LogFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char folder[MAX_PATH];
        GetTempPathA(sizeof folder, folder);
        path = std::string(folder) + "vexlor-log-" + std::to_string(GetCurrentProcessId()) + ".log";
        DeleteFileA(path.c_str());
        ASSERT_TRUE(log.open(path.c_str()));
    }

    void TearDown() override
    {
        log.close();
        DeleteFileA(path.c_str());
    }

    std::string path;
    LogFile log;
};

// A line carries the time of the poll that completed it, so a line of the program's own
// never splits one the gateway was sending, and the times never go back.
TEST_F(LogFileTest, WholeLinesCarryTheTimeThatCompletedThem)
{
    ASSERT_TRUE(log.write("20;01;a;\r\n20;02;b", 17, at(1, 0)));
    ASSERT_TRUE(log.writeLine("10;version;", at(1, 500)));
    ASSERT_TRUE(log.write(";\r\n\r\n", 5, at(2, 7)));
    ASSERT_TRUE(log.write("20;03;cut", 9, at(3, 0)));
    ASSERT_TRUE(log.endPartialLine(at(3, 1))); // the port went away mid-line
    ASSERT_TRUE(log.writeLine("-- COM3 lost --", at(3, 1)));
    EXPECT_EQ(readFile(path), "2026-12-08 09:05:01.000 +01:00 20;01;a;\r\n"
                              "2026-12-08 09:05:01.500 +01:00 10;version;\r\n"
                              "2026-12-08 09:05:02.007 +01:00 20;02;b;\r\n"
                              "2026-12-08 09:05:02.007 +01:00 \r\n"
                              "2026-12-08 09:05:03.001 +01:00 20;03;cut\r\n"
                              "2026-12-08 09:05:03.001 +01:00 -- COM3 lost --\r\n");
}

TEST_F(LogFileTest, ClosingWritesTheUnfinishedLineAndReopeningAppends)
{
    ASSERT_TRUE(log.write("first\r\nunfinished", 17, at(1, 0)));
    log.close();
    ASSERT_TRUE(log.open(path.c_str()));
    ASSERT_TRUE(log.write("again\n", 6, at(2, 0)));
    log.close();
    std::string text = readFile(path);
    EXPECT_EQ(text.find("2026-12-08 09:05:01.000 +01:00 first\r\n"), 0u) << text;
    EXPECT_NE(text.find(" unfinished\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.size() - 37), "2026-12-08 09:05:02.000 +01:00 again\n");
}

TEST_F(LogFileTest, AnEndlessLineIsWrittenInPieces)
{
    std::string noLineFeed(LogFile::kLongestLine + 10, 'x');
    ASSERT_TRUE(log.write(noLineFeed.data(), noLineFeed.size(), at(1, 0)));
    EXPECT_EQ(readFile(path), "2026-12-08 09:05:01.000 +01:00 " + noLineFeed + "\r\n");
}

// Each line carries the local time's offset from UTC, so that lines stay ordered across the
// end of daylight saving time, when the local clock goes back an hour.
TEST(LogTimeStamp, CarriesTheOffsetFromUtc)
{
    char stamp[40];
    const struct {
        int offsetMinutes;
        const char* text;
    } cases[] = {{60, "2026-12-08 09:05:07.012 +01:00"}, {0, "2026-12-08 09:05:07.012 +00:00"},
                 {-330, "2026-12-08 09:05:07.012 -05:30"}, {345, "2026-12-08 09:05:07.012 +05:45"}};
    for (const auto& c : cases) {
        formatTimestamp(at(7, 12, c.offsetMinutes), stamp);
        EXPECT_STREQ(stamp, c.text);
    }
}

TEST(LogViewLimit, CutsWholeOldLinesDownToWhatIsKept)
{
    std::string text = "aaaa\nbbbb\ncccc\ndddd\n";
    EXPECT_EQ(logViewCutPoint(text.data(), text.size(), 20, 10), 0u) << "within the limit";
    EXPECT_EQ(logViewCutPoint(text.data(), text.size(), 19, 10), 10u) << "at a line start";
    EXPECT_EQ(logViewCutPoint(text.data(), text.size(), 19, 12), 10u);
    EXPECT_EQ(logViewCutPoint(text.data(), text.size(), 19, 9), 15u) << "whole lines only";
    std::string oneLine(30, 'z');
    EXPECT_EQ(logViewCutPoint(oneLine.data(), oneLine.size(), 19, 10), 20u) << "a line longer than kept";
}

using LogViewTest = MainWindowTest;

TEST_F(LogViewTest, PastItsLimitTheViewDropsItsOldestLinesAndSaysSo)
{
    prepareControls(); // raises the edit control's own limit as start-up does
    std::string lines;
    for (int i = 0; lines.size() < kLogViewLimit + 100000; ++i) {
        lines += "line " + std::to_string(i) + "\r\n";
    }
    appendToLogEnd(lines.c_str());
    std::string shown = text(IDC_LOG_VIEW);
    EXPECT_LE(shown.size(), kLogViewLimit);
    std::string notice = "-- Earlier lines were removed from this view --\r\n";
    ASSERT_EQ(shown.compare(0, notice.size(), notice), 0) << shown.substr(0, 100);
    std::string rest = shown.substr(notice.size());
    EXPECT_EQ(rest.compare(0, 5, "line "), 0) << "whole lines: " << rest.substr(0, 20);
    EXPECT_EQ(lines.compare(lines.size() - rest.size(), rest.size(), rest), 0)
        << "the newest text is kept as it came";

    SetDlgItemTextA(app.mainWindow, IDC_LOG_VIEW, "");
    EXPECT_EQ(text(IDC_LOG_VIEW), "");
}

TEST_F(LogViewTest, WhileLoggingToAFileItIsTickedAndRemovedLinesPointToIt)
{
    prepareControls();
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    std::string path = std::string(folder) + "vexlor-ticked.log";
    HMENU menu = GetSystemMenu(app.mainWindow, FALSE);
    ASSERT_TRUE(startLogFile(path.c_str()));
    EXPECT_TRUE(GetMenuState(menu, IDM_LOG_TO_FILE, MF_BYCOMMAND) & MF_CHECKED);
    std::string lines;
    while (lines.size() <= kLogViewLimit) {
        lines += std::string(98, 'x') + "\r\n";
    }
    appendToLogEnd(lines.c_str());
    EXPECT_EQ(text(IDC_LOG_VIEW).find(removedLinesNotice(path)), 0u);

    toggleLogToFile(); // on: unticks without asking
    EXPECT_FALSE(GetMenuState(menu, IDM_LOG_TO_FILE, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(logFilePath(), "");
    EXPECT_TRUE(DeleteFileA(path.c_str())) << "the file was closed";
}

} // namespace
