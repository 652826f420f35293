// End-to-end checks of the whole chain without hardware: the real program uploads through
// avrdude.exe (the Windows avrdude this build makes) onto the virtual board (a simulated
// ATmega2560 running the stock stk500v2 bootloader), and log mode then talks to the firmware
// it flashed.
//
// The board's port is COM7; a silent pseudo-terminal on COM3 is listed first, so the tests
// pick the board's port as a user would. Each test has its own board.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "intelHex.h"
#include "loaderApp.h"
#include "programmerStandIn.h"
#include "resource.h"
#include "serialPeer.h"
#include "virtualBoard.h"
#include "winePaths.h"

namespace {

const char kBoardPort[] = "COM7";
const char kOtherPort[] = "COM3";
constexpr size_t kFlashSize = 256 * 1024;
constexpr size_t kBootSectionStart = 0x3E000;
constexpr size_t kPageSize = 256;
// A whole flash of the 137 KiB image with verification takes about half a minute.
constexpr DWORD kUploadTimeoutMs = 120000;
constexpr DWORD kEventTimeoutMs = kCatchUpMs;
// On a silent port avrdude waits 10 s for each of six answers (its read time-out, 5 s and 5 s
// a byte) before it says "timeout communicating with programmer": about a minute.
constexpr DWORD kSilentPortTimeoutMs = 120000;

const std::string kBanner = "20;00;Vexlor Gateway - R47;\r\n";
const std::string kVersionAnswer = "20;01;VER=1.1;REV=47;BUILD=0a;\r\n";

bool endsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// An erased flash with the bootloader and then each file (Linux paths) written over it, as
// the board must hold it.
std::vector<unsigned char> flashWith(const std::vector<std::string>& hexFiles)
{
    std::vector<unsigned char> flash(kFlashSize, 0xFF);
    std::string error;
    EXPECT_TRUE(applyIntelHex(windowsPathOf(VEXLOR_BOOTLOADER_HEX), flash, error)) << error;
    for (const std::string& file : hexFiles) {
        EXPECT_TRUE(applyIntelHex(windowsPathOf(file), flash, error)) << error;
    }
    return flash;
}

// The flash pages a HEX file has data in: each is one page write of the bootloader.
size_t pagesOf(const std::string& hexFile)
{
    std::vector<unsigned char> marked(kFlashSize, 0xFF);
    std::vector<unsigned char> blank(kFlashSize, 0x00);
    std::string error;
    EXPECT_TRUE(applyIntelHex(windowsPathOf(hexFile), marked, error)) << error;
    // Written over two different backgrounds, a byte differs wherever the file has data.
    EXPECT_TRUE(applyIntelHex(windowsPathOf(hexFile), blank, error)) << error;
    std::set<size_t> pages;
    for (size_t i = 0; i < kFlashSize; ++i) {
        if (marked[i] != 0xFF || blank[i] != 0x00) {
            pages.insert(i / kPageSize);
        }
    }
    return pages.size();
}

::testing::AssertionResult sameFlash(const std::vector<unsigned char>& actual,
                                     const std::vector<unsigned char>& expected)
{
    if (actual.size() != expected.size()) {
        return ::testing::AssertionFailure() << "the board's flash image has " << actual.size()
                                             << " bytes, not " << expected.size();
    }
    size_t differing = 0;
    size_t first = 0;
    for (size_t i = 0; i < actual.size(); ++i) {
        if (actual[i] != expected[i] && differing++ == 0) {
            first = i;
        }
    }
    if (differing != 0) {
        char where[160];
        snprintf(where, sizeof where, "%zu bytes differ, the first at 0x%05zx (%02x, not %02x)%s",
                 differing, first, actual[first], expected[first],
                 first >= kBootSectionStart ? ", in the bootloader" : "");
        return ::testing::AssertionFailure() << where;
    }
    return ::testing::AssertionSuccess();
}

// What an upload ends with: the box it shows and the status line while the box is up, and
// what was seen while it ran.
struct UploadOutcome {
    std::string caption;
    std::string text;
    std::string status;
    DWORD milliseconds = 0;          // from the click to the box
    std::set<std::string> progress;  // the status line's progress texts ("Writing 42%, 3 s")
    DWORD slowestAnswerMs = 0;       // the longest the window took to answer a message
};

// The log view's lines, without their line ends.
std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

void reportTime(const std::string& what, DWORD milliseconds)
{
    std::cout << "[  TIMING  ] " << what << ": " << milliseconds << " ms" << std::endl;
}

bool startsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

class VirtualBoardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        peer.unmap("COM1");
        peer.mapPty(kOtherPort);
    }

    // What the board went through explains most failures.
    void TearDown() override
    {
        if (HasFailure() && board) {
            std::string events;
            for (const std::string& event : board->events()) {
                events += "  " + event + "\n";
            }
            std::cout << "The board reported:\n" << events;
        }
    }

    // A board holding the bootloader and, when given, an application; mapped as COM7.
    void startBoard(const std::string& appHex = std::string())
    {
        board.reset(new VirtualBoard(appHex));
        ASSERT_TRUE(board->ready());
        peer.mapTo(kBoardPort, board->portLink());
    }

    // avrdude goes into the working folder, which leads the program's PATH.
    void installProgrammer() { ASSERT_TRUE(installAvrdude(app.workFolder())); }

    std::string inWorkFolder(const std::string& name) const
    {
        return app.workFolder() + "\\" + name;
    }

    void startProgramOnTheBoard()
    {
        ASSERT_TRUE(app.start());
        ASSERT_TRUE(app.selectListItem(IDC_PORT_LIST, kBoardPort));
    }

    // Clicks the upload button, then watches the window until the box comes: its status line,
    // and how fast it answers a message.
    ::testing::AssertionResult upload(UploadOutcome& outcome)
    {
        DWORD started = GetTickCount();
        app.click(IDC_UPLOAD_BUTTON);
        MessageBoxInfo box;
        while (box.window == nullptr && GetTickCount() - started < kUploadTimeoutMs) {
            DWORD asked = GetTickCount();
            DWORD_PTR ignored = 0;
            SendMessageTimeoutA(app.mainWindow(), WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored);
            outcome.slowestAnswerMs = std::max(outcome.slowestAnswerMs, GetTickCount() - asked);
            std::string status = app.text(IDC_STATUS_LINE);
            if (startsWith(status, "Writing ") || startsWith(status, "Reading ")) {
                outcome.progress.insert(status);
            }
            box = app.findMessageBox(true);
            Sleep(20);
        }
        outcome.milliseconds = GetTickCount() - started;
        if (box.window == nullptr) {
            return ::testing::AssertionFailure() << "the upload showed no box within "
                                                 << kUploadTimeoutMs << " ms";
        }
        outcome.caption = box.caption;
        outcome.text = box.text;
        outcome.status = app.text(IDC_STATUS_LINE);
        app.dismiss(box.window);
        ::testing::AssertionResult gone = app.waitUntilGone(box.window);
        return gone ? app.settle() : gone;
    }

    // Waits until the board starts an application after the events from index from on: after
    // the last page write among them, when there was one, so its flash image is saved.
    ::testing::AssertionResult waitForApplicationStart(size_t from)
    {
        const std::vector<std::string>& events = board->events();
        size_t after = from;
        for (size_t i = from; i < events.size(); ++i) {
            if (startsWith(events[i], "page write")) {
                after = i + 1;
            }
        }
        if (board->waitForEvent("application start", after, kEventTimeoutMs) < 0) {
            return ::testing::AssertionFailure() << "the board started no application within "
                                                 << kEventTimeoutMs << " ms";
        }
        return ::testing::AssertionSuccess();
    }

    // Starts log mode on a cleared log view (an upload leaves the programmer's output there).
    void startLogging()
    {
        app.click(IDC_CLEAR_LOG_BUTTON);
        app.click(IDC_LOGGING_BUTTON);
        ASSERT_TRUE(app.settle());
        ASSERT_EQ(app.text(IDC_STATUS_LINE), "Logging...") << app.text(IDC_LOG_VIEW);
    }

    // Copies the program with avrdude.exe and avrdude.conf into the working folder's
    // "Прошивка", and the gateway firmware into its "固件": names the code page (1252 under
    // Wine here) cannot write.
    void installOutsideTheCodePage(std::wstring& program, std::wstring& firmware)
    {
        std::wstring programFolder = wide(app.workFolder()) + L"\\Прошивка\\";
        std::wstring firmwareFolder = wide(app.workFolder()) + L"\\固件\\";
        program = programFolder + L"VexlorLoader.exe";
        firmware = firmwareFolder + L"gateway.cpp.hex";
        std::string avrdude = windowsPathOf(VEXLOR_AVRDUDE_DIR) + "\\";
        const std::pair<std::string, std::wstring> copies[] = {
            {programPath(), program},
            {avrdude + "avrdude.exe", programFolder + L"avrdude.exe"},
            {avrdude + "avrdude.conf", programFolder + L"avrdude.conf"},
            {windowsPathOf(VEXLOR_GATEWAY_FIRMWARE), firmware}};
        ASSERT_TRUE(CreateDirectoryW(programFolder.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW(firmwareFolder.c_str(), nullptr));
        for (const auto& copy : copies) {
            ASSERT_TRUE(CopyFileW(wide(copy.first).c_str(), copy.second.c_str(), FALSE))
                << copy.first;
        }
    }

    // Runs avrdude.exe from the working folder with params as its parameter line, as the
    // program runs it; returns its exit code, and what it printed in output.
    DWORD runAvrdude(const std::string& params, std::string& output)
    {
        return runCapturingOutput(inWorkFolder("avrdude.exe"), params, app.workFolder(), output,
                                  kUploadTimeoutMs);
    }

    // Declared in this order so the program ends first, then the board, and the peer puts
    // the ports back last.
    SerialPeer peer;
    std::unique_ptr<VirtualBoard> board;
    LoaderApp app;
};

TEST_F(VirtualBoardTest, UploadedGatewayFirmwareRunsAndAnswersInLogMode)
{
    ASSERT_NO_FATAL_FAILURE(startBoard());
    ASSERT_NO_FATAL_FAILURE(installProgrammer());
    // Chosen in the open-file dialog, which makes its folder the current one: the firmware
    // lies beside avrdude.exe, as it does for a user who keeps both in one folder.
    std::string firmware = inWorkFolder("gateway.cpp.hex");
    ASSERT_TRUE(CopyFileA(windowsPathOf(VEXLOR_GATEWAY_FIRMWARE).c_str(), firmware.c_str(), FALSE));
    ASSERT_NO_FATAL_FAILURE(startProgramOnTheBoard());
    ASSERT_TRUE(app.chooseFile(firmware));

    size_t before = board->events().size();
    UploadOutcome outcome;
    ASSERT_TRUE(upload(outcome));
    EXPECT_EQ(outcome.caption, "Success") << app.text(IDC_LOG_VIEW);
    EXPECT_EQ(outcome.text, "Programming successful");
    EXPECT_EQ(app.text(IDC_STATUS_LINE), "OK");
    reportTime("full flash of gateway.cpp.hex, click to box", outcome.milliseconds);

    // avrdude leaves the bootloader, which starts the new firmware; the image is saved first.
    ASSERT_TRUE(waitForApplicationStart(before));
    // Every page with data is written (avrdude may write one again after a lost answer).
    EXPECT_GE(board->countEvents("page write", before),
              static_cast<int>(pagesOf(VEXLOR_GATEWAY_FIRMWARE)));
    EXPECT_TRUE(sameFlash(board->flash(), flashWith({VEXLOR_GATEWAY_FIRMWARE})))
        << "the flash must be the bootloader and the firmware, byte for byte";

    // Log mode opens the port, which resets the board: the bootloader waits its second, then
    // the firmware greets and answers the version request.
    ASSERT_NO_FATAL_FAILURE(startLogging());
    EXPECT_EQ(app.text(IDC_LOG_VIEW), kBanner + "10;version;\n" + kVersionAnswer);

    ASSERT_TRUE(app.setText(IDC_COMMAND_FIELD, "10;ping;"));
    app.click(IDC_SEND_COMMAND_BUTTON);
    ASSERT_TRUE(app.settle());
    EXPECT_TRUE(endsWith(app.text(IDC_LOG_VIEW), "10;ping;\n20;04;CMD UNKNOWN=10;ping;;\r\n"))
        << app.text(IDC_LOG_VIEW);

    app.click(IDC_GATEWAY_DEBUG_BUTTON);
    ASSERT_TRUE(app.settle());
    EXPECT_TRUE(endsWith(app.text(IDC_LOG_VIEW), "10;rfdebug=on;\n20;02;RFDEBUG=ON;\r\n"))
        << app.text(IDC_LOG_VIEW);
    app.click(IDC_GATEWAY_DEBUG_BUTTON);
    ASSERT_TRUE(app.settle());
    EXPECT_TRUE(endsWith(app.text(IDC_LOG_VIEW), "10;rfdebug=off;\n20;03;RFDEBUG=OFF;\r\n"))
        << app.text(IDC_LOG_VIEW);

    app.click(IDC_LOGGING_BUTTON);
    ASSERT_TRUE(app.settle());
    EXPECT_EQ(app.text(IDC_STATUS_LINE), "OK");
}

// A damaged image and an export with the bootloader are refused before the port is opened: the
// programmer never runs, and the board is not even reset.
TEST_F(VirtualBoardTest, DamagedOrBootloaderImagesAreRefusedBeforeTheBoardIsTouched)
{
    ASSERT_NO_FATAL_FAILURE(startBoard(VEXLOR_GATEWAY_FIRMWARE));
    ASSERT_NO_FATAL_FAILURE(installProgrammer());
    std::vector<std::string> big = linesOf(readTextFile(windowsPathOf(VEXLOR_BIG_FIRMWARE)));
    std::vector<std::string> damaged =
        linesOf(withOneWrongDigit(readTextFile(windowsPathOf(VEXLOR_BIG_FIRMWARE))));
    ASSERT_EQ(big.size(), damaged.size());
    size_t line = std::mismatch(big.begin(), big.end(), damaged.begin()).first - big.begin() + 1;
    std::string gateway = readTextFile(windowsPathOf(VEXLOR_GATEWAY_FIRMWARE));
    std::string withBootloader = gateway.substr(0, gateway.find(":00000001FF")) +
                                 readTextFile(windowsPathOf(VEXLOR_BOOTLOADER_HEX));
    std::string damagedText;
    for (const std::string& record : damaged) {
        damagedText += record + "\r\n";
    }
    const struct {
        const char* name;
        std::string text;
        std::string said;
    } cases[] = {
        {"damaged.cpp.hex", damagedText,
         "(line " + std::to_string(line) + ": the checksum does not match)"},
        {"sketch.ino.with_bootloader.hex", withBootloader,
         "contains a bootloader (data at 0x3E000, where the board's own bootloader lives)"},
    };
    ASSERT_NO_FATAL_FAILURE(startProgramOnTheBoard());
    size_t before = board->events().size();
    for (const auto& c : cases) {
        ASSERT_TRUE(writeTextFile(inWorkFolder(c.name), c.text));
        ASSERT_TRUE(app.setText(IDC_PATH_FIELD, inWorkFolder(c.name)));
        UploadOutcome outcome;
        ASSERT_TRUE(upload(outcome));
        EXPECT_EQ(outcome.caption, "Error");
        EXPECT_TRUE(contains(outcome.text, c.said)) << outcome.text;
        EXPECT_TRUE(startsWith(outcome.text, "Programming failed, ")) << outcome.text;
    }
    EXPECT_FALSE(contains(app.text(IDC_LOG_VIEW), "avrdude")) << "the programmer ran";
    EXPECT_EQ(board->countEvents("reset", before), 0) << "the board's port was opened";
    EXPECT_TRUE(sameFlash(board->flash(), flashWith({VEXLOR_GATEWAY_FIRMWARE})));
}

TEST_F(VirtualBoardTest, ImageAbove128KiBIsFlashedAndRuns)
{
    std::vector<unsigned char> image(kFlashSize, 0xFF);
    std::string error;
    size_t dataBytes = 0;
    ASSERT_TRUE(applyIntelHex(windowsPathOf(VEXLOR_BIG_FIRMWARE), image, error, &dataBytes))
        << error;
    ASSERT_GT(dataBytes, 136u * 1024) << "the fixture is not the 137 KiB image";
    ASSERT_LE(dataBytes, 138u * 1024) << "the fixture is not the 137 KiB image";

    ASSERT_NO_FATAL_FAILURE(startBoard());
    ASSERT_NO_FATAL_FAILURE(installProgrammer());
    ASSERT_NO_FATAL_FAILURE(startProgramOnTheBoard());
    // Typed into the path field, as a user may do instead of choosing.
    ASSERT_TRUE(app.setText(IDC_PATH_FIELD, windowsPathOf(VEXLOR_BIG_FIRMWARE)));
    size_t before = board->events().size();
    UploadOutcome outcome;
    ASSERT_TRUE(upload(outcome));
    EXPECT_EQ(outcome.caption, "Success") << app.text(IDC_LOG_VIEW);
    EXPECT_EQ(outcome.text, "Programming successful");
    reportTime("full flash of gateway-137k.cpp.hex, click to box", outcome.milliseconds);
    reportTime("slowest answer of the window during the flash", outcome.slowestAnswerMs);
    // The figure is reported above (README, performance); the test only asks that the window
    // never waits for the programmer, which would leave it dead for the whole flash.
    EXPECT_LT(outcome.slowestAnswerMs, 5000u) << "the window answers throughout the flash";
    EXPECT_GE(outcome.progress.size(), 10u) << "progress texts seen in the status line";
    // avrdude's output in the log view: one line per progress bar, none cut into pieces.
    int writeBars = 0;
    int readBars = 0;
    std::string log = app.text(IDC_LOG_VIEW);
    for (const std::string& line : linesOf(log)) {
        writeBars += startsWith(line, "Writing | ") ? 1 : 0;
        readBars += startsWith(line, "Reading | ") ? 1 : 0;
        EXPECT_TRUE(line.empty() || line.find_first_not_of("#") != std::string::npos)
            << "a fragment of a bar in:\n" << log;
    }
    EXPECT_EQ(writeBars, 1) << log;
    EXPECT_GE(readBars, 1) << log;
    EXPECT_TRUE(contains(log, "bytes of flash verified")) << log;

    ASSERT_TRUE(waitForApplicationStart(before));
    EXPECT_GE(board->countEvents("page write", before),
              static_cast<int>(pagesOf(VEXLOR_BIG_FIRMWARE)));
    EXPECT_GE(board->countEvents("page write 0x2", before), 1) << "no page above 128 KiB";
    EXPECT_TRUE(sameFlash(board->flash(), flashWith({VEXLOR_BIG_FIRMWARE})));

    // The firmware's banner says where its code runs: above 128 KiB.
    ASSERT_NO_FATAL_FAILURE(startLogging());
    log = app.text(IDC_LOG_VIEW);
    const std::string greeting = "20;00;Vexlor Gateway - R47;CODE=0x";
    ASSERT_EQ(log.compare(0, greeting.size(), greeting), 0) << log;
    unsigned long codeAddress = strtoul(log.c_str() + greeting.size(), nullptr, 16);
    EXPECT_GE(codeAddress, 0x20000ul) << log;
    EXPECT_LT(codeAddress, kBootSectionStart) << log;
    EXPECT_TRUE(endsWith(log, "10;version;\n" + kVersionAnswer)) << log;
}

// Stopping in the middle of writing ends the programmer at once; the board keeps its
// bootloader, so the next flash puts the whole image on it.
TEST_F(VirtualBoardTest, StopWhileWritingEndsTheProgrammerAndTheNextFlashSucceeds)
{
    ASSERT_NO_FATAL_FAILURE(startBoard());
    ASSERT_NO_FATAL_FAILURE(installProgrammer());
    ASSERT_NO_FATAL_FAILURE(startProgramOnTheBoard());
    ASSERT_TRUE(app.setText(IDC_PATH_FIELD, windowsPathOf(VEXLOR_BIG_FIRMWARE)));
    app.click(IDC_UPLOAD_BUTTON);
    DWORD started = GetTickCount();
    while (!startsWith(app.text(IDC_STATUS_LINE), "Writing ") &&
           GetTickCount() - started < kUploadTimeoutMs) {
        Sleep(50);
    }
    ASSERT_TRUE(startsWith(app.text(IDC_STATUS_LINE), "Writing ")) << app.text(IDC_STATUS_LINE);
    EXPECT_EQ(app.text(IDC_UPLOAD_BUTTON), "Stop programming");
    EXPECT_FALSE(app.isEnabled(IDC_LOGGING_BUTTON));
    EXPECT_FALSE(app.isEnabled(IDC_SCAN_BUTTON));
    EXPECT_EQ(processesNamed("avrdude.exe"), 1);

    DWORD stopped = GetTickCount();
    app.click(IDC_UPLOAD_BUTTON);
    MessageBoxInfo box = app.waitForMessageBox(kEventTimeoutMs, true);
    DWORD took = GetTickCount() - stopped;
    EXPECT_EQ(box.text, "Programming stopped");
    EXPECT_EQ(app.text(IDC_STATUS_LINE), "Programming stopped");
    EXPECT_EQ(processesNamed("avrdude.exe"), 0) << "the programmer is gone";
    reportTime("stop, click to box", took);
    app.dismiss(box.window);
    ASSERT_TRUE(app.waitUntilGone(box.window));
    ASSERT_TRUE(app.settle());
    EXPECT_EQ(app.text(IDC_UPLOAD_BUTTON), "Upload/Program Firmware to device");
    EXPECT_TRUE(app.isEnabled(IDC_LOGGING_BUTTON));

    size_t before = board->events().size();
    UploadOutcome outcome;
    ASSERT_TRUE(upload(outcome));
    EXPECT_EQ(outcome.text, "Programming successful") << app.text(IDC_LOG_VIEW);
    ASSERT_TRUE(waitForApplicationStart(before));
    EXPECT_TRUE(sameFlash(board->flash(), flashWith({VEXLOR_BIG_FIRMWARE})));
}

// A port where no board answers: avrdude keeps retrying, the log view shows why as it goes,
// and "Stop programming" ends it.
TEST_F(VirtualBoardTest, NoBoardAnsweringShowsTheTimeoutLiveAndStopEndsTheProgrammer)
{
    ASSERT_NO_FATAL_FAILURE(installProgrammer());
    ASSERT_TRUE(app.start());
    ASSERT_TRUE(app.selectListItem(IDC_PORT_LIST, kOtherPort));
    ASSERT_TRUE(app.setText(IDC_PATH_FIELD, windowsPathOf(VEXLOR_GATEWAY_FIRMWARE)));
    app.click(IDC_UPLOAD_BUTTON);
    DWORD started = GetTickCount();
    while (!contains(app.text(IDC_LOG_VIEW), "timeout communicating with programmer") &&
           GetTickCount() - started < kSilentPortTimeoutMs) {
        Sleep(200);
    }
    ASSERT_TRUE(contains(app.text(IDC_LOG_VIEW), "timeout communicating with programmer"))
        << app.text(IDC_LOG_VIEW);
    reportTime("upload to a port where nothing answers, click to the timeout in the log view",
               GetTickCount() - started);
    EXPECT_EQ(app.text(IDC_UPLOAD_BUTTON), "Stop programming");

    app.click(IDC_UPLOAD_BUTTON);
    MessageBoxInfo box = app.waitForMessageBox(kEventTimeoutMs, true);
    EXPECT_EQ(box.text, "Programming stopped");
    EXPECT_EQ(processesNamed("avrdude.exe"), 0) << "the programmer is gone";
    app.dismiss(box.window);
    ASSERT_TRUE(app.waitUntilGone(box.window));
}

// The command line flashes the board like the button, and says so.
TEST_F(VirtualBoardTest, CommandLineFlashesTheBoard)
{
    ASSERT_NO_FATAL_FAILURE(startBoard());
    ASSERT_NO_FATAL_FAILURE(installProgrammer());
    size_t before = board->events().size();
    std::string output;
    DWORD code = runWithArguments("--flash \"" + windowsPathOf(VEXLOR_GATEWAY_FIRMWARE) +
                                      "\" --port " + kBoardPort,
                                  app.workFolder(), output, kUploadTimeoutMs);
    EXPECT_EQ(code, 0u) << output;
    EXPECT_TRUE(contains(output, "Writing | ##################################################"))
        << output;
    EXPECT_TRUE(endsWith(output, "Programming successful\r\n")) << output;
    ASSERT_TRUE(waitForApplicationStart(before));
    EXPECT_TRUE(sameFlash(board->flash(), flashWith({VEXLOR_GATEWAY_FIRMWARE})));
}

// A sketch's image flashes; --read gives back what was written, without the bootloader, and
// --verify tells the flashed file from another. The window's commands do the same.
TEST_F(VirtualBoardTest, ReadBackGivesWhatWasFlashedAndVerifyTellsItFromAnotherFile)
{
    ASSERT_NO_FATAL_FAILURE(startBoard());
    ASSERT_NO_FATAL_FAILURE(installProgrammer());
    const std::string sketch = inWorkFolder("sketch.ino.hex");
    const std::string copy = inWorkFolder("copy.hex");
    const std::string other = inWorkFolder("other.hex");
    ASSERT_TRUE(CopyFileA(windowsPathOf(VEXLOR_GATEWAY_FIRMWARE).c_str(), sketch.c_str(), FALSE));
    ASSERT_TRUE(writeTextFile(other, ":1000000000000000000000000000000000000000F0\r\n"
                                     ":00000001FF\r\n"));
    const struct {
        std::string arguments;
        DWORD code;
        std::string said;
        std::string ending;
    } runs[] = {
        {"--flash \"" + sketch + "\"", 0, "Image: ", "Programming successful\r\n"},
        {"--read \"" + copy + "\"", 0, "\r\nSaved ",
         "The board's firmware is saved in\r\n" + copy + "\r\n"},
        {"--verify \"" + sketch + "\"", 0, "Verifying ", "The board holds this firmware\r\n"},
        {"--verify \"" + other + "\"", 10, "verification", 
         "The board's firmware differs from this file\r\n"},
    };
    for (const auto& run : runs) {
        size_t before = board->events().size();
        std::string output;
        DWORD code = runWithArguments(run.arguments + " --port " + kBoardPort, app.workFolder(),
                                      output, kUploadTimeoutMs);
        EXPECT_EQ(code, run.code) << output;
        EXPECT_TRUE(contains(output, run.said)) << output;
        EXPECT_TRUE(endsWith(output, run.ending)) << output;
        ASSERT_TRUE(waitForApplicationStart(before));
    }
    std::vector<unsigned char> written(kFlashSize, 0xFF);
    std::vector<unsigned char> readBack(kFlashSize, 0xFF);
    std::string error;
    ASSERT_TRUE(applyIntelHex(sketch, written, error)) << error;
    ASSERT_TRUE(applyIntelHex(copy, readBack, error)) << error;
    EXPECT_TRUE(sameFlash(readBack, written)) << "the copy holds the firmware and nothing else";

    ASSERT_NO_FATAL_FAILURE(startProgramOnTheBoard());
    const std::string windowCopy = inWorkFolder("window copy.hex");
    ASSERT_TRUE(app.chooseSaveFile(IDM_SAVE_BOARD_FIRMWARE, "Save the board's firmware as",
                                   &windowCopy));
    MessageBoxInfo box = app.waitForMessageBox(kUploadTimeoutMs, true);
    EXPECT_EQ(box.text, "The board's firmware is saved in\n" + windowCopy);
    app.dismiss(box.window);
    ASSERT_TRUE(app.waitUntilGone(box.window));
    EXPECT_EQ(readTextFile(windowCopy), readTextFile(copy));
    ASSERT_TRUE(app.chooseSaveFile(IDM_VERIFY_BOARD, "Verify the board against", &other));
    box = app.waitForMessageBox(kUploadTimeoutMs, true);
    EXPECT_EQ(box.caption + ": " + box.text, "Verify: The board's firmware differs from this file");
    EXPECT_TRUE(contains(app.text(IDC_LOG_VIEW), "Verifying COM7 against " + other))
        << app.text(IDC_LOG_VIEW);
}

// The program passes -D because the stock bootloader refuses avrdude's chip erase: without it
// avrdude stops at "erasing chip" and writes nothing. The same line with -D then works.
TEST_F(VirtualBoardTest, ProgrammerLineWithoutSkippingTheEraseFailsOnTheStockBootloader)
{
    ASSERT_NO_FATAL_FAILURE(startBoard());
    ASSERT_NO_FATAL_FAILURE(installProgrammer());
    const std::string common = std::string("-p atmega2560 -c stk500v2 -P \\\\.\\") + kBoardPort +
                               " -b 115200 ";
    const std::string update =
        "-U flash:w:\"" + windowsPathOf(VEXLOR_GATEWAY_FIRMWARE) + "\":i ";

    size_t before = board->events().size();
    std::string output;
    DWORD code = runAvrdude(common + update, output);
    EXPECT_NE(code, 0u) << output;
    EXPECT_NE(code, static_cast<DWORD>(STILL_ACTIVE)) << output;
    EXPECT_TRUE(contains(output, "erasing chip")) << output;
    EXPECT_FALSE(contains(output, "bytes of flash written")) << output;
    ASSERT_TRUE(waitForApplicationStart(before));
    EXPECT_EQ(board->countEvents("page write", before), 0);
    EXPECT_TRUE(sameFlash(board->flash(), flashWith({})));

    before = board->events().size();
    DWORD started = GetTickCount();
    EXPECT_EQ(runAvrdude(common + "-D " + update, output), 0u) << output;
    reportTime("avrdude run of gateway.cpp.hex on its own", GetTickCount() - started);
    ASSERT_TRUE(waitForApplicationStart(before));
    EXPECT_GE(board->countEvents("page write", before),
              static_cast<int>(pagesOf(VEXLOR_GATEWAY_FIRMWARE)));
    EXPECT_TRUE(sameFlash(board->flash(), flashWith({VEXLOR_GATEWAY_FIRMWARE})));
}

// The program in a folder whose name the code page cannot write runs the avrdude.exe beside
// it (the working folder on its PATH holds none), and hands it the firmware, which lies in
// such a folder too, in a form the code page can write.
TEST_F(VirtualBoardTest, CommandLineFlashesFromFoldersOutsideTheCodePage)
{
    ASSERT_NO_FATAL_FAILURE(startBoard());
    std::wstring program;
    std::wstring firmware;
    ASSERT_NO_FATAL_FAILURE(installOutsideTheCodePage(program, firmware));
    size_t before = board->events().size();
    std::string output;
    std::wstring port = L" --port " + wide(kBoardPort);
    DWORD code = runCapturingOutput(program, L"--flash \"" + firmware + L"\"" + port,
                                    app.workFolder(), output, kUploadTimeoutMs);
    EXPECT_EQ(code, 0u) << output;
    EXPECT_TRUE(endsWith(output, "Programming successful\r\n")) << output;
    ASSERT_TRUE(waitForApplicationStart(before));
    EXPECT_TRUE(sameFlash(board->flash(), flashWith({VEXLOR_GATEWAY_FIRMWARE})));

    // A file that is not there has no short form: refused as a path that cannot be passed on.
    std::wstring missing = firmware.substr(0, firmware.rfind(L'\\')) + L"\\missing.cpp.hex";
    code = runCapturingOutput(program, L"--flash \"" + missing + L"\"" + port, app.workFolder(),
                              output, kUploadTimeoutMs);
    EXPECT_EQ(code, 5u) << output;
    EXPECT_TRUE(endsWith(output, "the firmware path has characters this Windows cannot pass to "
                                 "the programmer.\r\nMove the file to a folder with a plain name "
                                 "and select it again.\r\n"))
        << output;
}

} // namespace
