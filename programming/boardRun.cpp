// The run of the programmer that a flash, a read-back and a comparison share. A path that
// cannot be passed on safely is refused before the port is touched, and the port is tested
// before the programmer runs, so each task refuses the same things in the same order.
//
// Subsystem floor (programming/): knows no window; includes serial/ and platform/ only.
#include "boardRun.h"

#include <windows.h>

#include <string.h>

#include "platform/codePagePath.h"
#include "platform/trace.h"
#include "platform/wholeFile.h"
#include "programmerOutput.h"
#include "serial/portScan.h"

namespace {

// What the user is told of each task.
struct TaskWords {
    const char* failed;        // the start of every failure's text
    const char* traceName;     // the start of the trace line after the verdict
    const char* pathName;      // the path checked before the run
    const char* busy;          // the status line while the programmer runs
    const char* statusWord;    // the status line's word for how it ended
    const char* runningVerb;   // the log view's line before the run: verb, port, join, file
    const char* runningJoin;
    const char* stopped;       // the box after a stop
    const char* stoppedReason; // the log view's line after a stop
};

const TaskWords kWords[] = {
    {"Programming failed", "Programming Arduino", "the firmware path",
     "Arduino board programming in progress..", "Programming", "Programming ", " with ",
     "Programming stopped",
     "Programming stopped. The board keeps its bootloader: flash it again to put firmware on it."},
    {"Reading the board failed", "Reading the board", "the path of the file for the copy",
     "Reading the board's firmware..", "Reading", "Reading ", " into ",
     "Reading stopped",
     "Reading stopped. The board's firmware is as it was, and no file was written."},
    {"Verifying failed", "Verifying the board", "the firmware path",
     "Verifying the board's firmware..", "Verifying", "Verifying ", " against ",
     "Verifying stopped",
     "Verifying stopped. The board's firmware is as it was."},
};

const TaskWords& wordsOf(BoardTask task)
{
    return kWords[task];
}

// A failure: "<failed><detail>", traced as "<trace name> failed<traceDetail>".
UploadVerdict refusalOf(BoardTask task, const std::string& detail, const char* traceDetail,
                        int exitCode)
{
    const TaskWords& words = wordsOf(task);
    return {words.failed + detail, "Error",
            std::string(words.traceName) + " failed" + traceDetail + "\n", exitCode};
}

// A path that ends in a separator, or names a folder that is there.
bool namesFolder(const std::wstring& path)
{
    if (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) {
        return true;
    }
    DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The line that ends the log view after a run that did not succeed.
std::string reasonFor(BoardTask task, const ProgrammerRun& run)
{
    const std::string failed = wordsOf(task).failed;
    switch (run.outcome) {
    case PROGRAMMER_FAILED:
        return failureReason(run.lastError, run.exitCode, failed);
    case PROGRAMMER_MISSING:
        if (!startFailureReason(run.startError).empty()) {
            return failed + ": avrdude.exe could not be started: " +
                   startFailureReason(run.startError) + ".";
        }
        return failed + ": avrdude.exe could not be started. Put avrdude.exe and "
                        "avrdude.conf in the same folder as VexlorLoader.exe.";
    case PROGRAMMER_TIMED_OUT:
        if (!run.lastError.empty()) {
            return failureReason(run.lastError, run.exitCode, failed) +
                   " (The programmer was still trying after five minutes and was stopped.)";
        }
        return failed + ": the programmer was still running after five minutes and was "
                        "stopped. Unplug and replug the board, then try again.";
    case PROGRAMMER_STOPPED:
        return wordsOf(task).stoppedReason;
    case PROGRAMMER_SUCCEEDED:
        break;
    }
    return "";
}

// What the image refusal says of the file, after "<failed>, ".
std::string imageFault(const ImageCheck& check, const std::string& fileName)
{
    const char* chooseAgain = "Select the firmware's .hex file (the gateway's *.cpp.hex or a "
                              "sketch's *.ino.hex).";
    const char* getAgain = "Download or build it again, then select the new file.";
    switch (check.fault) {
    case IMAGE_NOT_HEX:
        return std::string("the file is not an Intel HEX image.\n") + chooseAgain;
    case IMAGE_BAD_RECORD:
        return "the firmware file is damaged (line " + std::to_string(check.line) + ": " +
               check.problem + ").\n" + getAgain;
    case IMAGE_NO_END:
        return std::string("the firmware file ends before its end-of-file record: it was "
                           "probably cut short.\n") +
               getAgain;
    case IMAGE_BOOTLOADER: {
        char address[16];
        wsprintfA(address, "0x%lX", check.bootloaderAddress);
        std::string text = std::string("the firmware file contains a bootloader (data at ") +
                           address +
                           ", where the board's own bootloader lives), and writing it could "
                           "leave the board unable to take firmware again.\n";
        std::string without = fileName;
        size_t at = without.find(".with_bootloader");
        if (at != std::string::npos) {
            without.erase(at, strlen(".with_bootloader"));
            return text + "Use " + without + " instead of " + fileName +
                   ": the same firmware without the bootloader.";
        }
        return text + "Use the build's file without the bootloader (a sketch's *.ino.hex, not "
                      "*.ino.with_bootloader.hex).";
    }
    case IMAGE_NO_DATA:
        return std::string("the firmware file holds no data to write.\n") + chooseAgain;
    case IMAGE_TOO_LARGE:
        return std::string("the file is far too large to be a firmware image for this board.\n") +
               chooseAgain;
    case IMAGE_OK:
        break;
    }
    return "";
}

std::string fileNameOf(const std::wstring& path)
{
    std::wstring name = path.substr(path.find_last_of(L"\\/:") + 1);
    return narrowText(name);
}

} // namespace

std::string traceNameOf(BoardTask task)
{
    return wordsOf(task).traceName;
}

UploadVerdict failedVerdict(BoardTask task, const std::string& why, int exitCode)
{
    return refusalOf(task, why, "", exitCode);
}

bool prepareRun(BoardTask task, const std::string& portName, const std::wstring& path,
                PreparedRun& run, UploadVerdict& refusal)
{
    const std::string pathName = wordsOf(task).pathName;
    if (namesFolder(path)) {
        refusal = refusalOf(task, ", " + pathName + " names a folder.\n"
                                  "Select a firmware file (*.cpp.hex) and try again.",
                            ", path is a folder", 5);
        return false;
    }
    // avrdude takes the path in the code page: one the code page cannot write goes in its
    // short form. Cut to what the button reads of the path field: a path that long never fits
    // the parameter line, so it is refused as too long.
    CodePagePath passed = codePagePathOf(path);
    run.task = task;
    run.portName = portName;
    run.programmerPath = passed.path.substr(0, kFirmwarePathRoom - 1);
    if (!passed.passable) {
        refusal = refusalOf(task, ", " + pathName + " has characters this Windows cannot pass "
                                  "to the programmer.\nMove the file to a folder with a plain "
                                  "name and select it again.",
                            ", path has characters outside the code page", 5);
        return false;
    }
    int built = buildProgrammerParams(portName, run.programmerPath, run.params, task);
    if (built == PARAMS_PATH_HAS_QUOTE) {
        refusal = refusalOf(task, ", " + pathName + " contains a double quote (\").\n"
                                  "Rename the file or its folder and select it again.",
                            ", path contains a double quote", 5);
        return false;
    }
    if (built != PARAMS_READY) {
        refusal = refusalOf(task, ", " + pathName + " is too long.\nMove the file to a folder "
                                  "with a shorter path and select it again.",
                            ", path too long", 5);
        return false;
    }
    return true;
}

bool readImageFile(BoardTask task, const std::wstring& path, bool bootloaderAllowed,
                   ImageCheck& check, UploadVerdict& refusal)
{
    std::string text;
    DWORD error = 0;
    if (!readWholeFile(path, kLargestImageFile, text, error) && error != ERROR_FILE_TOO_LARGE) {
        std::string why = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                              ? "it is not there"
                          : error == ERROR_FILENAME_EXCED_RANGE
                              ? "its path is longer than Windows lets a program open"
                          : error == ERROR_INVALID_NAME ? "that is no valid file name"
                                                        : describeFileError(error);
        refusal = refusalOf(task, ", the firmware file could not be read (" + why +
                                      ").\nCheck the path and select the file again.",
                            ", firmware file unreadable", kImageRefusedExitCode);
        return false;
    }
    if (error == ERROR_FILE_TOO_LARGE) {
        check = ImageCheck();
        check.fault = IMAGE_TOO_LARGE;
    } else {
        check = checkImage(text, bootloaderAllowed);
    }
    if (check.fault != IMAGE_OK) {
        refusal = refusalOf(task, ", " + imageFault(check, fileNameOf(path)),
                            ", firmware image refused", kImageRefusedExitCode);
        return false;
    }
    return true;
}

bool prepareImageRun(BoardTask task, const std::string& portName, const std::wstring& path,
                     bool bootloaderAllowed, PreparedRun& run, ImageCheck& check,
                     UploadVerdict& refusal)
{
    return prepareRun(task, portName, path, run, refusal) &&
           readImageFile(task, path, bootloaderAllowed, check, refusal);
}

UploadVerdict runPrepared(const PreparedRun& prepared, const std::string& beforeRun,
                          const UploadVerdict& succeeded, ProgrammerWatcher& watcher,
                          std::string& reason, ProgrammerRun* finished)
{
    const BoardTask task = prepared.task;
    reason.clear();
    watcher.progress("Testing serial port..");
    switch (probePort(prepared.portName.c_str())) {
    case PORT_IN_USE:
        return refusalOf(task, ", Serial port is in use", ", serial port in use", 4);
    case PORT_NOT_FOUND:
        return refusalOf(task, ", Serial port is not found", ", serial port not found", 3);
    default:
        break;
    }
    trace("param: %s\n", prepared.params.c_str());
    if (!beforeRun.empty()) {
        watcher.outputLine(beforeRun);
    }
    const TaskWords& words = wordsOf(task);
    watcher.outputLine(words.runningVerb + prepared.portName + words.runningJoin +
                       (prepared.shownPath.empty() ? prepared.programmerPath : prepared.shownPath));
    ProgrammerRun run = runProgrammer(prepared.params, watcher, kProgrammerTimeLimitMs,
                                      wordsOf(task).busy, wordsOf(task).statusWord);
    if (finished != nullptr) {
        *finished = run;
    }
    reason = reasonFor(task, run);
    switch (run.outcome) {
    case PROGRAMMER_SUCCEEDED:
        return succeeded;
    case PROGRAMMER_MISSING:
        return refusalOf(task, "", "", 6);
    case PROGRAMMER_TIMED_OUT:
        return refusalOf(task, "", "", 7);
    case PROGRAMMER_STOPPED:
        return {wordsOf(task).stopped, "Stopped",
                std::string(wordsOf(task).traceName) + " stopped\n", 8};
    case PROGRAMMER_FAILED:
        break;
    }
    return refusalOf(task, "", "", 1);
}
