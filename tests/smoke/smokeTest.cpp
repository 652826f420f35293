// A short check of a given VexlorLoader.exe as it is shipped: it starts, shows its whole window
// and closes cleanly, and from the command line it flashes the virtual board with the
// avrdude.exe that lies beside it. It runs the shipped 32-bit program (unzipped from the release
// archive, or installed by the installer) where the rest of the suite exercises the 64-bit build
// (under emulation, so every wait is long). The program and the screenshot to write come from
// VEXLOR_SMOKE_PROGRAM and VEXLOR_SMOKE_SCREENSHOT (Windows paths).
#include "loaderApp.h"

#include "resource.h"
#ifdef VEXLOR_VIRTUAL_BOARD
#include "serialPeer.h"
#include "virtualBoard.h"
#include "winePaths.h"
#endif

#include <gtest/gtest.h>

#include <stdlib.h>

namespace {

// Under emulation the window appears about 50 s after the start.
constexpr DWORD kStartTimeoutMs = 240000;
constexpr DWORD kExitTimeoutMs = 60000;
// Under emulation both the program and avrdude take about a minute to start.
constexpr DWORD kFlashTimeoutMs = 480000;

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

// Runs a command line, waits for its end and returns its exit code (kStillRunning past the time).
DWORD runAndWait(const std::string& commandLine, DWORD timeoutMs)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return GetLastError();
    }
    DWORD code = LoaderApp::kStillRunning;
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &code);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

// Installing over the running program, and uninstalling it, closes it first as its close button
// would, instead of stopping at a file it holds. VEXLOR_SMOKE_PROGRAM is the installed program,
// VEXLOR_SMOKE_SETUP the installer.
TEST(Smoke, InstallerAndUninstallerCloseTheRunningProgramFirst)
{
    std::string program = setting("VEXLOR_SMOKE_PROGRAM");
    std::string setup = setting("VEXLOR_SMOKE_SETUP");
    ASSERT_FALSE(program.empty() || setup.empty()) << "VEXLOR_SMOKE_PROGRAM and _SETUP are needed";
    {
        LoaderApp app;
        ASSERT_TRUE(app.start(program, kStartTimeoutMs));
        EXPECT_EQ(runAndWait("\"" + setup + "\" /S", kFlashTimeoutMs), 0u);
        EXPECT_EQ(app.waitForExit(kExitTimeoutMs), 0u) << "the installer did not close the program";
    }
    ASSERT_NE(GetFileAttributesA(program.c_str()), INVALID_FILE_ATTRIBUTES) << "not installed";
    LoaderApp app;
    ASSERT_TRUE(app.start(program, kStartTimeoutMs));
    // The uninstaller hands its work to a copy of itself and ends at once.
    std::string folder = program.substr(0, program.find_last_of('\\') + 1);
    runAndWait("\"" + folder + "Uninstall.exe\" /S", kFlashTimeoutMs);
    EXPECT_EQ(app.waitForExit(kFlashTimeoutMs), 0u) << "the uninstaller did not close the program";
}

#ifdef VEXLOR_VIRTUAL_BOARD
// "Nothing else to download": the program finds the avrdude.exe and avrdude.conf shipped beside
// it (the working folder it runs in is empty) and writes the gateway firmware onto the board.
TEST(Smoke, ProgramFlashesTheVirtualBoardWithTheAvrdudeBesideIt)
{
    std::string program = setting("VEXLOR_SMOKE_PROGRAM");
    ASSERT_FALSE(program.empty()) << "VEXLOR_SMOKE_PROGRAM names no program";
    SerialPeer peer;
    VirtualBoard board;
    ASSERT_TRUE(board.ready());
    peer.mapTo("COM5", board.portLink());
    LoaderApp app;
    size_t before = board.events().size();
    std::string output;
    DWORD code = runCapturingOutput(program,
                                    "--flash \"" + windowsPathOf(VEXLOR_GATEWAY_FIRMWARE) +
                                        "\" --port COM5",
                                    app.workFolder(), output, kFlashTimeoutMs);
    EXPECT_EQ(code, 0u) << output;
    // avrdude read the flash back and compared it with the file.
    EXPECT_NE(output.find("bytes of flash verified"), std::string::npos) << output;
    EXPECT_NE(output.find("Programming successful"), std::string::npos) << output;
    EXPECT_GE(board.countEvents("page write", before), 1);
    EXPECT_GE(board.waitForEvent("application start", before, 60000), 0)
        << "the board did not start the firmware";
}
#endif

} // namespace
