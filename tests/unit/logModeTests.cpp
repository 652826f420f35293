// The pieces of log mode that need no device: received text made showable, the command-length
// rule, a poll that arrives when no port is open, and the command buttons while log mode is off.
#include <gtest/gtest.h>

#include <string>

#include "appState.h"
#include "gateway/gatewayCommands.h"
#include "gateway/logSession.h"
#include "logModeCommands.h"
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

// Records what a session reports.
class RecordingWatcher : public LogSessionWatcher {
public:
    void show(const char* text) override { shown += text; }
    void stateChanged() override { ++changes; }
    void status(const char* text) override { statuses += text; }
    void logFileStopped(const std::string&, const std::string&) override { ++fileStops; }

    std::string shown;
    std::string statuses;
    int changes = 0;
    int fileStops = 0;
};

TEST(LogSessionTest, APollWithoutAnOpenPortDoesNothing)
{
    // A tick already queued when log mode stopped, or one after a refused open.
    RecordingWatcher watcher;
    LogFile file;
    LogSession session(watcher, file);
    session.poll();
    EXPECT_EQ(session.open(std::string(20, '9')), 1) << "a name no device path can hold";
    session.poll();
    session.close();
    session.poll();
    EXPECT_EQ(watcher.shown + watcher.statuses, "");
    EXPECT_EQ(watcher.changes + watcher.fileStops, 0);
    EXPECT_FALSE(session.isOpen());
    EXPECT_FALSE(session.isLost());
}

using LogModeWindowTest = MainWindowTest;

TEST_F(LogModeWindowTest, CommandButtonsDoNothingWhileLogModeIsOff)
{
    SetDlgItemTextA(app.mainWindow, IDC_COMMAND_FIELD, "10;version;");
    SendMessageA(app.mainWindow, WM_COMMAND, MAKEWPARAM(IDC_SEND_COMMAND_BUTTON, BN_CLICKED), 0);
    SendMessageA(app.mainWindow, WM_COMMAND, MAKEWPARAM(IDC_GATEWAY_DEBUG_BUTTON, BN_CLICKED), 0);
    EXPECT_FALSE(isGatewayDebugOn());
    EXPECT_EQ(text(IDC_LOG_VIEW), "");
}

} // namespace
