// The remembered settings: the file's text, the place the window returns to, and the file
// itself in the application data folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "settings.h"

// Failures show the settings as their file would.
void PrintTo(const Settings& s, std::ostream* out)
{
    *out << testing::PrintToString(formatSettings(s));
}

namespace {

// Every field set; paths outside the code page and beyond the Basic Multilingual Plane, commands
// with bytes of the code page that Unicode makes C1 controls.
const Settings kFull = {L"C:\\Прошивка\\固件 \U0001F600.cpp.hex", "COM12",
                        "USB\\VID_2341&PID_0042\\85036313530351D0E0B1", true, -1800, 250, true,
                        L"D:\\Logs\\gateway é.log", true, true,
                        {"10;ping;", "10;\x80\x81\x8D\x8F\x90\x9D\xA0\xE9\xFF;"}};

// What a file without a usable window line gives.
void forgetPosition(Settings& s)
{
    s.hasWindowPosition = false;
    s.windowLeft = s.windowTop = 0;
}

TEST(SettingsText, EveryFieldComesBack)
{
    EXPECT_EQ(parseSettings(formatSettings(kFull)), kFull);
}

TEST(SettingsText, AHandWrittenFileIsRead)
{
    // Notepad's byte order mark and line ends, an unknown key, another program's section.
    const Settings written = {L"C:\\fw\\gatéway.hex", "COM7", "", true, -20, 35, true,
                              L"C:\\log.txt", true, false, {"10;caf\xE9;"}};
    EXPECT_EQ(parseSettings("\xEF\xBB\xBF[Vexlor Loader]\r\nfirmware=C:\\fw\\gat\xC3\xA9way.hex\r\n"
                            "colour=blue\r\nport= com7 \r\nwindow=-20,35\r\nlogToFile=1\r\n"
                            "logFile=C:\\log.txt\r\nlogFileDaily=1\r\ncommand=10;caf\xC3\xA9;\r\n"
                            "[Other]\r\nportDevice=USB\\X\r\n"),
              written);
}

TEST(SettingsText, ADamagedLineCostsOnlyItsOwnField)
{
    // A line in place of a good one, and how the settings read then differ from the good ones (a
    // command line adds to the others).
    auto keep = [](Settings&) {};
    const struct { std::string line; void (*lost)(Settings&); } cases[] = {
        {"firmware=C:\\fw\\\xF0\x9F\x98", [](Settings& s) { s.firmwarePath.clear(); }},
        {"firmware=C:\\fw\\a\x01.hex", [](Settings& s) { s.firmwarePath.clear(); }},
        {"firmware=C:\\" + std::string(40000, 'a'), [](Settings& s) { s.firmwarePath.clear(); }},
        {"port=LPT1", [](Settings& s) { s.portName.clear(); }},
        {"portDevice=USB\\VID\x7F", [](Settings& s) { s.portDevice.clear(); }},
        {"portDevice=" + std::string(300, 'A'), [](Settings& s) { s.portDevice.clear(); }},
        {"window=12", forgetPosition},
        {"window=100001,0", forgetPosition},
        {"window=-5,1e3", forgetPosition},
        {"logToFile=yes", [](Settings& s) { s.logToFile = false; }},
        {"logFile=\xFF\xFE", [](Settings& s) { s.logToFile = false; s.logFilePath.clear(); }},
        {"logFileDaily=yes", [](Settings& s) { s.logFileDaily = false; }},
        {"showTimes=on", [](Settings& s) { s.showLogTimes = false; }},
        {"command=10;\xD0\x9F;", keep}, {"command=10;\xF0\x9F\x98", keep}, // not 1252, not UTF-8
        {"command=10;a\x01;", keep}, {"command=10;\x7F;", keep}, {"command=1234", keep},
        {"command=" + std::string(99, 'a'), keep},
        {"command=" + std::string(98, 'a'),
         [](Settings& s) { s.commands.push_back(std::string(98, 'a')); }},
    };
    // A later line for a key overrides the earlier one; the log file is kept while logging is off.
    for (const auto& c : cases) {
        Settings expected = kFull;
        c.lost(expected);
        Settings read = parseSettings(formatSettings(kFull) + c.line + "\r\n");
        EXPECT_EQ(read, expected) << c.line.substr(0, 40);
    }
}

TEST(SettingsText, GarbageGivesDefaults)
{
    unsigned seed = 20240611;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    std::string bytes(kLargestSettingsFile, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(next());
    }
    EXPECT_EQ(parseSettings(bytes), Settings());
}

// A 1920 x 1080 screen and, to its right, a 1280 x 1024 one set 200 pixels higher.
const std::vector<RECT> kTwoScreens = {{0, 0, 1920, 1040}, {1920, -200, 3200, 824}};

void expectPlace(int left, int top, int width, int height, LONG x, LONG y)
{
    POINT place = placeOnScreen(left, top, width, height, kTwoScreens);
    EXPECT_EQ(std::make_pair(place.x, place.y), std::make_pair(x, y)) << left << "," << top;
}

TEST(SettingsWindowPlace, AWindowStaysWhileItsTitleBarCanBeGrabbed)
{
    expectPlace(1800, 100, 400, 300, 1800, 100); // across both screens
    expectPlace(-560, 10, 600, 400, -560, 10);   // 40 pixels of it left on the first
    expectPlace(-561, 10, 600, 400, 0, 10);      // only 39: moved on
}

TEST(SettingsWindowPlace, AWindowOffEveryScreenMovesOntoOne)
{
    expectPlace(5000, 5000, 600, 400, 1320, 640);
    expectPlace(-3000, 100, 2500, 1200, 0, 0);     // larger than the screen: its top-left shows
    expectPlace(2500, -350, 600, 400, 2500, -200); // title bar above the second screen
}

} // namespace
