// A short check that a given VexlorLoader.exe starts, shows its whole window and closes
// cleanly. It runs the shipped 32-bit program where the rest of the suite exercises the
// 64-bit build (under emulation, so every wait is long). The program and the screenshot to
// write come from VEXLOR_SMOKE_PROGRAM and VEXLOR_SMOKE_SCREENSHOT (Windows paths).
#include "loaderApp.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <stdlib.h>

namespace {

// Under emulation the window appears about 50 s after the start.
constexpr DWORD kStartTimeoutMs = 240000;
constexpr DWORD kExitTimeoutMs = 60000;

std::string setting(const char* name)
{
    const char* value = getenv(name);
    return value != nullptr ? value : "";
}

TEST(Smoke, ProgramShowsItsWindowAndClosesWithExitCodeZero)
{
    std::string program = setting("VEXLOR_SMOKE_PROGRAM");
    ASSERT_FALSE(program.empty()) << "VEXLOR_SMOKE_PROGRAM names no program";
    LoaderApp app;
    ASSERT_TRUE(app.start(program, kStartTimeoutMs));

    char windowClass[64] = "";
    GetClassNameA(app.mainWindow(), windowClass, sizeof windowClass);
    EXPECT_STREQ(windowClass, "AidDev");
    EXPECT_EQ(app.windowCaption(), "Vexlor Loader V1.05");
    EXPECT_EQ(app.text(IDC_STATUS_LINE), "OK");
    EXPECT_EQ(app.text(IDC_BOARD_LIST), "Arduino Mega 2560");
    EXPECT_EQ(app.text(IDC_LOGGING_BUTTON), "Serial Port Logging");
    EXPECT_EQ(app.text(IDC_UPLOAD_BUTTON), "Upload/Program Firmware to device");
    const int shown[] = {IDC_PATH_FIELD, IDC_SELECT_FILE_BUTTON, IDC_SCAN_BUTTON,
                         IDC_UPLOAD_BUTTON, IDC_PORT_LIST, IDC_BOARD_LIST, IDC_STATUS_LINE,
                         IDC_LOGGING_BUTTON, IDC_LOG_VIEW, IDC_CLEAR_LOG_BUTTON,
                         IDC_GATEWAY_DEBUG_BUTTON, IDC_COMMAND_FIELD, IDC_SEND_COMMAND_BUTTON,
                         IDC_DEBUG_SCREEN_CHECK, IDC_LOGGING_OFF_LABEL,
                         IDC_GATEWAY_DEBUG_OFF_LABEL};
    for (int id : shown) {
        EXPECT_TRUE(app.isVisible(id)) << "control " << id;
    }
    EXPECT_FALSE(app.isEnabled(IDC_UPLOAD_BUTTON));
    EXPECT_TRUE(app.isEnabled(IDC_LOGGING_BUTTON));

    std::string screenshot = setting("VEXLOR_SMOKE_SCREENSHOT");
    if (!screenshot.empty()) {
        Sleep(1000); // the first paint of a slow start
        EXPECT_TRUE(app.saveScreenshot(screenshot));
    }

    app.closeByCaptionButton();
    EXPECT_EQ(app.waitForExit(kExitTimeoutMs), 0u);
}

} // namespace
