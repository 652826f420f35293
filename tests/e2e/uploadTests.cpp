// End-to-end checks of the firmware upload: choosing the file, the line the programmer gets,
// the boxes that report the outcome, the port test before the programmer runs, the paths
// that are refused, and what a run of uploads leaves behind.
//
// A stand-in avrdude.exe in the working folder plays the programmer; COM3 is a pseudo-terminal
// and the only port, so it is the one selected at start-up.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "intelHex.h"
#include "loaderApp.h"
#include "programmerStandIn.h"
#include "resource.h"
#include "serialPeer.h"

namespace {

constexpr DWORD kBoxTimeoutMs = kCatchUpMs;

const char kTestingPort[] = "Testing serial port..";

// What an upload ends with: the box it shows, the status line while the box is up, and the
// status line once the box is gone.
struct UploadOutcome {
    std::string caption;
    std::string text;
    std::string statusBehindBox;
    std::string statusAfter;
};

bool operator==(const UploadOutcome& a, const UploadOutcome& b)
{
    return a.caption == b.caption && a.text == b.text && a.statusBehindBox == b.statusBehindBox &&
           a.statusAfter == b.statusAfter;
}

std::ostream& operator<<(std::ostream& out, const UploadOutcome& outcome)
{
    return out << "box \"" << outcome.caption << "\": \"" << outcome.text << "\", status \""
               << outcome.statusBehindBox << "\" behind it and \"" << outcome.statusAfter
               << "\" after";
}

// Waits for the box that ends the upload, notes it, dismisses it and waits until the
// program has finished the upload.
::testing::AssertionResult finishUpload(LoaderApp& app, UploadOutcome& outcome)
{
    MessageBoxInfo box = app.waitForMessageBox(kBoxTimeoutMs);
    if (box.window == nullptr) {
        return ::testing::AssertionFailure() << "the upload showed no box within "
                                             << kBoxTimeoutMs << " ms";
    }
    if (GetWindow(box.window, GW_OWNER) != app.mainWindow()) {
        return ::testing::AssertionFailure() << "a box not owned by the main window came: \""
                                             << box.caption << "\": \"" << box.text << "\"";
    }
    outcome.caption = box.caption;
    outcome.text = box.text;
    outcome.statusBehindBox = app.text(IDC_STATUS_LINE);
    app.dismiss(box.window);
    ::testing::AssertionResult done = app.waitUntilGone(box.window);
    if (done) {
        // Only once the box is gone does settle() wait for the upload handler itself.
        done = app.settle();
    }
    outcome.statusAfter = app.text(IDC_STATUS_LINE);
    return done;
}

::testing::AssertionResult upload(LoaderApp& app, UploadOutcome& outcome)
{
    app.click(IDC_UPLOAD_BUTTON);
    return finishUpload(app, outcome);
}

// The line the programmer must get for a board on COM3; the trailing blank is part of it.
std::string expectedParams(const std::string& path)
{
    return "-p atmega2560 -c stk500v2 -P \\\\.\\COM3 -b 115200 -D -U flash:w:\"" + path +
           "\":i ";
}

// The control as the screen shows it once painting has finished: two looks in a row agree.
std::vector<unsigned char> paintedPixels(const LoaderApp& app, int id)
{
    std::vector<unsigned char> last = app.screenPixels(id);
    for (DWORD started = GetTickCount(); GetTickCount() - started < kCatchUpMs;) {
        Sleep(50);
        std::vector<unsigned char> now = app.screenPixels(id);
        if (now == last) {
            break;
        }
        last = now;
    }
    return last;
}

class UploadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        peer.unmap("COM1");
        peer.mapPty("COM3");
        writeFirmware("gateway.cpp.hex");
    }

    std::string inWorkFolder(const std::string& name) const
    {
        return app.workFolder() + "\\" + name;
    }

    // A firmware file in the working folder, where the stand-in is too (the program finds it
    // there through PATH, whatever folder the open-file dialog moved it to).
    std::string writeFirmware(const std::string& name)
    {
        std::string path = inWorkFolder(name);
        EXPECT_TRUE(writeTextFile(path, kSmallImage));
        return path;
    }

    // How often the program has opened COM3, once the peer has seen the opens and closes so
    // far: at rest the program holds no port, so every open has its close.
    int settledOpens()
    {
        for (DWORD started = GetTickCount(); GetTickCount() - started < kCatchUpMs; Sleep(20)) {
            int opens = peer.opens("COM3");
            if (opens > 0 && peer.closes("COM3") == opens) {
                return opens;
            }
        }
        ADD_FAILURE() << "the program holds COM3, or never opened it";
        return peer.opens("COM3");
    }

    // Starts the program and a flash whose programmer runs for a minute unless ended.
    void startAFlashThatHangs()
    {
        ASSERT_TRUE(standIn.install());
        standIn.setRunTime(60000);
        ASSERT_TRUE(app.start());
        ASSERT_TRUE(app.setText(IDC_PATH_FIELD, inWorkFolder("gateway.cpp.hex")));
        app.click(IDC_UPLOAD_BUTTON);
        ASSERT_TRUE(standIn.waitForRuns(1, kCatchUpMs));
    }

    // Declared first, so the program has ended before its ports are taken away.
    SerialPeer peer;
    LoaderApp app;
    ProgrammerStandIn standIn{app.workFolder()};
};

TEST_F(UploadTest, ChoosingAFileFillsThePathAndEnablesUpload)
{
    std::string firmware = writeFirmware("gateway.cpp.hex");
    ASSERT_TRUE(app.start());
    EXPECT_FALSE(app.isEnabled(IDC_UPLOAD_BUTTON)) << "nothing chosen yet";
    EXPECT_EQ(app.text(IDC_PATH_FIELD), "");

    ASSERT_TRUE(app.chooseFile(firmware));

    EXPECT_EQ(app.text(IDC_PATH_FIELD), firmware);
    EXPECT_TRUE(app.isEnabled(IDC_UPLOAD_BUTTON));
    EXPECT_EQ(app.text(IDC_STATUS_LINE), "OK");
}

TEST_F(UploadTest, CancellingTheDialogChangesNothing)
{
    ASSERT_TRUE(app.start());
    ASSERT_TRUE(app.cancelFileChoice());
    EXPECT_EQ(app.text(IDC_PATH_FIELD), "");
    EXPECT_FALSE(app.isEnabled(IDC_UPLOAD_BUTTON)) << "still no file to flash";

    ASSERT_TRUE(app.chooseFile(writeFirmware("gateway.cpp.hex")));
    ASSERT_TRUE(app.setText(IDC_PATH_FIELD, "C:\\firmware\\typed.cpp.hex"));
    ASSERT_TRUE(app.cancelFileChoice());
    EXPECT_EQ(app.text(IDC_PATH_FIELD), "C:\\firmware\\typed.cpp.hex");
    EXPECT_TRUE(app.isEnabled(IDC_UPLOAD_BUTTON));
    EXPECT_EQ(app.text(IDC_STATUS_LINE), "OK");
}

TEST_F(UploadTest, FlashesThePathInTheFieldAndReportsSuccess)
{
    std::string firmware = writeFirmware("gateway.cpp.hex");
    ASSERT_TRUE(standIn.install());
    standIn.setExitCode(0);
    ASSERT_TRUE(app.start());
    ASSERT_TRUE(app.chooseFile(firmware));

    UploadOutcome outcome;
    ASSERT_TRUE(upload(app, outcome));
    EXPECT_EQ(outcome, (UploadOutcome{"Success", "Programming successful", "OK", "OK"}));
    EXPECT_EQ(standIn.runs(), 1);
    EXPECT_EQ(standIn.params(), expectedParams(firmware));

    // The field is read afresh at each upload: what the user typed over the choice wins.
    std::string typed = writeFirmware("typed by hand.cpp.hex");
    ASSERT_TRUE(app.setText(IDC_PATH_FIELD, typed));
    ASSERT_TRUE(upload(app, outcome));
    EXPECT_EQ(outcome, (UploadOutcome{"Success", "Programming successful", "OK", "OK"}));
    EXPECT_EQ(standIn.runs(), 2);
    EXPECT_EQ(standIn.params(), expectedParams(typed));
}

TEST_F(UploadTest, FailingOrMissingProgrammerIsReportedAsFailure)
{
    ASSERT_TRUE(standIn.install());
    standIn.setExitCode(1);
    ASSERT_TRUE(app.start());
    ASSERT_TRUE(app.setText(IDC_PATH_FIELD, inWorkFolder("gateway.cpp.hex")));

    UploadOutcome outcome;
    ASSERT_TRUE(upload(app, outcome));
    EXPECT_EQ(outcome, (UploadOutcome{"Error", "Programming failed", "Programming Error", "OK"}));
    EXPECT_EQ(standIn.runs(), 1);

    // No avrdude.exe in the program's folder, its current folder or on the path.
    // A launch error box of the system would come before the program's own, or stay behind.
    ASSERT_TRUE(standIn.remove());
    ASSERT_TRUE(upload(app, outcome));
    EXPECT_EQ(outcome, (UploadOutcome{"Error", "Programming failed",
                                      "Unable to launch programmer Error", "OK"}));
    EXPECT_EQ(app.findMessageBox().window, nullptr);
    EXPECT_EQ(standIn.runs(), 1);
}

TEST_F(UploadTest, MissingOrBusyPortStopsTheUploadBeforeTheProgrammer)
{
    ASSERT_TRUE(standIn.install());
    ASSERT_TRUE(app.start());
    ASSERT_EQ(app.text(IDC_PORT_LIST), "COM3");
    ASSERT_TRUE(app.setText(IDC_PATH_FIELD, inWorkFolder("gateway.cpp.hex")));

    peer.unmap("COM3"); // the board was unplugged after the scan
    UploadOutcome outcome;
    ASSERT_TRUE(upload(app, outcome));
    EXPECT_EQ(outcome, (UploadOutcome{"Error", "Programming failed, Serial port is not found",
                                      kTestingPort, "OK"}));

    peer.mapTo("COM3", "/"); // another program holds the port
    ASSERT_TRUE(upload(app, outcome));
    EXPECT_EQ(outcome, (UploadOutcome{"Error", "Programming failed, Serial port is in use",
                                      kTestingPort, "OK"}));

    EXPECT_EQ(standIn.runs(), 0);
}

TEST_F(UploadTest, PathsThatCannotBePassedOnAreRefusedBeforeThePortIsTested)
{
    ASSERT_TRUE(standIn.install());
    ASSERT_TRUE(app.start());
    const int opensAtStart = settledOpens(); // the port scan at start-up

    struct Refusal {
        std::string path;
        const char* says;
    };
    const std::string folder = "C:\\firmware\\";
    const std::string suffix = ".cpp.hex";
    const Refusal refusals[] = {
        {folder + std::string(1000 - folder.size() - suffix.size(), 'g') + suffix,
         "the firmware path is too long"},
        {folder + "gate\"way" + suffix, "the firmware path contains a double quote"},
        {"C:\\windows\\", "the firmware path names a folder"},
        {"C:\\windows", "the firmware path names a folder"},
    };
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.says);
        // Typing stops at the field's edge, but text set as a whole is kept whole.
        ASSERT_TRUE(app.setText(IDC_PATH_FIELD, refusal.path));
        ASSERT_EQ(app.text(IDC_PATH_FIELD), refusal.path);
        UploadOutcome outcome;
        ASSERT_TRUE(upload(app, outcome));
        EXPECT_EQ(outcome.caption, "Error");
        EXPECT_NE(outcome.text.find(refusal.says), std::string::npos) << outcome.text;
        EXPECT_NE(outcome.statusBehindBox, kTestingPort);
        EXPECT_EQ(outcome.statusAfter, "OK");
    }
    EXPECT_EQ(standIn.runs(), 0);
    EXPECT_EQ(peer.opens("COM3"), opensAtStart) << "a refused path leaves the port alone";

    // The longest path that still fits the line passes on to the image check (no such file
    // can be there: it is longer than Windows lets a program open).
    std::string longest = folder + std::string(972 - folder.size() - suffix.size(), 'g') + suffix;
    ASSERT_TRUE(app.setText(IDC_PATH_FIELD, longest));
    UploadOutcome outcome;
    ASSERT_TRUE(upload(app, outcome));
    EXPECT_EQ(outcome.text.rfind("Programming failed, the firmware file could not be read (", 0), 0u)
        << outcome.text;
    EXPECT_EQ(standIn.runs(), 0);
}

TEST_F(UploadTest, PortIsTestedAndReleasedBeforeTheProgrammerStarts)
{
    ASSERT_TRUE(standIn.install());
    standIn.setRunTime(5000); // still running when the test looks, on a busy machine too
    ASSERT_TRUE(app.start());
    ASSERT_TRUE(app.setText(IDC_PATH_FIELD, inWorkFolder("gateway.cpp.hex")));
    const int opens = settledOpens();

    app.click(IDC_UPLOAD_BUTTON);
    ASSERT_TRUE(standIn.waitForRuns(1, kBoxTimeoutMs));
    // While the programmer runs, the port test has opened the port once and closed it
    // again: the programmer needs it to itself. The peer learns of both a moment later.
    for (DWORD started = GetTickCount();
         peer.closes("COM3") <= opens && GetTickCount() - started < kCatchUpMs; Sleep(20)) {
    }
    EXPECT_EQ(peer.opens("COM3"), opens + 1);
    EXPECT_EQ(peer.closes("COM3"), opens + 1);
    EXPECT_EQ(app.findMessageBox(true).window, nullptr) << "the programmer had ended already";

    UploadOutcome outcome;
    ASSERT_TRUE(finishUpload(app, outcome));
    EXPECT_EQ(outcome, (UploadOutcome{"Success", "Programming successful", "OK", "OK"}));
}

// The window answers nothing while the programmer runs, so the status line must have been
// painted with the programming text before the wait: the screen shows what the user sees.
TEST_F(UploadTest, StatusLineShowsProgrammingWhileTheProgrammerRuns)
{
    ASSERT_TRUE(standIn.install());
    standIn.setRunTime(5000); // still running when the test looks, on a busy machine too
    ASSERT_TRUE(app.start());
    ASSERT_TRUE(app.setText(IDC_PATH_FIELD, inWorkFolder("gateway.cpp.hex")));
    ASSERT_TRUE(app.settle());
    const std::vector<unsigned char> showingOk = paintedPixels(app, IDC_STATUS_LINE);

    // The program waits for the programmer without handling messages, so the status line
    // cannot be asked for its text now; the screen shows what the user sees.
    app.click(IDC_UPLOAD_BUTTON);
    ASSERT_TRUE(standIn.waitForRuns(1, kBoxTimeoutMs));
    const std::vector<unsigned char> whileRunning = app.screenPixels(IDC_STATUS_LINE);
    ASSERT_EQ(app.findMessageBox(true).window, nullptr) << "the programmer had ended already";
    UploadOutcome outcome;
    ASSERT_TRUE(finishUpload(app, outcome));
    EXPECT_EQ(outcome, (UploadOutcome{"Success", "Programming successful", "OK", "OK"}));

    // What the status line looks like with the programming text in it, to compare with.
    ASSERT_TRUE(app.setText(IDC_STATUS_LINE, "Arduino board programming in progress.."));
    std::vector<unsigned char> showingProgramming = paintedPixels(app, IDC_STATUS_LINE);
    for (DWORD started = GetTickCount();
         showingProgramming == showingOk && GetTickCount() - started < kCatchUpMs;) {
        showingProgramming = paintedPixels(app, IDC_STATUS_LINE);
    }
    ASSERT_FALSE(showingProgramming == showingOk) << "the new text was never painted";
    EXPECT_TRUE(whileRunning == showingProgramming)
        << "while the programmer ran, the status line "
        << (whileRunning == showingOk ? "still showed \"OK\"" : "showed something else");
}

TEST_F(UploadTest, TwentyUploadsLeaveTheHandleCountWhereTheFirstLeftIt)
{
    ASSERT_TRUE(standIn.install());
    ASSERT_TRUE(app.start());
    ASSERT_TRUE(app.setText(IDC_PATH_FIELD, inWorkFolder("gateway.cpp.hex")));

    UploadOutcome outcome;
    ASSERT_TRUE(upload(app, outcome));
    ASSERT_EQ(outcome.text, "Programming successful");
    // The first upload may load what every later one reuses.
    const DWORD afterFirst = app.handleCount();
    ASSERT_NE(afterFirst, 0u);
    for (int i = 2; i <= 20; ++i) {
        SCOPED_TRACE("upload " + std::to_string(i));
        ASSERT_TRUE(upload(app, outcome));
        ASSERT_EQ(outcome.text, "Programming successful");
    }
    EXPECT_EQ(standIn.runs(), 20);
    EXPECT_EQ(app.handleCount(), afterFirst);
}

} // namespace

namespace {

// Shutdown or log-off during a flash is refused; a session that ends anyway ends
// the programmer at once.
TEST_F(UploadTest, SessionEndDuringAFlashIsRefusedThenEndsTheProgrammer)
{
    ASSERT_NO_FATAL_FAILURE(startAFlashThatHangs());
    bool allowed = true;
    ASSERT_TRUE(app.endSession(allowed));
    EXPECT_FALSE(allowed);
    EXPECT_TRUE(standIn.remove()) << "the stand-in has ended, so its file can be deleted";
}

// Closing the window during a flash asks first; "Yes" stops the programmer, then the program
// ends as usual.
TEST_F(UploadTest, ClosingDuringAFlashAsksThenStopsTheProgrammerAndEnds)
{
    ASSERT_NO_FATAL_FAILURE(startAFlashThatHangs());
    ASSERT_TRUE(app.settle()) << "the window answers during the flash";
    EXPECT_EQ(app.text(IDC_UPLOAD_BUTTON), "Stop programming");

    app.closeByCaptionButton();
    MessageBoxInfo question = app.waitForMessageBox(kCatchUpMs, true);
    EXPECT_EQ(question.text, "Firmware is being written to the board.\n"
                             "Stop programming and close Vexlor Loader?");
    PostMessageA(question.window, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
    EXPECT_EQ(app.waitForExit(kCatchUpMs), 0u);
    EXPECT_TRUE(standIn.remove()) << "the stand-in has ended, so its file can be deleted";
}

// The command line flashes with the button's checks and line, and tells a script how it went
// by its exit code and its last line.
TEST_F(UploadTest, CommandLineGivesEachOutcomeItsExitCodeAndVerdict)
{
    ASSERT_TRUE(standIn.install());
    const std::string folder = app.workFolder();
    const std::string firmware = writeFirmware("gateway.cpp.hex");
    struct Run {
        std::string arguments;
        DWORD exitCode;
        std::string lastLine;
    };
    auto run = [&](const std::string& arguments) {
        std::string output;
        DWORD code = runWithArguments(arguments, folder, output);
        while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) {
            output.pop_back();
        }
        size_t start = output.find_last_of('\n');
        return Run{output, code, start == std::string::npos ? output : output.substr(start + 1)};
    };
    const std::string flash = "--flash \"" + firmware + "\" --port COM3";

    Run ran = run(flash);
    EXPECT_EQ(ran.exitCode, 0u) << ran.arguments;
    EXPECT_EQ(ran.lastLine, "Programming successful");
    EXPECT_EQ(standIn.params(), expectedParams(firmware)) << "the button's line";

    standIn.setExitCode(1);
    ran = run(flash);
    EXPECT_EQ(ran.exitCode, 1u);
    EXPECT_EQ(ran.lastLine, "Programming failed");
    EXPECT_NE(ran.arguments.find("Programming failed: the programmer ended with exit code 1"),
              std::string::npos)
        << ran.arguments;

    peer.mapTo("COM4", "/");
    ran = run("--flash \"" + firmware + "\" --port COM4");
    EXPECT_EQ(ran.exitCode, 4u);
    EXPECT_EQ(ran.lastLine, "Programming failed, Serial port is in use");
    ran = run("--flash \"" + firmware + "\" --port COM9");
    EXPECT_EQ(ran.exitCode, 3u);
    EXPECT_EQ(ran.lastLine, "Programming failed, Serial port is not found");
    ran = run("--flash \"C:\\a\\say \"\"hi\"\".hex\" --port COM3");
    EXPECT_EQ(ran.exitCode, 5u) << ran.arguments;
    ran = run("--port COM3");
    EXPECT_EQ(ran.exitCode, 2u);
    EXPECT_NE(ran.arguments.find("--flash FILE is missing"), std::string::npos) << ran.arguments;
    ran = run("--help");
    EXPECT_EQ(ran.exitCode, 0u);
    EXPECT_EQ(ran.arguments.rfind("Usage: VexlorLoader.exe --flash FILE --port COMn", 0), 0u)
        << ran.arguments;

    ASSERT_TRUE(standIn.remove());
    ran = run(flash);
    EXPECT_EQ(ran.exitCode, 6u);
    EXPECT_EQ(ran.lastLine, "Programming failed");
    EXPECT_EQ(standIn.runs(), 2) << "only the two runs that reached the programmer";
}

} // namespace
