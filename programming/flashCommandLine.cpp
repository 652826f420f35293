// The command line: the upload workflow with a console reporter instead of message boxes.
// A program built for the window subsystem has no console of its own: its output goes to the
// standard output it was handed (a file or a pipe), or else to the console of whoever started
// it, when there is one.
//
// Subsystem floor (programming/): knows no window; includes serial/ and platform/ only.
#include "flashCommandLine.h"

#include <windows.h>
#include <shellapi.h>

#include <stdlib.h>
#include <string.h>

#include <vector>

#include "platform/codePagePath.h"
#include "serial/portName.h"
#include "readBack.h"
#include "upload.h"

namespace {

const char kUsage[] =
    "Usage: VexlorLoader.exe --flash FILE --port COMn\r\n"
    "       VexlorLoader.exe --read FILE --port COMn\r\n"
    "       VexlorLoader.exe --verify FILE --port COMn\r\n"
    "  --flash FILE   the firmware image to write (Intel HEX, *.cpp.hex or *.ino.hex)\r\n"
    "  --read FILE    save the board's firmware into FILE (Intel HEX)\r\n"
    "  --verify FILE  compare the board's firmware with FILE\r\n"
    "  --port COMn    the serial port the board is on\r\n"
    "  --help         this text\r\n"
    "Without options the program's window opens.\r\n"
    "Exit codes: 0 programming successful (saved, or the board holds the file), 1 the\r\n"
    "programmer failed, 2 bad options, 3 port not found, 4 port in use, 5 path refused,\r\n"
    "6 programmer not found or not startable, 7 programmer timed out, 9 firmware image\r\n"
    "refused, 10 the board's firmware differs from the file, 11 the copy could not be\r\n"
    "written.\r\n";

class ConsoleOutput {
public:
    ConsoleOutput()
    {
        handle = GetStdHandle(STD_OUTPUT_HANDLE);
        if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
            GetFileType(handle) == FILE_TYPE_UNKNOWN) {
            handle = INVALID_HANDLE_VALUE;
            if (AttachConsole(ATTACH_PARENT_PROCESS)) {
                handle = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
                owned = handle != INVALID_HANDLE_VALUE;
            }
        }
    }
    ~ConsoleOutput()
    {
        if (owned) {
            CloseHandle(handle);
        }
    }
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;

    // Writes text with Windows line ends.
    void write(const std::string& text)
    {
        std::string out;
        for (char c : text) {
            if (c == '\n' && (out.empty() || out.back() != '\r')) {
                out += '\r';
            }
            out += c;
        }
        DWORD written = 0;
        if (handle != INVALID_HANDLE_VALUE) {
            WriteFile(handle, out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
        }
    }
    void line(const std::string& text) { write(text + "\n"); }
    // Whether anybody will read what is written: a file, a pipe or a console.
    bool isRead() const { return handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle = INVALID_HANDLE_VALUE;
    bool owned = false;
};

class ConsoleWatcher : public ProgrammerWatcher {
public:
    explicit ConsoleWatcher(ConsoleOutput& output) : output(output) {}
    void outputLine(const std::string& line) override { output.line(line); }
    // The output lines carry the progress already.
    void progress(const std::string&) override {}
    bool waitForProcess(HANDLE process, DWORD waitMs) override
    {
        WaitForSingleObject(process, waitMs);
        return false;
    }

private:
    ConsoleOutput& output;
};

bool isPortName(std::string& port)
{
    if (_strnicmp(port.c_str(), "\\\\.\\", 4) == 0) {
        port.erase(0, 4);
    }
    // The port list's rule, but the option must be the name alone, without blanks.
    std::string named = portNameFromText(port);
    return !named.empty() && _stricmp(named.c_str(), port.c_str()) == 0;
}

} // namespace

CommandLine parseCommandLine(int argc, const char* const* argv)
{
    CommandLine options;
    if (argc == 2 && argv[1][0] != '-' && argv[1][0] != '/') {
        options.openFile = argv[1];
        return options;
    }
    options.given = argc > 1;
    const struct {
        const char* name;
        BoardTask task;
    } tasks[] = {{"--flash", TASK_FLASH}, {"--read", TASK_READ}, {"--verify", TASK_VERIFY}};
    bool taskGiven = false;
    for (int i = 1; i < argc && options.error.empty(); ++i) {
        std::string option = argv[i];
        bool hasValue = i + 1 < argc;
        bool isTask = false;
        for (const auto& task : tasks) {
            if (option == task.name) {
                isTask = true;
                if (taskGiven) {
                    options.error = "give only one of --flash, --read and --verify";
                }
                taskGiven = true;
                options.task = task.task;
            }
        }
        if (option == "--help" || option == "-h" || option == "/?") {
            options.help = true;
        } else if ((isTask || option == "--port") && !hasValue) {
            options.error = option + " needs a value";
        } else if (isTask) {
            options.file = argv[++i];
        } else if (option == "--port") {
            options.port = argv[++i];
        } else {
            options.error = "unknown option " + option;
        }
    }
    if (options.error.empty() && !options.help) {
        if (options.file.empty()) {
            options.error = "--flash FILE is missing";
        } else if (options.port.empty()) {
            options.error = "--port COMn is missing";
        } else if (!isPortName(options.port)) {
            options.error = "not a port name: " + options.port;
        }
    }
    return options;
}

CommandLine parseProgramCommandLine()
{
    // The C runtime's arguments decide where each one begins and ends, as they always have
    // (the system's own reading differs on quotes inside quotes); each is taken in wide
    // characters where the two readings agree, so a path the code page cannot write arrives
    // whole.
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 0; i < __argc; ++i) {
        bool agree = wide != nullptr && count == __argc && narrowText(wide[i]) == __argv[i];
        arguments.push_back(narrowText(agree ? wide[i] : wideText(__argv[i]), CP_UTF8));
    }
    LocalFree(wide);
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    return parseCommandLine(static_cast<int>(argv.size()), argv.data());
}

int runCommandLine(const CommandLine& options)
{
    ConsoleOutput output;
    if (options.help) {
        output.write(kUsage);
        return 0;
    }
    if (!options.error.empty()) {
        std::string error = narrowText(wideText(options.error, CP_UTF8));
        output.line("Vexlor Loader: " + error);
        output.write(kUsage);
        if (!output.isRead()) {
            // Started from the desktop or a shortcut: nobody would see a word otherwise.
            MessageBoxA(nullptr, ("Vexlor Loader: " + error + "\r\n\r\n" + kUsage).c_str(),
                        "Vexlor Loader", MB_OK | MB_ICONERROR);
        }
        return kBadOptionsExitCode;
    }
    ConsoleWatcher watcher(output);
    std::string reason;
    std::wstring file = wideText(options.file, CP_UTF8);
    UploadVerdict verdict =
        options.task == TASK_READ     ? saveBoardFirmware(options.port, file, watcher, reason)
        : options.task == TASK_VERIFY ? verifyBoardFirmware(options.port, file, watcher, reason)
                                      : flashFirmware(options.port, file, watcher, reason);
    if (!reason.empty()) {
        output.line(reason);
    }
    output.line(verdict.text);
    return verdict.exitCode;
}
