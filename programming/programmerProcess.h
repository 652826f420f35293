// Running the programmer as a child process whose output is read while it runs.
//
// Subsystem floor (programming/): knows no window; includes serial/ and platform/ only.
#pragma once

#include <windows.h>

#include <string>

// How a run of the programmer ended.
enum ProgrammerOutcome {
    PROGRAMMER_SUCCEEDED, // it ended with exit code 0
    PROGRAMMER_FAILED,    // it ended with another exit code, or none could be read
    PROGRAMMER_MISSING,   // there was no programmer to run, or it could not be started
    PROGRAMMER_TIMED_OUT, // it was still running at the time limit and was ended
    PROGRAMMER_STOPPED,   // it was ended because the user asked
};

struct ProgrammerRun {
    ProgrammerOutcome outcome = PROGRAMMER_MISSING;
    DWORD exitCode = 0;    // when it ended by itself
    DWORD startError = 0;  // why a programmer that was found could not be started (0: none found)
    std::string lastError; // the last line of its output that reads like an error
};

// A programmer that runs now.
class RunningProgrammer {
public:
    // Ends it, and everything it started, at once.
    virtual void end() = 0;

protected:
    ~RunningProgrammer() = default;
};

// What a run reports while it goes, and how it learns that the user wants it stopped.
class ProgrammerWatcher {
public:
    virtual ~ProgrammerWatcher() = default;
    // One complete line of the programmer's output (one line per progress bar).
    virtual void outputLine(const std::string& line) = 0;
    // What the status line shows: the phase, percent and seconds so far, and at the start and
    // the end of a run that it began and how it ended.
    virtual void progress(const std::string& text) = 0;
    // Waits up to waitMs for the process to end, handling whatever needs handling meanwhile;
    // true when the user has asked to stop the programmer.
    virtual bool waitForProcess(HANDLE process, DWORD waitMs) = 0;
    // The programmer started (and, with null, is gone): whoever must end it at once, without
    // waiting for the run's loop to come round (the Windows session ends), keeps it till then.
    virtual void running(RunningProgrammer* programmer) { (void)programmer; }
};

// The verdict on a finished programmer: success only for an exit code that was read and is 0.
int programmerResult(bool exitCodeRead, DWORD exitCode);

// startError of a programmer that was found but not started: its folder's name has characters
// the code page cannot write, and avrdude.conf there has no short form to name it by.
constexpr DWORD kFolderNotInCodePage = ERROR_NO_UNICODE_TRANSLATION;

// The system's reason why a programmer could not be started, for startError; empty for none or
// for a missing file, which the program names itself.
std::string startFailureReason(DWORD startError);

// Runs programmer (a full path) with params as its command line, its standard output and
// standard error on one pipe, without a window. The output reaches the watcher as it comes.
// A run past timeLimitMs, or one the watcher stops, is ended with everything it started.
ProgrammerRun runProgrammerProcess(const std::wstring& programmer, const char* params,
                                   DWORD timeLimitMs, ProgrammerWatcher& watcher);
