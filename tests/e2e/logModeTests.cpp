// End-to-end checks of log mode against a gateway on a pseudo-terminal: detection by its
// banner, the version exchange, polling into the log view, the open failures, typed commands,
// the debug switch and the stop; a port that goes away and comes back; the log file.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <sstream>
#include <string>

#include "intelHex.h"
#include "loaderApp.h"
#include "programmerStandIn.h"
#include "resource.h"
#include "serialPeer.h"
#include "winePaths.h"

namespace {

const char* const kPort = "COM3";
const std::string kBanner = "Vexlor Gateway R47 starting\r\n";
const std::string kVersion = "20;00;VER=1.1;REV=47;BUILD=0a;\r\n";
const std::string kLostStatus = "COM3 lost: waiting for it to come back...";

bool endsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

class LogModeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        peer.unmap("COM1");
        peer.mapPty(kPort);
    }

    // A gateway that greets and answers like the real firmware.
    void actAsGateway()
    {
        peer.banner(kPort, 300, kBanner);
        peer.answer(kPort, "10;version;", kVersion);
        peer.answer(kPort, "10;rfdebug=on;", "20;01;RFDEBUG=ON;\r\n");
        peer.answer(kPort, "10;rfdebug=off;", "20;02;RFDEBUG=OFF;\r\n");
    }

    // Clicks "Serial Port Logging" and waits until the (blocking) start or stop is over.
    void toggleLogging()
    {
        app.click(IDC_LOGGING_BUTTON);
        ASSERT_TRUE(app.settle());
    }

    void startLogging()
    {
        toggleLogging();
        ASSERT_EQ(app.text(IDC_STATUS_LINE), "Logging...");
    }

    // Expects the error box with text, dismisses it and waits for the program to go on.
    void expectErrorBox(const std::string& text)
    {
        MessageBoxInfo box = app.waitForMessageBox(kCatchUpMs, true);
        ASSERT_NE(box.window, nullptr) << "no message box";
        EXPECT_EQ(box.caption, "Error");
        EXPECT_EQ(box.text, text);
        app.dismiss(box.window);
        ASSERT_TRUE(app.settle());
    }

    void expectStoppedState(bool uploadEnabled)
    {
        EXPECT_TRUE(app.isVisible(IDC_LOGGING_OFF_LABEL));
        EXPECT_FALSE(app.isVisible(IDC_LOGGING_ON_LABEL));
        EXPECT_EQ(app.text(IDC_STATUS_LINE), "OK");
        EXPECT_EQ(app.isEnabled(IDC_UPLOAD_BUTTON), uploadEnabled);
        EXPECT_FALSE(app.isEnabled(IDC_GATEWAY_DEBUG_BUTTON));
        EXPECT_FALSE(app.isEnabled(IDC_SEND_COMMAND_BUTTON));
        EXPECT_TRUE(app.isEnabled(IDC_LOGGING_BUTTON));
    }

    // The port is released when every open of it has been closed again.
    bool portReleased()
    {
        return waitFor([&] { return peer.opens(kPort) == peer.closes(kPort); }, kCatchUpMs);
    }

    std::string logView() const { return app.text(IDC_LOG_VIEW); }

    // What the gateway got, once as many bytes as expected have come (or the wait gave up).
    std::string sentToGateway(const std::string& expected)
    {
        return peer.waitForReceived(kPort, expected.size(), kCatchUpMs);
    }

    bool logEndsWith(const std::string& tail, DWORD timeoutMs = kCatchUpMs)
    {
        return waitFor([&] { return endsWith(logView(), tail); }, timeoutMs);
    }

    // Chooses a firmware file: from then on the upload button comes back after log mode.
    void chooseAFile()
    {
        std::string firmware = app.workFolder() + "\\gateway.cpp.hex";
        ASSERT_TRUE(writeTextFile(firmware, kSmallImage));
        ASSERT_TRUE(app.chooseFile(firmware));
    }

    // Unplugs the gateway and waits until the program has noticed.
    void losePort()
    {
        peer.vanish(kPort);
        ASSERT_TRUE(waitFor([&] { return app.text(IDC_STATUS_LINE) == kLostStatus; }, kCatchUpMs))
            << "status: " << app.text(IDC_STATUS_LINE);
    }

    std::string logFileIn(const char* name) const { return app.workFolder() + "\\" + name; }

    // "Log to file..." with path chosen in its dialog.
    void logToFile(const std::string& path)
    {
        ASSERT_TRUE(app.chooseSaveFile(IDM_LOG_TO_FILE, "Log to file", &path));
    }

    SerialPeer peer;
    LoaderApp app;
};

TEST_F(LogModeTest, GatewayIsDetectedAskedItsVersionAndPolled)
{
    actAsGateway();
    ASSERT_TRUE(app.start());
    startLogging();
    EXPECT_EQ(logView(), kBanner + "10;version;\n" + kVersion);
    EXPECT_EQ(peer.received(kPort), "10;version;\n");
    EXPECT_TRUE(app.isVisible(IDC_LOGGING_ON_LABEL));
    EXPECT_FALSE(app.isVisible(IDC_LOGGING_OFF_LABEL));
    EXPECT_FALSE(app.isEnabled(IDC_UPLOAD_BUTTON));
    EXPECT_TRUE(app.isEnabled(IDC_GATEWAY_DEBUG_BUTTON));
    EXPECT_TRUE(app.isEnabled(IDC_SEND_COMMAND_BUTTON));

    peer.send(kPort, "20;03;Alecto V1;ID=2a;TEMP=00c3;\r\n");
    EXPECT_TRUE(logEndsWith("20;03;Alecto V1;ID=2a;TEMP=00c3;\r\n")) << logView();

    // Polled text goes to the end even when the caret was put at the start.
    SendMessageA(app.control(IDC_LOG_VIEW), EM_SETSEL, 0, 0);
    peer.send(kPort, "20;04;later;\r\n");
    EXPECT_TRUE(logEndsWith("20;04;later;\r\n")) << logView();
    EXPECT_EQ(logView().find(kBanner), 0u);
}

TEST_F(LogModeTest, SilentDeviceIsNotTakenForAGatewayAndIsReleased)
{
    ASSERT_TRUE(app.start());
    int opensBefore = peer.opens(kPort); // the port scan at start-up opens it too
    for (int round = 0; round < 2; ++round) {
        app.click(IDC_LOGGING_BUTTON);
        expectErrorBox("Vexlor Gateway not detected\non the selected serial port");
        expectStoppedState(false);
        EXPECT_TRUE(portReleased()) << "round " << round;
    }
    EXPECT_EQ(peer.opens(kPort), opensBefore + 2) << "the second start opened the port again";
    EXPECT_EQ(peer.received(kPort), "") << "nothing is sent to a device that did not greet";
}

TEST_F(LogModeTest, EachOpenFailureIsReportedAndLeavesLoggingOff)
{
    ASSERT_TRUE(app.start());
    peer.unmap(kPort);
    app.click(IDC_LOGGING_BUTTON);
    expectErrorBox("ERROR: Serial port could not be opened");
    expectStoppedState(false);

    ASSERT_NO_FATAL_FAILURE(chooseAFile());
    peer.mapTo(kPort, "/");
    app.click(IDC_LOGGING_BUTTON);
    expectErrorBox("ERROR: Serial port access denied by the system (already in use?)");
    expectStoppedState(true);

    peer.mapTo(kPort, "/dev/null");
    app.click(IDC_LOGGING_BUTTON);
    expectErrorBox("ERROR: Could not set com port time-outs");
    expectStoppedState(true);
}

TEST_F(LogModeTest, TypedCommandsAreCheckedSentWithALineFeedAndAnswered)
{
    actAsGateway();
    peer.answer(kPort, "10;ping;", "20;05;PONG;\r\n");
    ASSERT_TRUE(app.start());
    startLogging();
    peer.received(kPort);

    for (const char* tooShort : {"", "1", "10;p"}) {
        ASSERT_TRUE(app.setText(IDC_COMMAND_FIELD, tooShort));
        app.click(IDC_SEND_COMMAND_BUTTON);
        expectErrorBox("Not a valid command");
        EXPECT_EQ(app.text(IDC_COMMAND_FIELD), tooShort) << "the field keeps its text";
    }
    EXPECT_EQ(peer.received(kPort), "") << "a refused command is not sent";
    peer.send(kPort, "after refusal\r\n");
    EXPECT_TRUE(logEndsWith("after refusal\r\n")) << "polling resumed";

    ASSERT_TRUE(app.setText(IDC_COMMAND_FIELD, "10;ping;"));
    app.click(IDC_SEND_COMMAND_BUTTON);
    ASSERT_TRUE(app.settle());
    EXPECT_EQ(sentToGateway("10;ping;\n"), "10;ping;\n");
    EXPECT_TRUE(logEndsWith("10;ping;\n20;05;PONG;\r\n")) << logView();

    ASSERT_TRUE(app.setText(IDC_COMMAND_FIELD, "abcde"));
    app.click(IDC_SEND_COMMAND_BUTTON);
    ASSERT_TRUE(app.settle());
    EXPECT_EQ(sentToGateway("abcde\n"), "abcde\n");

    std::string longCommand;
    for (int i = 0; i < 120; ++i) {
        longCommand += static_cast<char>('a' + i % 26);
    }
    ASSERT_TRUE(app.setText(IDC_COMMAND_FIELD, longCommand));
    app.click(IDC_SEND_COMMAND_BUTTON);
    ASSERT_TRUE(app.settle());
    EXPECT_EQ(sentToGateway(longCommand.substr(0, 98) + "\n"), longCommand.substr(0, 98) + "\n");
    EXPECT_EQ(app.text(IDC_STATUS_LINE), "Logging...") << "commands leave the status alone";
}

TEST_F(LogModeTest, DebugSwitchAlternatesAndSurvivesAStop)
{
    actAsGateway();
    ASSERT_TRUE(app.start());
    startLogging();
    peer.received(kPort);

    app.click(IDC_GATEWAY_DEBUG_BUTTON);
    ASSERT_TRUE(app.settle());
    EXPECT_EQ(sentToGateway("10;rfdebug=on;\n"), "10;rfdebug=on;\n");
    EXPECT_TRUE(app.isVisible(IDC_GATEWAY_DEBUG_ON_LABEL));
    EXPECT_FALSE(app.isVisible(IDC_GATEWAY_DEBUG_OFF_LABEL));
    EXPECT_TRUE(logEndsWith("10;rfdebug=on;\n20;01;RFDEBUG=ON;\r\n")) << logView();

    app.click(IDC_GATEWAY_DEBUG_BUTTON);
    ASSERT_TRUE(app.settle());
    EXPECT_EQ(sentToGateway("10;rfdebug=off;\n"), "10;rfdebug=off;\n");
    EXPECT_FALSE(app.isVisible(IDC_GATEWAY_DEBUG_ON_LABEL));
    EXPECT_TRUE(app.isVisible(IDC_GATEWAY_DEBUG_OFF_LABEL));

    app.click(IDC_GATEWAY_DEBUG_BUTTON); // on again, then stop and start
    ASSERT_TRUE(app.settle());
    EXPECT_EQ(sentToGateway("10;rfdebug=on;\n"), "10;rfdebug=on;\n");
    toggleLogging();
    EXPECT_TRUE(app.isVisible(IDC_GATEWAY_DEBUG_ON_LABEL)) << "a stop keeps the debug state";
    startLogging();
    EXPECT_EQ(sentToGateway("10;version;\n"), "10;version;\n") << "a start sends no debug command";
    EXPECT_TRUE(app.isVisible(IDC_GATEWAY_DEBUG_ON_LABEL));
}

TEST_F(LogModeTest, StopSendsNothingAndReleasesThePort)
{
    actAsGateway();
    ASSERT_TRUE(app.start());
    startLogging();
    peer.received(kPort);
    toggleLogging();
    expectStoppedState(false);
    EXPECT_EQ(peer.received(kPort), "");
    EXPECT_TRUE(portReleased());
    peer.send(kPort, "not polled any more\r\n");
    Sleep(1500);
    EXPECT_EQ(logView().find("not polled"), std::string::npos);
}

TEST_F(LogModeTest, BurstsAndNulBytesArriveWhole)
{
    actAsGateway();
    ASSERT_TRUE(app.start());
    startLogging();

    std::string burst;
    for (int i = 0; burst.size() < 5000; ++i) {
        burst += "burst line " + std::to_string(i) + "\r\n";
    }
    burst.resize(5000);
    peer.send(kPort, burst);
    EXPECT_TRUE(logEndsWith(burst, 6000)) << "the burst did not arrive whole";

    peer.send(kPort, std::string("before\0after\r\n", 14));
    EXPECT_TRUE(logEndsWith("beforeafter\r\n")) << "bytes after a NUL are shown";
}

TEST_F(LogModeTest, RepeatedStartsAndStopsLeaveNoPortHeld)
{
    actAsGateway();
    ASSERT_TRUE(app.start());
    int opensBefore = peer.opens(kPort);
    DWORD handlesBefore = 0;
    for (int cycle = 0; cycle < 20; ++cycle) {
        startLogging();
        toggleLogging();
        ASSERT_EQ(app.text(IDC_STATUS_LINE), "OK") << "cycle " << cycle;
        if (cycle == 0) {
            handlesBefore = app.handleCount();
        }
    }
    EXPECT_TRUE(portReleased());
    EXPECT_GE(peer.opens(kPort), opensBefore + 20) << "every start opened the port";
    EXPECT_EQ(app.handleCount(), handlesBefore);
}

TEST_F(LogModeTest, LostPortIsNoticedWaitedForAndTakenBackTwentyTimes)
{
    actAsGateway();
    ASSERT_TRUE(app.start());
    startLogging();
    DWORD handlesBefore = 0;
    for (int round = 0; round < 20; ++round) {
        losePort();
        EXPECT_NE(logView().find("-- COM3 lost "), std::string::npos);
        EXPECT_FALSE(app.isEnabled(IDC_UPLOAD_BUTTON));
        EXPECT_FALSE(app.isEnabled(IDC_SEND_COMMAND_BUTTON));
        EXPECT_TRUE(app.isVisible(IDC_LOGGING_ON_LABEL));
        ASSERT_TRUE(app.settle()) << "the window must stay usable while it waits";

        peer.mapPty(kPort);
        ASSERT_TRUE(waitFor([&] { return app.text(IDC_STATUS_LINE) == "Logging..."; }, kCatchUpMs))
            << "round " << round;
        EXPECT_TRUE(logEndsWith(" --\r\n", 100)) << "the back line ends the view";
        EXPECT_NE(logView().rfind("-- COM3 back "), std::string::npos);
        EXPECT_TRUE(app.isEnabled(IDC_SEND_COMMAND_BUTTON));
        std::string line = "after return " + std::to_string(round) + "\r\n";
        peer.send(kPort, line);
        ASSERT_TRUE(logEndsWith(line)) << "round " << round;
        if (round == 0) {
            handlesBefore = app.handleCount();
        }
    }
    EXPECT_EQ(app.handleCount(), handlesBefore);
    EXPECT_EQ(peer.received(kPort), "") << "no banner wait and no version command on return";
}

TEST_F(LogModeTest, StopWhileWaitingForALostPortEndsEverything)
{
    actAsGateway();
    ASSERT_TRUE(app.start());
    startLogging();
    losePort();
    toggleLogging();
    expectStoppedState(false);
    peer.mapPty(kPort);
    Sleep(2500);
    EXPECT_EQ(peer.opens(kPort), 0) << "the returned port was opened after the stop";
    EXPECT_EQ(logView().find("-- COM3 back"), std::string::npos);
}

// Every line of the stream in the file once and in order, with times that never go back,
// across a port loss; 30 s here, longer with VEXLOR_LOG_FILE_SECONDS.
TEST_F(LogModeTest, LogFileHoldsEveryLineOnceInOrderAcrossAPortLoss)
{
    const char* setting = getenv("VEXLOR_LOG_FILE_SECONDS");
    int seconds = setting != nullptr ? atoi(setting) : 30;
    std::string path = logFileIn("gateway.log");
    writeTextFile(path, "kept from before\r\n");
    actAsGateway();
    ASSERT_TRUE(app.start());
    logToFile(path);
    startLogging();
    peer.stream(kPort, 5760, seconds);
    Sleep(seconds * 500);
    losePort();
    // Lines streamed while the port is gone go nowhere.
    int numberedWhenLost = peer.streamed(kPort);
    ASSERT_TRUE(waitFor([&] { return peer.streamed(kPort) >= numberedWhenLost + 50; }));
    peer.mapPty(kPort);
    peer.answer(kPort, "10;ping;", "20;05;PONG;\r\n");
    Sleep(seconds * 500 + 500);
    ASSERT_TRUE(waitFor([&] { return peer.streamed(kPort) * 48 >= seconds * 5760 - 48; }, kCatchUpMs));
    char last[32];
    snprintf(last, sizeof last, "line %08d ", peer.streamed(kPort));
    ASSERT_TRUE(waitFor([&] { return logView().find(last) != std::string::npos; }, kCatchUpMs))
        << "the last line streamed never reached the view";
    ASSERT_TRUE(app.setText(IDC_COMMAND_FIELD, "10;ping;"));
    app.click(IDC_SEND_COMMAND_BUTTON);
    ASSERT_TRUE(app.settle());
    app.systemCommand(IDM_LOG_TO_FILE); // unticked: the file is closed
    ASSERT_TRUE(app.settle());

    std::istringstream file(readTextFile(path));
    std::string line;
    ASSERT_TRUE(std::getline(file, line));
    EXPECT_EQ(line, "kept from before\r") << "the file was appended to";
    // Lines as the file holds them: "YYYY-MM-DD HH:MM:SS.mmm +HH:MM text\r".
    std::string lastTime;
    int lastNumber = 0;
    int lines = 0;
    std::string notes;
    while (std::getline(file, line)) {
        ASSERT_GE(line.size(), 31u) << line;
        std::string time = line.substr(0, 23);
        EXPECT_TRUE((line[24] == '+' || line[24] == '-') && line[27] == ':' && line[30] == ' ')
            << "no offset from UTC: " << line;
        EXPECT_GE(time, lastTime) << line;
        lastTime = time;
        std::string text = line.substr(31, line.size() - 32);
        if (text.compare(0, 5, "line ") == 0) {
            int number = atoi(text.c_str() + 5);
            EXPECT_GT(number, lastNumber) << "doubled or out of order: " << line;
            lastNumber = number;
            ++lines;
        } else {
            notes += text.substr(0, 14) + "|";
        }
    }
    printf("%d lines streamed, %d reached the port, %d in the log file\n", peer.streamed(kPort),
           peer.delivered(kPort), lines);
    EXPECT_EQ(lines, peer.delivered(kPort)) << "every line that reached the port, once";
    EXPECT_LT(lines, peer.streamed(kPort)) << "some lines went nowhere while the port was gone";
    EXPECT_NE(notes.find("10;version;|"), std::string::npos) << notes;
    EXPECT_NE(notes.find("-- COM3 lost 2|-- COM3 back 2|"), std::string::npos) << notes;
    EXPECT_NE(notes.find("10;ping;|20;05;PONG;|"), std::string::npos) << notes;
}

// Shutdown or log-off: log mode does not hold it up, and when the session ends what the gateway
// sent last is in the log file, which is closed.
TEST_F(LogModeTest, SessionEndLogsWhatCameLastAndClosesTheLogFile)
{
    std::string path = logFileIn("gateway.log");
    actAsGateway();
    ASSERT_TRUE(app.start());
    logToFile(path);
    startLogging();
    peer.send(kPort, "20;09;last words\r\n");
    // Waits until it is in the port's queue (the next poll may be up to a second away).
    ASSERT_TRUE(waitFor([&] { return peer.queued(kPort) > 0 || logView().find("last words") != std::string::npos; },
                        kCatchUpMs));
    bool allowed = false;
    ASSERT_TRUE(app.endSession(allowed));
    EXPECT_TRUE(allowed);
    EXPECT_NE(readTextFile(path).find("20;09;last words\r\n"), std::string::npos);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << "the program still holds the log file";
    CloseHandle(file);
}

TEST_F(LogModeTest, LogFileThatCannotBeWrittenStopsFileLoggingOnly)
{
    actAsGateway();
    ASSERT_TRUE(app.start());
    startLogging();
    struct Case {
        std::string path;
        const char* reason;
    };
    std::string full = logFileIn("full.log");
    peer.symlink(unixPathOf(app.workFolder()) + "/full.log", "/dev/full");
    std::string removed = logFileIn("removed.log");
    for (const Case& place : {Case{full, "the disk is full"},
                              Case{removed, "the file or its drive is no longer there"}}) {
        logToFile(place.path);
        if (place.path == removed) {
            peer.removeFile(unixPathOf(removed));
        }
        peer.send(kPort, "20;06;one line;\r\n");
        MessageBoxInfo box = app.waitForMessageBox(kCatchUpMs, true);
        ASSERT_NE(box.window, nullptr) << place.path;
        EXPECT_EQ(box.text, "Could not write to the log file\n" + place.path + "\n(" + place.reason +
                                ").\n\nLogging to the file has stopped; log mode goes on.");
        app.dismiss(box.window);
        ASSERT_TRUE(app.settle());
        EXPECT_NE(logView().find(std::string("-- Log file stopped: ") + place.reason + " --"),
                  std::string::npos);
        peer.send(kPort, "20;07;still logging;\r\n");
        EXPECT_TRUE(logEndsWith("20;07;still logging;\r\n"));
        EXPECT_EQ(app.findMessageBox(true).window, nullptr) << "one box only";
        EXPECT_EQ(app.text(IDC_STATUS_LINE), "Logging...");
    }
}

TEST_F(LogModeTest, SaveLogAsWritesWhatTheViewHolds)
{
    actAsGateway();
    ASSERT_TRUE(app.start());
    startLogging();
    peer.send(kPort, "20;08;saved;\r\n");
    ASSERT_TRUE(logEndsWith("20;08;saved;\r\n"));
    toggleLogging();
    std::string path = logFileIn("saved.txt");
    ASSERT_TRUE(app.chooseSaveFile(IDM_SAVE_LOG_AS, "Save log as", &path));
    EXPECT_EQ(readTextFile(path), logView());
}

} // namespace

namespace {

// The Find dialog's controls (the system's template).
constexpr int kFindText = 0x480;
constexpr int kFindUp = 0x420;
constexpr int kFindDown = 0x421;

DWORD selectionStart(HWND view, DWORD* end)
{
    DWORD start = 0;
    SendMessageA(view, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(end));
    return start;
}

} // namespace

TEST_F(LogModeTest, TimedLinesAndFindWithCtrlFAndF3)
{
    actAsGateway();
    ASSERT_TRUE(app.start());
    startLogging();
    app.systemCommand(IDM_SHOW_TIMES);
    ASSERT_TRUE(app.settle());
    peer.send(kPort, "20;04;Alecto V1;ID=2a;TEMP=00c3;\r\n20;05;Oregon;ID=BEEF;\r\n");
    ASSERT_TRUE(logEndsWith("20;05;Oregon;ID=BEEF;\r\n")) << logView();
    std::string text = logView();
    std::string stamp = text.substr(text.rfind("20;05") - 13, 13);
    EXPECT_TRUE(stamp.size() == 13 && stamp[2] == ':' && stamp[5] == ':' && stamp[8] == '.' &&
                stamp[12] == ' ' && stamp.find_first_not_of("0123456789:. ") == std::string::npos)
        << "the line starts with its time: " << stamp;

    ASSERT_TRUE(app.typeKeys("ctrl+f"));
    MessageBoxInfo find = app.waitForMessageBox(kCatchUpMs, true);
    ASSERT_NE(find.window, nullptr) << "Ctrl+F opened nothing";
    EXPECT_EQ(find.caption, "Find");
    SendMessageA(GetDlgItem(find.window, kFindText), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("id=beef"));
    SendMessageA(GetDlgItem(find.window, kFindUp), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(GetDlgItem(find.window, kFindDown), BM_SETCHECK, BST_UNCHECKED, 0);
    PostMessageA(find.window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    HWND view = app.control(IDC_LOG_VIEW);
    const DWORD match = static_cast<DWORD>(text.rfind("ID=BEEF"));
    DWORD end = 0;
    ASSERT_TRUE(waitFor([&] { return selectionStart(view, &end) == match; })) << "not selected";
    EXPECT_EQ(end, match + 7);

    // New lines do not move the match away; F3 looks further up, finds nothing and says so.
    peer.send(kPort, "20;06;later;\r\n");
    ASSERT_TRUE(logEndsWith("20;06;later;\r\n")) << logView();
    PostMessageA(find.window, WM_KEYDOWN, VK_F3, 1);
    MessageBoxInfo notFound = app.waitForBoxOwnedBy(find.window, kCatchUpMs);
    EXPECT_EQ(notFound.text, "\"id=beef\" not found in the log view");
    app.dismiss(notFound.window);
    ASSERT_TRUE(app.waitUntilGone(notFound.window));
    EXPECT_EQ(selectionStart(view, &end), match);
    EXPECT_EQ(end, match + 7);
    if (const char* shots = getenv("VEXLOR_SCREENSHOTS")) {
        EXPECT_TRUE(app.saveScreenshot(std::string(shots) + "\\find-dialog.bmp"));
    }
}
