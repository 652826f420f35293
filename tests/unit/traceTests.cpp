// Trace lines: written only in debug mode, sections opened by 30 dashes, handles in a
// fixed 8-digit upper-case form.
#include <gtest/gtest.h>

#include "appState.h"
#include "testWindow.h"
#include "trace.h"

namespace {

class TraceTest : public ::testing::Test {
protected:
    void SetUp() override { resetAppState(); }
    void TearDown() override { resetAppState(); }
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
    app.debugConsoleOn = 1;
    CapturedOutput output;
    trace("COM%d found\n", 3);
    trace("File: %s\n", "C:\\fw\\gateway.cpp.hex");
    EXPECT_EQ(output.finish(), "COM3 found\nFile: C:\\fw\\gateway.cpp.hex\n");
}

TEST_F(TraceTest, TestsTheFlagAtEachLine)
{
    app.debugConsoleOn = 1;
    CapturedOutput output;
    trace("first\n");
    app.debugConsoleOn = 0;
    trace("second\n");
    app.debugConsoleOn = 1;
    trace("third\n");
    EXPECT_EQ(output.finish(), "first\nthird\n");
}

TEST_F(TraceTest, SectionOpensWithThirtyDashesThenTheHeader)
{
    app.debugConsoleOn = 1;
    CapturedOutput output;
    traceSection("Serial port test:\n");
    EXPECT_EQ(output.finish(), std::string(30, '-') + "\nSerial port test:\n");
}

TEST_F(TraceTest, SectionHeaderIsNotTakenForAFormat)
{
    app.debugConsoleOn = 1;
    CapturedOutput output;
    traceSection("100%s done\n");
    EXPECT_EQ(output.finish(), std::string(30, '-') + "\n100%s done\n");
}

TEST_F(TraceTest, PointerIsEightUpperCaseHexDigits)
{
    app.debugConsoleOn = 1;
    CapturedOutput output;
    trace("Serial port open: %p\n", reinterpret_cast<void*>(0x00ab12cd));
    trace("Closing serial port: %p\n", reinterpret_cast<void*>(0x7c));
    trace("%d%% %p\n", 50, reinterpret_cast<void*>(0xFFFFFFFF));
    EXPECT_EQ(output.finish(),
              "Serial port open: 00AB12CD\nClosing serial port: 0000007C\n50% FFFFFFFF\n");
}

} // namespace
