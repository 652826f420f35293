// The pieces of log mode that need no device: received text made showable, the command-length
// rule, and a poll that arrives when no connection is open.
#include <gtest/gtest.h>

#include <string>

#include "appState.h"
#include "gateway/gatewayCommands.h"
#include "gateway/logMode.h"
#include "resource.h"
#include "testWindow.h"

namespace {

std::string shown(std::string bytes)
{
    bytes.push_back('x'); // room for the terminator
    int length = dropNulBytes(&bytes[0], static_cast<int>(bytes.size()) - 1);
    EXPECT_EQ(bytes[static_cast<size_t>(length)], '\0');
    return bytes.substr(0, static_cast<size_t>(length));
}

TEST(ReceivedText, NulBytesAreDroppedAndWhatFollowsIsKept)
{
    EXPECT_EQ(shown("20;00;OK\r\n"), "20;00;OK\r\n");
    EXPECT_EQ(shown(std::string("ab\0cd\0\0ef", 9)), "abcdef");
    EXPECT_EQ(shown(std::string("\0\0\0", 3)), "");
    EXPECT_EQ(shown(""), "");
    EXPECT_EQ(shown("\xff\x80\x01"), "\xff\x80\x01") << "every other byte goes through as it is";
}

TEST(TypedCommand, NeedsAtLeastFiveCharacters)
{
    EXPECT_FALSE(isValidCommandLength(0));
    EXPECT_FALSE(isValidCommandLength(4));
    EXPECT_TRUE(isValidCommandLength(5));
    EXPECT_TRUE(isValidCommandLength(98));
}

using LogModeWindowTest = MainWindowTest;

TEST_F(LogModeWindowTest, TimerTickWithoutAConnectionDoesNothing)
{
    SetDlgItemTextA(app.mainWindow, IDC_LOG_VIEW, "kept");
    app.loggingOn = 1;       // a tick queued just before the stop released the connection
    app.connection = nullptr;
    SendMessageA(app.mainWindow, WM_TIMER, 1, 0);
    app.loggingOn = 0;
    SendMessageA(app.mainWindow, WM_TIMER, 1, 0);
    EXPECT_EQ(text(IDC_LOG_VIEW), "kept");
}

TEST_F(LogModeWindowTest, CommandButtonsDoNothingWhileLogModeIsOff)
{
    SetDlgItemTextA(app.mainWindow, IDC_COMMAND_FIELD, "10;version;");
    SendMessageA(app.mainWindow, WM_COMMAND, MAKEWPARAM(IDC_SEND_COMMAND_BUTTON, BN_CLICKED), 0);
    SendMessageA(app.mainWindow, WM_COMMAND, MAKEWPARAM(IDC_GATEWAY_DEBUG_BUTTON, BN_CLICKED), 0);
    EXPECT_EQ(app.gatewayDebugOn, 0);
    EXPECT_EQ(text(IDC_LOG_VIEW), "");
}

} // namespace
