#include "programmerStandIn.h"

#include <stdlib.h>

#include <algorithm>
#include <sstream>

namespace {

// The built stand-in, seen from the Windows side through Wine's Z: drive.
std::string builtStandIn()
{
    std::string path = "Z:" + std::string(VEXLOR_STAND_IN_PROGRAMMER);
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

} // namespace

bool writeTextFile(const std::string& path, const std::string& text)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
              written == text.size();
    CloseHandle(file);
    return ok;
}

std::string readTextFile(const std::string& path)
{
    std::string text;
    // Shared for writing too: the stand-in may be appending while the test reads.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return text;
    }
    std::vector<char> buffer(4096);
    DWORD got = 0;
    while (ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) &&
           got != 0) {
        text.append(buffer.data(), got);
    }
    CloseHandle(file);
    return text;
}

::testing::AssertionResult ProgrammerStandIn::install() const
{
    std::string target = folder + "\\avrdude.exe";
    if (!CopyFileA(builtStandIn().c_str(), target.c_str(), FALSE)) {
        return ::testing::AssertionFailure() << "cannot copy " << builtStandIn() << " to "
                                             << target << ": error " << GetLastError();
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult ProgrammerStandIn::remove() const
{
    if (!DeleteFileA((folder + "\\avrdude.exe").c_str())) {
        return ::testing::AssertionFailure() << "cannot delete the stand-in: error "
                                             << GetLastError();
    }
    return ::testing::AssertionSuccess();
}

void ProgrammerStandIn::setExitCode(int code) const
{
    EXPECT_TRUE(writeTextFile(folder + "\\avrdude-exit.txt", std::to_string(code)));
}

void ProgrammerStandIn::setRunTime(DWORD milliseconds) const
{
    EXPECT_TRUE(writeTextFile(folder + "\\avrdude-wait.txt", std::to_string(milliseconds)));
}

void ProgrammerStandIn::say(const std::string& text) const
{
    EXPECT_TRUE(writeTextFile(folder + "\\avrdude-say.txt", text));
}

void ProgrammerStandIn::pace(DWORD milliseconds) const
{
    EXPECT_TRUE(writeTextFile(folder + "\\avrdude-pace.txt", std::to_string(milliseconds)));
}

void ProgrammerStandIn::withChild() const
{
    EXPECT_TRUE(writeTextFile(folder + "\\avrdude-child.txt", "yes"));
}

std::string ProgrammerStandIn::params() const
{
    return readTextFile(folder + "\\avrdude-params.txt");
}

int ProgrammerStandIn::runs() const
{
    std::string calls = readTextFile(folder + "\\avrdude-calls.txt");
    return static_cast<int>(std::count(calls.begin(), calls.end(), '\n'));
}

bool ProgrammerStandIn::waitForRuns(int count, DWORD timeoutMs) const
{
    DWORD started = GetTickCount();
    while (runs() < count) {
        if (GetTickCount() - started >= timeoutMs) {
            return false;
        }
        Sleep(10);
    }
    return true;
}

DWORD ProgrammerStandIn::pid() const
{
    return strtoul(readTextFile(folder + "\\avrdude-pid.txt").c_str(), nullptr, 10);
}

std::vector<DWORD> ProgrammerStandIn::childPids() const
{
    std::istringstream lines(readTextFile(folder + "\\avrdude-children.txt"));
    std::vector<DWORD> pids;
    for (unsigned long pid = 0; lines >> pid;) {
        pids.push_back(pid);
    }
    return pids;
}
