// Trace lines: written only while tracing is on, sections opened by 30 dashes, handles in a
// fixed 8-digit upper-case form.
#include <gtest/gtest.h>

#include "platform/trace.h"
#include "testWindow.h"

namespace {

class TraceTest : public ::testing::Test {
protected:
    void SetUp() override { setTracing(false); }
    void TearDown() override { setTracing(false); }
};

TEST_F(TraceTest, WritesNothingWhileDebugModeIsOff)
{
    CapturedOutput output;
    trace("Clear Log Window\n");
    traceSection("Serial port detection:\n");
    trace("COM%d found\n", 3);
    EXPECT_EQ(output.finish(), "");
}

TEST_F(TraceTest, WritesFormattedLinesWhileDebugModeIsOn)
{
    setTracing(true);
    CapturedOutput output;
    trace("COM%d found\n", 3);
    trace("File: %s\n", "C:\\fw\\gateway.cpp.hex");
    EXPECT_EQ(output.finish(), "COM3 found\nFile: C:\\fw\\gateway.cpp.hex\n");
}

TEST_F(TraceTest, TestsTheFlagAtEachLine)
{
    setTracing(true);
    CapturedOutput output;
    trace("first\n");
    setTracing(false);
    trace("second\n");
    setTracing(true);
    trace("third\n");
    EXPECT_EQ(output.finish(), "first\nthird\n");
}

TEST_F(TraceTest, SectionOpensWithThirtyDashesThenTheHeader)
{
    setTracing(true);
    CapturedOutput output;
    traceSection("Serial port test:\n");
    EXPECT_EQ(output.finish(), std::string(30, '-') + "\nSerial port test:\n");
}

TEST_F(TraceTest, SectionHeaderIsNotTakenForAFormat)
{
    setTracing(true);
    CapturedOutput output;
    traceSection("100%s done\n");
    EXPECT_EQ(output.finish(), std::string(30, '-') + "\n100%s done\n");
}

TEST_F(TraceTest, PointerIsEightUpperCaseHexDigits)
{
    setTracing(true);
    CapturedOutput output;
    trace("Serial port open: %p\n", reinterpret_cast<void*>(0x00ab12cd));
    trace("Closing serial port: %p\n", reinterpret_cast<void*>(0x7c));
    trace("%d%% %p\n", 50, reinterpret_cast<void*>(0xFFFFFFFF));
    EXPECT_EQ(output.finish(),
              "Serial port open: 00AB12CD\nClosing serial port: 0000007C\n50% FFFFFFFF\n");
}

// The console's close box would end the whole program, in the middle of a flash too, so the
// debug screen's system menu loses its close command. (Under Wine the console window belongs
// to another process, whose system menu a test cannot read: the removal is checked on a
// window of the test's own.)
TEST(DebugScreenMenu, CloseCommandIsTakenOffTheSystemMenu)
{
    HWND window = CreateWindowA("Static", "console", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    HMENU menu = GetSystemMenu(window, FALSE);
    ASSERT_NE(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));
    removeCloseCommand(window);
    EXPECT_EQ(GetMenuState(GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND),
              static_cast<UINT>(-1));
    EXPECT_NE(GetMenuState(GetSystemMenu(window, FALSE), SC_MOVE, MF_BYCOMMAND),
              static_cast<UINT>(-1))
        << "the rest of the menu stays";
    DestroyWindow(window);
}

// Quick Edit is on by default; the debug screen turns it off, so that selecting text there
// cannot stop the program.
TEST(DebugScreenConsole, QuickEditIsTurnedOff)
{
    FreeConsole();
    ASSERT_TRUE(AllocConsole());
    HANDLE input = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                               nullptr);
    ASSERT_NE(input, INVALID_HANDLE_VALUE);
    DWORD mode = 0;
    ASSERT_TRUE(GetConsoleMode(input, &mode));
    ASSERT_TRUE(SetConsoleMode(input, mode | ENABLE_EXTENDED_FLAGS | ENABLE_QUICK_EDIT_MODE));
    ASSERT_TRUE(GetConsoleMode(input, &mode));
    ASSERT_NE(mode & ENABLE_QUICK_EDIT_MODE, 0u) << "the console keeps no Quick Edit flag";

    disableQuickEdit();
    ASSERT_TRUE(GetConsoleMode(input, &mode));
    EXPECT_EQ(mode & ENABLE_QUICK_EDIT_MODE, 0u);
    EXPECT_NE(mode & ENABLE_EXTENDED_FLAGS, 0u) << "the flag only counts with extended flags";
    CloseHandle(input);
    FreeConsole();
}

} // namespace
