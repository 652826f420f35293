// What every run of the programmer on the board shares, whether it writes, reads or compares the
// flash: the checks of the path it is given, the port test, the run itself and the verdict the
// user is told, each in the words of its task.
//
// Subsystem floor (programming/): knows no window; includes serial/ and platform/ only.
#pragma once

#include <string>

#include "hexImage.h"
#include "programmer.h"

// How a run ended, as the user is told: the box (or the command line's verdict line) and its
// caption, the trace line written after it, and the command line's exit code.
struct UploadVerdict {
    std::string text;
    std::string caption;
    std::string traceLine;
    int exitCode;
};

// Exit codes of the command line beyond those of a flash (0 to 8).
constexpr int kImageRefusedExitCode = 9;
constexpr int kBoardDiffersExitCode = 10;
constexpr int kFileNotWrittenExitCode = 11;

// Room for a firmware path and its terminator where the window reads one (the path field, a
// drop): a path that long never fits the parameter line and is refused as too long.
constexpr size_t kFirmwarePathRoom = 1024;

// A run whose path passed the checks: what the programmer gets.
struct PreparedRun {
    BoardTask task = TASK_FLASH;
    std::string portName;
    std::string programmerPath; // the file, in the code page's form
    std::string shownPath;      // the file as the log view names it (programmerPath unless set)
    std::string params;
};

// Checks path for task (a folder, characters the code page cannot write, a quote, a length
// that does not fit the line) and builds the parameter line. False with the refusal when the
// path cannot be passed on; nothing has touched the port then.
bool prepareRun(BoardTask task, const std::string& portName, const std::wstring& path,
                PreparedRun& run, UploadVerdict& refusal);

// Reads the image at path and checks it (bootloaderAllowed: see checkImage). False with the
// refusal (exit code kImageRefusedExitCode) when it cannot be read or is no image to use.
bool readImageFile(BoardTask task, const std::wstring& path, bool bootloaderAllowed,
                   ImageCheck& check, UploadVerdict& refusal);

// Both of the above for a task that hands the programmer an image (a flash, a comparison).
bool prepareImageRun(BoardTask task, const std::string& portName, const std::wstring& path,
                     bool bootloaderAllowed, PreparedRun& run, ImageCheck& check,
                     UploadVerdict& refusal);

// Tests the port and, when it is free, runs the programmer, its output and the lines in
// beforeRun going to the watcher. A run that ended with exit code 0 gives succeeded; any other
// outcome its task's verdict, and reason the line that says why (empty when it succeeded).
// finished, when given, gets the programmer's run.
UploadVerdict runPrepared(const PreparedRun& run, const std::string& beforeRun,
                          const UploadVerdict& succeeded, ProgrammerWatcher& watcher,
                          std::string& reason, ProgrammerRun* finished = nullptr);

// How the trace names task: "Programming Arduino", "Reading the board", "Verifying the board".
std::string traceNameOf(BoardTask task);

// The verdict of a failed task, for a reason found after the programmer's run.
UploadVerdict failedVerdict(BoardTask task, const std::string& why, int exitCode);
