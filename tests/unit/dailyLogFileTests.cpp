// "New log file each day": the dated names, and the switch between files at midnight with the
// clock given as input.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gateway/dailyLogName.h"
#include "gateway/logFile.h"
#include "platform/codePagePath.h"

namespace {

// hh:mm:ss.mmm on the given day of December 2026, offsetMinutes ahead of UTC.
LogTime at(WORD day, WORD hour, WORD minute, WORD second, WORD millisecond = 0,
           int offsetMinutes = 60)
{
    LogTime time;
    time.local = {2026, 12, 0, day, hour, minute, second, millisecond};
    time.offsetMinutes = offsetMinutes;
    return time;
}

TEST(DailyLogName, TheDateGoesBeforeTheExtension)
{
    const SYSTEMTIME date = {2027, 1, 0, 5, 0, 0, 0, 0};
    const struct {
        std::wstring chosen;
        std::wstring dated;
    } cases[] = {
        {L"D:\\logs\\gateway.log", L"D:\\logs\\gateway-2027-01-05.log"},
        {L"D:\\logs\\gateway", L"D:\\logs\\gateway-2027-01-05"},
        {L"D:\\logs.old\\gateway", L"D:\\logs.old\\gateway-2027-01-05"},
        {L"D:\\logs\\gateway.cpp.txt", L"D:\\logs\\gateway.cpp-2027-01-05.txt"},
        {L"\\\\server\\share.x\\gw.log", L"\\\\server\\share.x\\gw-2027-01-05.log"},
        {L"C:gw.log", L"C:gw-2027-01-05.log"},
        {L"D:/logs/.log", L"D:/logs/.log-2027-01-05"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(datedLogName(c.chosen, date) == c.dated) << &c - cases;
    }
}

// A log file in daily mode, opened just before midnight, in a folder of its own.
class DailyLogFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        folder = temp + ("vexlor-daily-" + std::to_string(GetCurrentProcessId())) + "\\";
        CreateDirectoryA(folder.c_str(), nullptr);
        ASSERT_TRUE(log.open(wideText(folder + "gateway.log"), true, at(10, 23, 59, 58)));
    }

    void TearDown() override
    {
        log.close();
        for (const std::string& name : files()) {
            DeleteFileA((folder + name).c_str()) || RemoveDirectoryA((folder + name).c_str());
        }
        RemoveDirectoryA(folder.c_str());
    }

    std::vector<std::string> files()
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "gateway*").c_str(), &found);
        bool more = search != INVALID_HANDLE_VALUE;
        for (; more; more = FindNextFileA(search, &found)) {
            names.push_back(found.cFileName);
        }
        FindClose(search);
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string read(const char* name)
    {
        std::stringstream text;
        text << std::ifstream(folder + name, std::ios::binary).rdbuf();
        return text.str();
    }

    std::string folder;
    LogFile log;
};

// A line begun before midnight and ended after it goes whole into the new day's file, after
// the line naming the previous file; nothing is lost or doubled.
TEST_F(DailyLogFileTest, AtMidnightTheNextLineStartsTheNewDaysFile)
{
    ASSERT_TRUE(log.write("20;01;a;\r\n20;02;b", 17, at(10, 23, 59, 59, 900)));
    ASSERT_TRUE(log.write(";\r\n20;03;c;\r\n", 13, at(11, 0, 0, 0, 900)));
    ASSERT_TRUE(log.writeLine("10;version;", at(11, 0, 0, 1)));
    EXPECT_EQ(read("gateway-2026-12-10.log"), "2026-12-10 23:59:59.900 +01:00 20;01;a;\r\n");
    EXPECT_EQ(read("gateway-2026-12-11.log"),
              "2026-12-11 00:00:00.900 +01:00 -- Previous log file: gateway-2026-12-10.log --\r\n"
              "2026-12-11 00:00:00.900 +01:00 20;02;b;\r\n"
              "2026-12-11 00:00:00.900 +01:00 20;03;c;\r\n"
              "2026-12-11 00:00:01.000 +01:00 10;version;\r\n");
    EXPECT_EQ(log.path(), folder + "gateway-2026-12-11.log");
    EXPECT_TRUE(log.fullPath() == wideText(folder + "gateway.log")) << "the name remembered";
}

// A clock set back over midnight goes on in the earlier date's file, so a day never has two
// files and no line is in a file of another date.
TEST_F(DailyLogFileTest, AClockSetBackReturnsToTheEarlierDaysFile)
{
    ASSERT_TRUE(log.writeLine("one", at(10, 23, 59, 59)));
    ASSERT_TRUE(log.writeLine("two", at(11, 0, 0, 5)));
    ASSERT_TRUE(log.writeLine("three", at(10, 23, 59, 50)));
    ASSERT_TRUE(log.writeLine("four", at(11, 0, 0, 6)));
    EXPECT_EQ(files(),
              (std::vector<std::string>{"gateway-2026-12-10.log", "gateway-2026-12-11.log"}));
    EXPECT_EQ(read("gateway-2026-12-10.log"),
              "2026-12-10 23:59:59.000 +01:00 one\r\n"
              "2026-12-10 23:59:50.000 +01:00 -- Previous log file: gateway-2026-12-11.log --\r\n"
              "2026-12-10 23:59:50.000 +01:00 three\r\n");
    EXPECT_EQ(read("gateway-2026-12-11.log"),
              "2026-12-11 00:00:05.000 +01:00 -- Previous log file: gateway-2026-12-10.log --\r\n"
              "2026-12-11 00:00:05.000 +01:00 two\r\n"
              "2026-12-11 00:00:06.000 +01:00 -- Previous log file: gateway-2026-12-10.log --\r\n"
              "2026-12-11 00:00:06.000 +01:00 four\r\n");
}

// The hour repeated when daylight saving time ends changes the offset, not the date.
TEST_F(DailyLogFileTest, ARepeatedHourStaysInItsFile)
{
    ASSERT_TRUE(log.writeLine("summer", at(10, 2, 59, 59, 0, 120)));
    ASSERT_TRUE(log.writeLine("winter", at(10, 2, 0, 1, 0, 60)));
    EXPECT_EQ(files(), std::vector<std::string>{"gateway-2026-12-10.log"});
    EXPECT_EQ(read("gateway-2026-12-10.log"), "2026-12-10 02:59:59.000 +02:00 summer\r\n"
                                              "2026-12-10 02:00:01.000 +01:00 winter\r\n");
}

// Turning the option off and on while writing goes on at once under the other name.
TEST_F(DailyLogFileTest, TogglingSwitchesAtOnce)
{
    ASSERT_TRUE(log.setDaily(false, at(10, 12, 0, 0)));
    ASSERT_TRUE(log.writeLine("plain", at(10, 12, 0, 1)));
    ASSERT_TRUE(log.setDaily(true, at(10, 12, 0, 2)));
    EXPECT_EQ(read("gateway.log"),
              "2026-12-10 12:00:00.000 +01:00 -- Previous log file: gateway-2026-12-10.log --\r\n"
              "2026-12-10 12:00:01.000 +01:00 plain\r\n");
    EXPECT_EQ(read("gateway-2026-12-10.log"),
              "2026-12-10 12:00:02.000 +01:00 -- Previous log file: gateway.log --\r\n");
}

// The new day's file that cannot be opened (here a folder has its name) fails the write and
// closes the log file, naming the file that was tried.
TEST_F(DailyLogFileTest, ANewFileThatCannotBeOpenedFailsTheWrite)
{
    ASSERT_TRUE(CreateDirectoryA((folder + "gateway-2026-12-11.log").c_str(), nullptr));
    EXPECT_FALSE(log.writeLine("after midnight", at(11, 0, 0, 1)));
    EXPECT_FALSE(log.isOpen());
    EXPECT_EQ(log.path(), folder + "gateway-2026-12-11.log");
    EXPECT_EQ(log.lastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

} // namespace
