// End-to-end checks of the application shell: the window as it starts, the keys that
// must not close it, clearing the log and closing through the caption button.
// Each test starts its own program, so no test depends on another's leftovers.
#include "intelHex.h"
#include "loaderApp.h"
#include "programmerStandIn.h"

#include "resource.h"
#include "serialPeer.h"

#include <gtest/gtest.h>

#include <stdio.h>

#include <sstream>

namespace {

// Everything a user can see of the shell, in one comparable text: a failed comparison
// then shows what changed.
std::string visibleState(const LoaderApp& app)
{
    std::ostringstream state;
    state << "caption=" << app.windowCaption() << "\n"
          << "window visible=" << (IsWindowVisible(app.mainWindow()) != FALSE) << "\n"
          << "path=" << app.text(IDC_PATH_FIELD) << "\n"
          << "command=" << app.text(IDC_COMMAND_FIELD) << "\n"
          << "log=" << app.text(IDC_LOG_VIEW) << "\n"
          << "status=" << app.text(IDC_STATUS_LINE) << "\n"
          << "board=" << app.text(IDC_BOARD_LIST) << "\n"
          << "port=" << app.text(IDC_PORT_LIST) << "\n";
    const int buttons[] = {IDC_UPLOAD_BUTTON, IDC_LOGGING_BUTTON, IDC_GATEWAY_DEBUG_BUTTON,
                           IDC_SEND_COMMAND_BUTTON, IDC_CLEAR_LOG_BUTTON};
    for (int id : buttons) {
        state << "button " << id << " enabled=" << app.isEnabled(id) << "\n";
    }
    const int labels[] = {IDC_LOGGING_ON_LABEL, IDC_LOGGING_OFF_LABEL,
                          IDC_GATEWAY_DEBUG_ON_LABEL, IDC_GATEWAY_DEBUG_OFF_LABEL};
    for (int id : labels) {
        state << "label " << id << " visible=" << app.isVisible(id) << "\n";
    }
    return state.str();
}

TEST(Shell, StartsWithCaptionStatusAndButtonStates)
{
    LoaderApp app;
    ASSERT_TRUE(app.start());

    EXPECT_EQ(app.windowCaption(), "Vexlor Loader V1.05");
    EXPECT_EQ(app.text(IDC_STATUS_LINE), "OK");
    EXPECT_EQ(app.text(IDC_BOARD_LIST), "Arduino Mega 2560");

    // Nothing to upload and no gateway yet; logging can always be started.
    EXPECT_FALSE(app.isEnabled(IDC_UPLOAD_BUTTON));
    EXPECT_FALSE(app.isEnabled(IDC_GATEWAY_DEBUG_BUTTON));
    EXPECT_FALSE(app.isEnabled(IDC_SEND_COMMAND_BUTTON));
    EXPECT_TRUE(app.isEnabled(IDC_LOGGING_BUTTON));

    // Each ON label shares its place with an OFF label; only OFF shows.
    EXPECT_TRUE(app.isVisible(IDC_LOGGING_OFF_LABEL));
    EXPECT_FALSE(app.isVisible(IDC_LOGGING_ON_LABEL));
    EXPECT_TRUE(app.isVisible(IDC_GATEWAY_DEBUG_OFF_LABEL));
    EXPECT_FALSE(app.isVisible(IDC_GATEWAY_DEBUG_ON_LABEL));
}

TEST(Shell, EnterAndEscInTextFieldsLeaveWindowOpenAndUnchanged)
{
    LoaderApp app;
    ASSERT_TRUE(app.start());
    ASSERT_TRUE(app.setText(IDC_PATH_FIELD, "C:\\firmware\\blink.hex"));
    ASSERT_TRUE(app.setText(IDC_COMMAND_FIELD, "status"));
    ASSERT_TRUE(app.setText(IDC_LOG_VIEW, "first line\r\nsecond line\r\n"));
    const std::string before = visibleState(app);

    struct Press {
        int field;
        UINT key;
        const char* name;
    };
    // The log view matters most: a multi-line edit turns Esc into WM_CLOSE for the window.
    const Press presses[] = {
        {IDC_PATH_FIELD, VK_RETURN, "Enter in the path field"},
        {IDC_PATH_FIELD, VK_ESCAPE, "Esc in the path field"},
        {IDC_COMMAND_FIELD, VK_RETURN, "Enter in the command field"},
        {IDC_COMMAND_FIELD, VK_ESCAPE, "Esc in the command field"},
        {IDC_LOG_VIEW, VK_RETURN, "Enter in the log view"},
        {IDC_LOG_VIEW, VK_ESCAPE, "Esc in the log view"},
    };
    for (const Press& press : presses) {
        SCOPED_TRACE(press.name);
        ASSERT_TRUE(app.pressKey(press.field, press.key));
        ASSERT_TRUE(app.isRunning());
        ASSERT_TRUE(IsWindow(app.mainWindow()));
        EXPECT_EQ(visibleState(app), before);
    }
    // A close the program posted to itself would have ended it by now.
    EXPECT_EQ(app.waitForExit(500), LoaderApp::kStillRunning);
}

TEST(Shell, ClearLogEmptiesOnlyTheLogView)
{
    LoaderApp app;
    ASSERT_TRUE(app.start());
    ASSERT_TRUE(app.setText(IDC_LOG_VIEW, "COM3 found\r\nline two\r\n"));
    ASSERT_TRUE(app.setText(IDC_PATH_FIELD, "C:\\firmware\\blink.hex"));
    ASSERT_EQ(app.text(IDC_LOG_VIEW), "COM3 found\r\nline two\r\n");

    app.click(IDC_CLEAR_LOG_BUTTON);
    ASSERT_TRUE(app.settle());

    EXPECT_EQ(app.text(IDC_LOG_VIEW), "");
    EXPECT_EQ(app.text(IDC_PATH_FIELD), "C:\\firmware\\blink.hex");
    EXPECT_TRUE(app.isRunning());
}

TEST(Shell, CaptionCloseButtonEndsProgramWithExitCodeZero)
{
    LoaderApp app;
    ASSERT_TRUE(app.start());

    app.closeByCaptionButton();

    EXPECT_EQ(app.waitForExit(kCatchUpMs), 0u);
    EXPECT_FALSE(IsWindow(app.mainWindow()));
}

// "Open with" a firmware file, or a file dropped on the program's icon: the window opens with
// it in the path field, as if chosen in the dialog.
TEST(Shell, AFileGivenAloneOpensInThePathField)
{
    LoaderApp app;
    std::string firmware = app.workFolder() + "\\gateway.cpp.hex";
    ASSERT_TRUE(writeTextFile(firmware, kSmallImage));
    ASSERT_TRUE(app.start(std::string(), 20000, "\"" + firmware + "\""));
    EXPECT_EQ(app.text(IDC_PATH_FIELD), firmware);
    EXPECT_TRUE(app.isEnabled(IDC_UPLOAD_BUTTON));
}

// Started from the desktop (no console, no output handle), a wrong option is said in a box
// instead of the program ending without a word.
TEST(Shell, AWrongOptionWithoutAConsoleIsSaidInABox)
{
    LoaderApp app;
    EXPECT_FALSE(app.start(std::string(), 3000, "--verbose")) << "no window opens";
    MessageBoxInfo box = app.waitForMessageBox(kCatchUpMs);
    EXPECT_NE(box.text.find("unknown option --verbose"), std::string::npos) << box.text;
    app.dismiss(box.window);
    EXPECT_EQ(app.waitForExit(kCatchUpMs), 2u);
}

} // namespace

namespace {

bool isOnScreen(HWND window)
{
    RECT area = {};
    GetWindowRect(window, &area);
    return MonitorFromRect(&area, MONITOR_DEFAULTTONULL) != nullptr;
}

} // namespace

// A restart puts the window back on a screen when it was left off every one; a damaged settings
// file starts as a first run does. (The robot's restarts check the firmware file and port.)
TEST(Shell, ARestartPutsTheWindowOnScreenAndADamagedFileGivesDefaults)
{
    SerialPeer peer;
    peer.mapPty("COM3");
    peer.mapPty("COM4");
    LoaderApp first;
    ASSERT_TRUE(first.start());
    const std::string fresh = visibleState(first);
    SetWindowPos(first.mainWindow(), nullptr, -5000, -4000, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    first.closeByCaptionButton();
    ASSERT_EQ(first.waitForExit(kCatchUpMs), 0u);

    LoaderApp second;
    second.keepSettings = true;
    ASSERT_TRUE(second.start());
    EXPECT_TRUE(isOnScreen(second.mainWindow()));
    second.closeByCaptionButton();
    ASSERT_EQ(second.waitForExit(kCatchUpMs), 0u);

    std::string damage = "[Vexlor Loader]\r\nport=COM4x\r\nfirmware=";
    for (int i = 0; i < 3000; ++i) {
        damage += static_cast<char>(i * 7919 % 256);
    }
    FILE* file = _wfopen(settingsFilePath().c_str(), L"wb");
    ASSERT_NE(file, nullptr);
    fwrite(damage.data(), 1, damage.size(), file);
    fclose(file);
    LoaderApp third;
    third.keepSettings = true;
    ASSERT_TRUE(third.start());
    EXPECT_EQ(visibleState(third), fresh);
    EXPECT_EQ(third.findMessageBox().window, nullptr);
}
