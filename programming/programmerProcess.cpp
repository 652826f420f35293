// The programmer's process: started suspended inside a job (so that ending the job ends
// whatever the programmer started too), with a pipe for its output that is read without ever
// blocking, while the watcher keeps the window answering.
//
// Subsystem floor (programming/): knows no window; includes serial/ and platform/ only.
#include "programmerProcess.h"

#include "platform/codePagePath.h"
#include "programmerOutput.h"

namespace {

constexpr DWORD kPollMs = 50;
constexpr DWORD kEndWaitMs = 5000;

// Owns the handles of one run and closes them whatever way the run ends.
class ChildProcess : public RunningProgrammer {
public:
    ChildProcess() = default;
    ~ChildProcess()
    {
        for (HANDLE handle : {process, output, job}) {
            if (handle != nullptr) {
                CloseHandle(handle);
            }
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool start(const std::wstring& programmer, const char* params)
    {
        SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
        HANDLE writeEnd = nullptr;
        if (!CreatePipe(&output, &writeEnd, &inheritable, 0)) {
            output = nullptr;
            return false;
        }
        SetHandleInformation(output, HANDLE_FLAG_INHERIT, 0);
        HANDLE input = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   &inheritable, OPEN_EXISTING, 0, nullptr);

        job = CreateJobObjectA(nullptr, nullptr);
        if (job != nullptr) {
            JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
            limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
            SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        }

        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
        startup.hStdInput = input != INVALID_HANDLE_VALUE ? input : nullptr;
        startup.hStdOutput = writeEnd;
        startup.hStdError = writeEnd;
        // Wide: the programmer's folder may have a name the code page cannot write.
        std::wstring commandLine = L"\"" + programmer + L"\" " + wideText(params);
        PROCESS_INFORMATION started = {};
        BOOL ok = CreateProcessW(programmer.c_str(), &commandLine[0], nullptr, nullptr, TRUE,
                                 CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr, nullptr, &startup,
                                 &started);
        // Only the child holds the write end now: the pipe breaks when it is gone.
        CloseHandle(writeEnd);
        if (input != INVALID_HANDLE_VALUE) {
            CloseHandle(input);
        }
        if (!ok) {
            startError = GetLastError();
            return false;
        }
        process = started.hProcess;
        inJob = job != nullptr && AssignProcessToJobObject(job, process);
        ResumeThread(started.hThread);
        CloseHandle(started.hThread);
        return true;
    }

    // Reads what the pipe holds now, without waiting for more.
    std::string readAvailable()
    {
        std::string bytes;
        char buffer[4096];
        DWORD available = 0;
        while (PeekNamedPipe(output, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            DWORD got = 0;
            DWORD wanted = available < sizeof buffer ? available : sizeof buffer;
            if (!ReadFile(output, buffer, wanted, &got, nullptr) || got == 0) {
                break;
            }
            bytes.append(buffer, got);
        }
        return bytes;
    }

    bool hasEnded() const { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }

    // Ends the programmer and everything it started.
    void end() override
    {
        if (inJob) {
            TerminateJobObject(job, 1);
        } else {
            TerminateProcess(process, 1);
        }
        WaitForSingleObject(process, kEndWaitMs);
    }

    HANDLE process = nullptr;
    DWORD startError = 0;

private:
    HANDLE output = nullptr;
    HANDLE job = nullptr;
    bool inJob = false;
};

// Passes new output on to the watcher: its complete lines, and the progress when it changed.
class OutputRelay {
public:
    explicit OutputRelay(ProgrammerWatcher& watcher) : watcher(watcher), begun(GetTickCount()) {}

    void take(const std::string& bytes)
    {
        if (bytes.empty()) {
            return;
        }
        for (const std::string& line : output.feed(bytes.data(), bytes.size())) {
            watcher.outputLine(line);
        }
        if (!output.phase().empty()) {
            std::string text =
                progressText(output.phase(), output.percent(), (GetTickCount() - begun) / 1000);
            if (text != shown) {
                watcher.progress(text);
                shown = text;
            }
        }
    }

    void finish()
    {
        for (const std::string& line : output.finish()) {
            watcher.outputLine(line);
        }
    }

    const std::string& lastError() const { return output.lastError(); }

private:
    ProgrammerWatcher& watcher;
    ProgrammerOutput output;
    DWORD begun;
    std::string shown;
};

} // namespace

int programmerResult(bool exitCodeRead, DWORD exitCode)
{
    return exitCodeRead && exitCode == 0 ? 0 : 1;
}

std::string startFailureReason(DWORD startError)
{
    if (startError == 0 || startError == ERROR_FILE_NOT_FOUND ||
        startError == ERROR_PATH_NOT_FOUND) {
        return std::string();
    }
    if (startError == kFolderNotInCodePage) {
        return "the name of its folder has characters this Windows cannot pass to it; move it "
               "with avrdude.conf to a folder with a plain name";
    }
    char text[256] = "";
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, startError, 0, text, sizeof text, nullptr);
    std::string reason(text, length);
    // Some texts name the file as "%1" ("%1 is not a valid Win32 application").
    size_t insert = reason.find("%1");
    if (insert != std::string::npos) {
        reason.replace(insert, 2, "avrdude.exe");
    }
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                               reason.back() == ' ' || reason.back() == '.')) {
        reason.pop_back();
    }
    return reason.empty() ? "error " + std::to_string(startError) : reason;
}

ProgrammerRun runProgrammerProcess(const std::wstring& programmer, const char* params,
                                   DWORD timeLimitMs, ProgrammerWatcher& watcher)
{
    ProgrammerRun run;
    ChildProcess child;
    if (programmer.empty() || !child.start(programmer, params)) {
        run.outcome = PROGRAMMER_MISSING;
        run.startError = child.startError;
        return run;
    }
    OutputRelay relay(watcher);
    watcher.running(&child);
    DWORD begun = GetTickCount();
    for (;;) {
        relay.take(child.readAvailable());
        if (child.hasEnded()) {
            relay.take(child.readAvailable());
            bool exitCodeRead = GetExitCodeProcess(child.process, &run.exitCode) != FALSE;
            run.outcome = programmerResult(exitCodeRead, run.exitCode) == 0 ? PROGRAMMER_SUCCEEDED
                                                                            : PROGRAMMER_FAILED;
            break;
        }
        if (GetTickCount() - begun >= timeLimitMs) {
            child.end();
            run.outcome = PROGRAMMER_TIMED_OUT;
            break;
        }
        // A stop that comes after the programmer ended by itself changes nothing: its own
        // outcome is reported.
        if (watcher.waitForProcess(child.process, kPollMs) && !child.hasEnded()) {
            child.end();
            run.outcome = PROGRAMMER_STOPPED;
            break;
        }
    }
    watcher.running(nullptr);
    relay.take(child.readAvailable());
    relay.finish();
    run.lastError = relay.lastError();
    return run;
}
