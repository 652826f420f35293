// The parameter line, the refusal of paths that cannot be passed on, where the programmer is
// taken from, and running it (a stand-in avrdude.exe on PATH) with its verdicts and time limit.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "platform/trace.h"
#include "platform/codePagePath.h"
#include "programming/programmer.h"
#include "testWindow.h"
#include "waitFor.h"

namespace {

class ParamsTest : public ::testing::Test {
protected:
    int build(const std::string& port, const std::string& path)
    {
        line = "left from before";
        return buildProgrammerParams(port, path, line);
    }

    std::string line;
};

TEST_F(ParamsTest, LineForABoardOnCom3)
{
    ASSERT_EQ(build("COM3", "C:\\firmware\\gateway.cpp.hex"), PARAMS_READY);
    EXPECT_EQ(line, "-p atmega2560 -c stk500v2 -P \\\\.\\COM3 -b 115200 -D "
                    "-U flash:w:\"C:\\firmware\\gateway.cpp.hex\":i ");
    EXPECT_EQ(line.size(), 94u);
}

TEST_F(ParamsTest, EmptyPathAndPortGoInAsEmptyText)
{
    ASSERT_EQ(build("", ""), PARAMS_READY);
    EXPECT_EQ(line, "-p atmega2560 -c stk500v2 -P \\\\.\\ -b 115200 -D -U flash:w:\"\":i ");
}

TEST_F(ParamsTest, LongestPathThatFitsAndOneMore)
{
    // 63 fixed characters and the terminator leave 976 for the port name and the path.
    for (std::string port : {"COM3", "COM10"}) {
        std::string fits(976 - port.size(), 'p');
        ASSERT_EQ(build(port, fits), PARAMS_READY) << port;
        EXPECT_EQ(line.size(), 1039u);
        EXPECT_EQ(build(port, fits + "p"), PARAMS_PATH_TOO_LONG) << port;
        EXPECT_EQ(line, "") << "a refused line is never left half-built";
    }
    EXPECT_EQ(build("COM3", std::string(1022, 'p')), PARAMS_PATH_TOO_LONG);
}

TEST_F(ParamsTest, PathWithADoubleQuoteIsRefused)
{
    // It would end the quoted file name and pass the rest as options of the programmer.
    EXPECT_EQ(build("COM3", "C:\\fw.hex\":i -U eeprom:w:\"C:\\x.hex"), PARAMS_PATH_HAS_QUOTE);
    EXPECT_EQ(line, "");
    EXPECT_EQ(build("COM3", "\""), PARAMS_PATH_HAS_QUOTE);
    EXPECT_EQ(build("COM3", "C:\\it's here\\gateway.cpp.hex"), PARAMS_READY);
}

TEST(ProgrammerVerdict, SuccessOnlyForAReadExitCodeOfZero)
{
    EXPECT_EQ(programmerResult(true, 0), 0);
    EXPECT_EQ(programmerResult(true, 1), 1);
    EXPECT_EQ(programmerResult(true, 0xC0000005), 1);
    EXPECT_EQ(programmerResult(false, 0), 1) << "an unreadable exit code is no success";
}

// Makes a folder named name in the temporary folder, with an avrdude.exe in it when asked.
std::string makeFolder(const std::string& name, bool withProgrammer)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string folder = std::string(temp) + name + "-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string programmer = folder + "\\avrdude.exe";
    if (withProgrammer) {
        CloseHandle(CreateFileA(programmer.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                nullptr));
    } else {
        DeleteFileA(programmer.c_str());
    }
    return folder;
}

// The search on plain folder names, which the code page writes as they are.
std::string locate(const std::string& programFolder, const std::string& searchPath)
{
    return narrowText(locateProgrammer(wideText(programFolder), wideText(searchPath)));
}

TEST(ProgrammerLocation, ProgramFolderFirstThenPathNeverTheCurrentFolder)
{
    std::string own = makeFolder("own", true);
    std::string empty = makeFolder("empty", false);
    std::string onPath = makeFolder("on-path", true);
    std::string current = makeFolder("current", true);
    char previous[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof previous, previous);
    SetCurrentDirectoryA(current.c_str());

    EXPECT_EQ(locate(own + "\\", onPath), own + "\\avrdude.exe");
    EXPECT_EQ(locate(empty, "relative;;" + empty + ";\"" + onPath + "\";" + own),
              onPath + "\\avrdude.exe")
        << "the first folder on PATH that holds one, quoted or not";
    EXPECT_EQ(locate(empty, empty), "") << "neither";
    EXPECT_EQ(locate("", ".;;.\\;current-" + std::to_string(GetCurrentProcessId())), "")
        << "only the current folder holds one";

    SetCurrentDirectoryA(previous);
    for (const std::string& folder : {own, empty, onPath, current}) {
        DeleteFileA((folder + "\\avrdude.exe").c_str());
        RemoveDirectoryA(folder.c_str());
    }
}

// Collects what a run reports; asks for a stop once stopAfterMs have passed (never by default).
class CollectingWatcher : public ProgrammerWatcher {
public:
    void outputLine(const std::string& line) override { lines.push_back(line); }
    void progress(const std::string& text) override { progressTexts.push_back(text); }
    bool waitForProcess(HANDLE process, DWORD waitMs) override
    {
        WaitForSingleObject(process, waitMs);
        return GetTickCount() - begun >= stopAfterMs;
    }

    std::vector<std::string> lines;
    std::vector<std::string> progressTexts;
    DWORD stopAfterMs = INFINITE;
    DWORD begun = GetTickCount();
};

bool processEnded(DWORD id)
{
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
    if (process == nullptr) {
        return true;
    }
    bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

const std::string kParams = "-p atmega2560 -U flash:w:\"C:\\a b.hex\":i ";

// Runs the programmer with a fresh folder on PATH, with or without the stand-in in it.
class RunProgrammerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        folder = std::string(temp) + "programmer-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(folder.c_str(), nullptr);
        GetEnvironmentVariableA("PATH", previousPath, sizeof previousPath);
        SetEnvironmentVariableA("PATH", (folder + ";" + previousPath).c_str());
    }

    void TearDown() override
    {
        SetEnvironmentVariableA("PATH", previousPath);
        for (const char* name : {"avrdude.exe", "avrdude-params.txt", "avrdude-calls.txt",
                                 "avrdude-exit.txt", "avrdude-wait.txt", "avrdude-say.txt",
                                 "avrdude-pace.txt", "avrdude-pid.txt", "avrdude-child.txt",
                                 "avrdude-children.txt"}) {
            DeleteFileA((folder + name).c_str());
        }
        // The stand-in's console host may still sit in the folder for a moment.
        for (int attempt = 0; attempt < 30 && !RemoveDirectoryA(folder.c_str()); ++attempt) {
            Sleep(100);
        }
    }

    void installStandIn(const std::string& exitCode, const std::string& wait = "")
    {
        std::string standIn = "Z:" + std::string(VEXLOR_STAND_IN_PROGRAMMER);
        for (char& c : standIn) {
            c = c == '/' ? '\\' : c;
        }
        ASSERT_TRUE(CopyFileA(standIn.c_str(), (folder + "avrdude.exe").c_str(), FALSE));
        writeFile("avrdude-exit.txt", exitCode);
        if (!wait.empty()) {
            writeFile("avrdude-wait.txt", wait);
        }
    }

    void writeFile(const std::string& name, const std::string& text)
    {
        HANDLE file = CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
    }

    std::string readFile(const std::string& name)
    {
        std::string text;
        HANDLE file = CreateFileA((folder + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            char buffer[2048];
            DWORD got = 0;
            ReadFile(file, buffer, sizeof buffer, &got, nullptr);
            text.assign(buffer, got);
            CloseHandle(file);
        }
        return text;
    }

    std::string runTraced(ProgrammerOutcome& outcome, DWORD limitMs = kProgrammerTimeLimitMs)
    {
        setTracing(true);
        CapturedOutput output;
        outcome = runProgrammer(kParams, watcher, limitMs).outcome;
        setTracing(false);
        return output.finish();
    }

    CollectingWatcher watcher;

    std::string folder;
    char previousPath[32768] = "";
};

const std::string kSection = std::string(30, '-') + "\nExecute external program:\n";

TEST_F(RunProgrammerTest, ExitCodeZeroIsSuccessAndTheLineArrivesWhole)
{
    installStandIn("0");
    ProgrammerOutcome result = PROGRAMMER_MISSING;
    std::string lines = runTraced(result);
    EXPECT_EQ(result, PROGRAMMER_SUCCEEDED);
    EXPECT_EQ(watcher.progressTexts.back(), "OK");
    EXPECT_EQ(lines, kSection + "Exitcode 0\nExternal program ended successfully\n"
                                "Execute external program done\n");
    EXPECT_EQ(readFile("avrdude-params.txt"), kParams);
}

TEST_F(RunProgrammerTest, NonZeroExitCodeIsFailure)
{
    installStandIn("1");
    ProgrammerOutcome result = PROGRAMMER_MISSING;
    std::string lines = runTraced(result);
    EXPECT_EQ(result, PROGRAMMER_FAILED);
    EXPECT_EQ(watcher.progressTexts.back(), "Programming Error");
    EXPECT_EQ(lines, kSection + "Exitcode 1\nExternal program ended with an error\n"
                                "Execute external program done\n");
}

// An avrdude.exe that is there but is no program: the system's reason, not "not found".
TEST_F(RunProgrammerTest, ProgrammerThatCannotBeStartedSaysWhy)
{
    writeFile("avrdude.exe", "not a program");
    ProgrammerRun run = runProgrammer(kParams, watcher);
    EXPECT_EQ(run.outcome, PROGRAMMER_MISSING);
    EXPECT_NE(run.startError, 0u);
    std::string status = watcher.progressTexts.back();
    EXPECT_EQ(status.rfind("Unable to launch programmer: ", 0), 0u) << status;
    EXPECT_GT(status.size(), strlen("Unable to launch programmer: ")) << status;
    EXPECT_EQ(status.find('%'), std::string::npos) << "an insert left in the text: " << status;
    std::cout << "[  REASON  ] " << status << std::endl;
}

TEST_F(RunProgrammerTest, MissingProgrammerIsReportedWithoutADialog)
{
    ProgrammerOutcome result = PROGRAMMER_SUCCEEDED;
    std::string lines = runTraced(result);
    EXPECT_EQ(result, PROGRAMMER_MISSING);
    EXPECT_EQ(watcher.progressTexts.back(), "Unable to launch programmer Error");
    EXPECT_EQ(lines, kSection + "Could not launch external program\n"
                                "Execute external program done\n");
}

TEST_F(RunProgrammerTest, ProgrammerThatNeverEndsIsStoppedAtTheTimeLimit)
{
    installStandIn("0", "forever");
    ProgrammerOutcome result = PROGRAMMER_SUCCEEDED;
    DWORD start = GetTickCount();
    std::string lines = runTraced(result, 1000);
    DWORD took = GetTickCount() - start;
    EXPECT_EQ(result, PROGRAMMER_TIMED_OUT) << "a stopped programmer wrote nothing for sure";
    EXPECT_EQ(watcher.progressTexts.back(), "Programming timed out Error");
    EXPECT_GE(took, 1000u);
    EXPECT_LT(took, 1000u + kCatchUpMs) << "stopped at the limit, not left to run";
    EXPECT_EQ(lines, kSection + "External program did not end in time and was stopped\n"
                                "Execute external program done\n");
    // The stand-in is gone: its file can be deleted, which a running program would prevent.
    EXPECT_TRUE(DeleteFileA((folder + "avrdude.exe").c_str()));
}

// avrdude's progress as it writes it into a pipe: one # per 2 %, the line ended at 100 %.
const char kTwoPhases[] = "avrdude: AVR device initialized and ready to accept instructions\n"
                          "\n"
                          "Writing | ################################################## | 100% 0.50s\n"
                          "\n"
                          "Reading | ################################################## | 100% 0.50s\n"
                          "\n"
                          "avrdude done.  Thank you.\n";

TEST_F(RunProgrammerTest, OutputArrivesAsItComesWithOneLinePerPhase)
{
    installStandIn("0");
    writeFile("avrdude-say.txt", kTwoPhases);
    writeFile("avrdude-pace.txt", "10");
    ProgrammerOutcome result = PROGRAMMER_MISSING;
    runTraced(result);
    EXPECT_EQ(result, PROGRAMMER_SUCCEEDED);
    EXPECT_EQ(watcher.lines,
              (std::vector<std::string>{
                  "avrdude: AVR device initialized and ready to accept instructions", "",
                  "Writing | ################################################## | 100% 0.50s", "",
                  "Reading | ################################################## | 100% 0.50s", "",
                  "avrdude done.  Thank you."}));
    // 100 #s, 10 ms apart, reach the status line while they come, not all at the end (how
    // often depends on how busy the machine is; that some come part-way does not).
    for (const std::string phase : {"Writing ", "Reading "}) {
        EXPECT_TRUE(std::any_of(watcher.progressTexts.begin(), watcher.progressTexts.end(),
                                [&](const std::string& text) {
                                    return text.rfind(phase, 0) == 0 &&
                                           text.rfind(phase + "100%", 0) != 0;
                                }))
            << phase << "showed no progress before its end";
    }
    ASSERT_GE(watcher.progressTexts.size(), 2u);
    EXPECT_EQ(watcher.progressTexts.end()[-2].substr(0, 12), "Reading 100%");
    EXPECT_EQ(watcher.progressTexts.back(), "OK");
}

// The user's stop (or close) arrives only after the programmer has ended by itself.
class LateStopWatcher : public CollectingWatcher {
public:
    bool waitForProcess(HANDLE process, DWORD) override
    {
        WaitForSingleObject(process, 10000);
        return true;
    }
};

TEST_F(RunProgrammerTest, StopAfterTheProgrammerEndedReportsItsOwnOutcome)
{
    LateStopWatcher late;
    installStandIn("1");
    EXPECT_EQ(runProgrammer(kParams, late).outcome, PROGRAMMER_FAILED);
    installStandIn("0");
    EXPECT_EQ(runProgrammer(kParams, late).outcome, PROGRAMMER_SUCCEEDED);
}

TEST_F(RunProgrammerTest, StopEndsTheProgrammerAndWhatItStartedAtOnce)
{
    installStandIn("0", "forever");
    writeFile("avrdude-say.txt", "Writing | ######");
    writeFile("avrdude-child.txt", "yes");
    watcher.stopAfterMs = 1500;
    ProgrammerOutcome result = PROGRAMMER_SUCCEEDED;
    DWORD start = GetTickCount();
    runTraced(result);
    EXPECT_EQ(result, PROGRAMMER_STOPPED);
    // At once, not at the time limit (minutes away); how soon depends on how busy the machine is.
    EXPECT_LT(GetTickCount() - start, 1500u + kCatchUpMs);
    EXPECT_EQ(watcher.progressTexts.back(), "Programming stopped");
    std::string pid = readFile("avrdude-pid.txt");
    std::string children = readFile("avrdude-children.txt");
    ASSERT_FALSE(pid.empty());
    ASSERT_FALSE(children.empty()) << "the stand-in started its child";
    EXPECT_TRUE(processEnded(static_cast<DWORD>(atoi(pid.c_str()))));
    EXPECT_TRUE(processEnded(static_cast<DWORD>(atoi(children.c_str()))));
}

} // namespace
