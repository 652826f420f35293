// Start-up: the state the window is in before the user touches it, and the report when
// there is no window to show.
#include <gtest/gtest.h>

#include <string>

#include "appState.h"
#include "resource.h"
#include "startup.h"
#include "testWindow.h"

namespace {

using StartupTest = MainWindowTest;

bool visible(HWND control)
{
    return (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

TEST_F(StartupTest, ControlsStartInTheirInitialStates)
{
    prepareControls();
    EXPECT_EQ(text(IDC_STATUS_LINE), "OK");
    EXPECT_FALSE(IsWindowEnabled(control(IDC_UPLOAD_BUTTON)));
    EXPECT_FALSE(IsWindowEnabled(control(IDC_GATEWAY_DEBUG_BUTTON)));
    EXPECT_FALSE(IsWindowEnabled(control(IDC_SEND_COMMAND_BUTTON)));
    EXPECT_TRUE(IsWindowEnabled(control(IDC_LOGGING_BUTTON)));
    EXPECT_FALSE(visible(control(IDC_LOGGING_ON_LABEL)));
    EXPECT_TRUE(visible(control(IDC_LOGGING_OFF_LABEL)));
    EXPECT_FALSE(visible(control(IDC_GATEWAY_DEBUG_ON_LABEL)));
    EXPECT_TRUE(visible(control(IDC_GATEWAY_DEBUG_OFF_LABEL)));
    EXPECT_EQ(text(IDC_BOARD_LIST), "Arduino Mega 2560");
    EXPECT_EQ(SendMessageA(control(IDC_BOARD_LIST), CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(SendMessageA(control(IDC_BAUD_115200), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageA(control(IDC_BAUD_57600), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(GetFocus(), control(IDC_PATH_FIELD));
}

// Typing stops where the gateway's share of the command ends: nothing is cut off unseen.
TEST_F(StartupTest, CommandFieldTakesNoMoreThanIsSent)
{
    prepareControls();
    for (int typed = 0; typed < 120; ++typed) {
        SendMessageA(control(IDC_COMMAND_FIELD), WM_CHAR, 'a', 0);
    }
    EXPECT_EQ(text(IDC_COMMAND_FIELD), std::string(98, 'a'));
}

TEST_F(StartupTest, LogViewTakesFarMoreThanTheDefaultLimit)
{
    prepareControls();
    LRESULT limit = SendMessageA(control(IDC_LOG_VIEW), EM_GETLIMITTEXT, 0, 0);
    EXPECT_GT(static_cast<unsigned long>(limit), 0x7FFFFFFEul);
}

TEST(NoWindowTest, IsReportedAndEndsTheProgramWithAnError)
{
    resetAppState();
    // The report is a modal box.
    BoxAnswerer box;
    // A module without the window template: creation fails as it would with a damaged file.
    int exitCode = runApplication(GetModuleHandleA("kernel32.dll"), nullptr, SW_SHOW);
    box.finish();
    const std::string& boxText = box.text;
    const std::string& boxCaption = box.caption;
    EXPECT_EQ(exitCode, kNoWindowExitCode);
    EXPECT_NE(exitCode, 0);
    // The system's reason: no dialog resources in that module at all (1813) or not this one (1814).
    EXPECT_TRUE(boxText == "No window: 1813" || boxText == "No window: 1814") << boxText;
    EXPECT_EQ(boxCaption, "");
    EXPECT_EQ(app.mainWindow, nullptr);
}

} // namespace
