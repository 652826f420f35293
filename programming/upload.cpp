// The upload workflow: build the line, test the port, run the programmer and give the verdict.
// A path that cannot be passed on safely is refused before the port is touched. It knows no
// window: the window and the command line each hand it a watcher of their own.
//
// Subsystem floor (programming/): knows no window; includes serial/ and platform/ only.
#include "upload.h"

#include <windows.h>

#include "platform/codePagePath.h"
#include "platform/trace.h"
#include "programmer.h"
#include "programmerOutput.h"
#include "serial/portScan.h"

namespace {

const UploadVerdict kSucceeded = {"Programming successful", "Success",
                                  "Programming Arduino Success\n", 0};
const UploadVerdict kFailed = {"Programming failed", "Error", "Programming Arduino failed\n", 1};
const UploadVerdict kPortNotFound = {"Programming failed, Serial port is not found", "Error",
                                     "Programming Arduino failed, serial port not found\n", 3};
const UploadVerdict kPortInUse = {"Programming failed, Serial port is in use", "Error",
                                  "Programming Arduino failed, serial port in use\n", 4};
const UploadVerdict kPathHasQuote = {
    "Programming failed, the firmware path contains a double quote (\").\n"
    "Rename the file or its folder and select it again.",
    "Error", "Programming Arduino failed, path contains a double quote\n", 5};
const UploadVerdict kPathTooLong = {
    "Programming failed, the firmware path is too long.\n"
    "Move the file to a folder with a shorter path and select it again.",
    "Error", "Programming Arduino failed, path too long\n", 5};
const UploadVerdict kPathNotInCodePage = {
    "Programming failed, the firmware path has characters this Windows cannot pass to the "
    "programmer.\nMove the file to a folder with a plain name and select it again.",
    "Error", "Programming Arduino failed, path has characters outside the code page\n", 5};
const UploadVerdict kPathIsFolder = {
    "Programming failed, the firmware path names a folder.\n"
    "Select a firmware file (*.cpp.hex) and try again.",
    "Error", "Programming Arduino failed, path is a folder\n", 5};
const UploadVerdict kNoProgrammer = {"Programming failed", "Error",
                                     "Programming Arduino failed\n", 6};
const UploadVerdict kTimedOut = {"Programming failed", "Error", "Programming Arduino failed\n", 7};
const UploadVerdict kStopped = {"Programming stopped", "Stopped", "Programming Arduino stopped\n",
                                8};

// The line that ends the log view after a run that did not succeed.
std::string reasonFor(const ProgrammerRun& run)
{
    switch (run.outcome) {
    case PROGRAMMER_FAILED:
        return failureReason(run.lastError, run.exitCode);
    case PROGRAMMER_MISSING:
        if (!startFailureReason(run.startError).empty()) {
            return "Programming failed: avrdude.exe could not be started: " +
                   startFailureReason(run.startError) + ".";
        }
        return "Programming failed: avrdude.exe could not be started. Put avrdude.exe and "
               "avrdude.conf in the same folder as VexlorLoader.exe.";
    case PROGRAMMER_TIMED_OUT:
        if (!run.lastError.empty()) {
            return failureReason(run.lastError, run.exitCode) +
                   " (The programmer was still trying after five minutes and was stopped.)";
        }
        return "Programming failed: the programmer was still running after five minutes and "
               "was stopped. Unplug and replug the board, then try again.";
    case PROGRAMMER_STOPPED:
        return "Programming stopped. The board keeps its bootloader: flash it again to put "
               "firmware on it.";
    case PROGRAMMER_SUCCEEDED:
        break;
    }
    return "";
}

const UploadVerdict& verdictFor(ProgrammerOutcome outcome)
{
    switch (outcome) {
    case PROGRAMMER_SUCCEEDED:
        return kSucceeded;
    case PROGRAMMER_MISSING:
        return kNoProgrammer;
    case PROGRAMMER_TIMED_OUT:
        return kTimedOut;
    case PROGRAMMER_STOPPED:
        return kStopped;
    case PROGRAMMER_FAILED:
        break;
    }
    return kFailed;
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

} // namespace

UploadVerdict flashFirmware(const std::string& portName, const std::wstring& firmwarePath,
                            ProgrammerWatcher& watcher, std::string& reason)
{
    reason.clear();
    if (namesFolder(firmwarePath)) {
        return kPathIsFolder;
    }
    // avrdude takes the path in the code page: one the code page cannot write goes in its
    // short form. Cut to what the button reads of the path field: a path that long never fits
    // the parameter line, so it is refused as too long.
    CodePagePath path = codePagePathOf(firmwarePath);
    std::string programmerPath = path.path.substr(0, kFirmwarePathRoom - 1);
    if (!path.passable) {
        return kPathNotInCodePage;
    }
    std::string params;
    int built = buildProgrammerParams(portName, programmerPath, params);
    if (built == PARAMS_PATH_HAS_QUOTE) {
        return kPathHasQuote;
    }
    if (built != PARAMS_READY) {
        return kPathTooLong;
    }
    watcher.progress("Testing serial port..");
    switch (probePort(portName.c_str())) {
    case PORT_IN_USE:
        return kPortInUse;
    case PORT_NOT_FOUND:
        return kPortNotFound;
    default:
        break;
    }
    trace("param: %s\n", params.c_str());
    watcher.outputLine("Programming " + portName + " with " + programmerPath);
    ProgrammerRun run = runProgrammer(params, watcher);
    reason = reasonFor(run);
    return verdictFor(run.outcome);
}
