// The board table and everything the program tells the external programmer: the parameter
// line, the launch, the wait and the verdict from the exit code.
//
// The line carries -D (no separate chip erase): the stock Mega 2560 bootloader refuses the
// erase command, and erases each page as it writes it anyway.
//
// Subsystem floor (programming/): knows no window; includes serial/ and platform/ only.
#include "programmer.h"


#include "platform/codePagePath.h"
#include "platform/trace.h"
#include "serial/portName.h"

namespace {

struct Board {
    const char* name;    // shown in the board list
    const char* part;    // the programmer's -p
    const char* type;    // the programmer's -c
    const char* speed;   // the programmer's -b
};

const Board boards[] = {
    {"Arduino Mega 2560", "atmega2560", "stk500v2", "115200"},
};

// Folders and the programmer's path are wide: the program and avrdude may live in a folder
// whose name the code page cannot write.
const wchar_t kProgrammerName[] = L"avrdude.exe";

bool isAbsoluteFolder(const std::wstring& folder)
{
    bool drive =
        folder.size() >= 3 && folder[1] == L':' && (folder[2] == L'\\' || folder[2] == L'/');
    bool network = folder.size() >= 2 && folder[0] == L'\\' && folder[1] == L'\\';
    return drive || network;
}

// The programmer's full path in folder, or empty when folder holds no such file.
std::wstring programmerIn(std::wstring folder)
{
    if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"') {
        folder = folder.substr(1, folder.size() - 2);
    }
    if (!isAbsoluteFolder(folder)) {
        return L"";
    }
    if (folder.back() != L'\\' && folder.back() != L'/') {
        folder += L'\\';
    }
    std::wstring path = folder + kProgrammerName;
    DWORD attributes = GetFileAttributesW(path.c_str());
    bool isFile = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    return isFile ? path : L"";
}

// The folder this program was started from.
std::wstring programFolder()
{
    wchar_t path[MAX_PATH] = L"";
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length < MAX_PATH ? length : 0);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

std::wstring searchPath()
{
    DWORD size = GetEnvironmentVariableW(L"PATH", nullptr, 0);
    std::wstring value(size, L'\0');
    DWORD length = size != 0 ? GetEnvironmentVariableW(L"PATH", &value[0], size) : 0;
    value.resize(length < size ? length : 0);
    return value;
}

// avrdude looks for avrdude.conf beside itself through the code page, which loses the
// characters of a folder name it cannot write: there the file is named to it (-C) in its
// short form. False when the file has no form the code page can write.
bool configurationOption(const std::wstring& programmer, std::string& option)
{
    option.clear();
    std::wstring folder = programmer.substr(0, programmer.find_last_of(L"\\/") + 1);
    if (fitsCodePage(folder)) {
        return true;
    }
    CodePagePath configuration = codePagePathOf(folder + L"avrdude.conf");
    option = "-C \"" + configuration.path + "\" ";
    return configuration.passable;
}

} // namespace

const char* boardName(size_t index)
{
    return index < sizeof boards / sizeof boards[0] ? boards[index].name : nullptr;
}

int buildProgrammerParams(const std::string& portName, const std::string& firmwarePath,
                          std::string& line, BoardTask task)
{
    const Board& board = boards[0];
    line.clear();
    if (firmwarePath.find('"') != std::string::npos) {
        return PARAMS_PATH_HAS_QUOTE;
    }
    // Only a write needs -D; a read or a comparison erases nothing anyway.
    const char* operation = task == TASK_READ     ? " -U flash:r:\""
                            : task == TASK_VERIFY ? " -U flash:v:\""
                                                  : " -D -U flash:w:\"";
    std::string built = std::string("-p ") + board.part + " -c " + board.type + " -P " +
                        devicePathOf(portName) + " -b " + board.speed + operation +
                        firmwarePath + "\":i ";
    if (built.size() > kLongestParams) {
        return PARAMS_PATH_TOO_LONG;
    }
    line = built;
    return PARAMS_READY;
}

std::wstring locateProgrammer(const std::wstring& programFolder, const std::wstring& searchPath)
{
    std::wstring found = programmerIn(programFolder);
    for (size_t start = 0; found.empty() && start <= searchPath.size();) {
        size_t end = searchPath.find(L';', start);
        end = end == std::wstring::npos ? searchPath.size() : end;
        found = programmerIn(searchPath.substr(start, end - start));
        start = end + 1;
    }
    return found;
}

ProgrammerRun runProgrammer(const std::string& params, ProgrammerWatcher& watcher,
                            DWORD timeLimitMs, const char* busyText, const std::string& task)
{
    watcher.progress(busyText);
    traceSection("Execute external program:\n");

    std::wstring programmer = locateProgrammer(programFolder(), searchPath());
    std::string configuration;
    ProgrammerRun run;
    if (configurationOption(programmer, configuration)) {
        run = runProgrammerProcess(programmer, (configuration + params).c_str(),
                                   timeLimitMs, watcher);
    } else {
        run.startError = kFolderNotInCodePage;
    }
    switch (run.outcome) {
    case PROGRAMMER_MISSING: {
        trace("Could not launch external program\n");
        std::string reason = startFailureReason(run.startError);
        // A programmer that is there but cannot be started says why, not "not found".
        watcher.progress(reason.empty() ? "Unable to launch programmer Error"
                                        : "Unable to launch programmer: " + reason);
        break;
    }
    case PROGRAMMER_TIMED_OUT:
        // A programmer that hangs (a board that never answers) must not keep the upload forever.
        trace("External program did not end in time and was stopped\n");
        watcher.progress(task + " timed out Error");
        break;
    case PROGRAMMER_STOPPED:
        trace("External program was stopped by the user\n");
        watcher.progress(task + " stopped");
        break;
    case PROGRAMMER_FAILED:
        trace("Exitcode %d\n", static_cast<int>(run.exitCode));
        trace("External program ended with an error\n");
        watcher.progress(task + " Error");
        break;
    case PROGRAMMER_SUCCEEDED:
        trace("Exitcode %d\n", static_cast<int>(run.exitCode));
        trace("External program ended successfully\n");
        watcher.progress("OK");
        break;
    }
    trace("Execute external program done\n");
    return run;
}
