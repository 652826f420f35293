// The upload workflow behind "Upload/Program Firmware to device" and the --flash command line.
#pragma once

#include <string>

#include "programmerProcess.h"

// How an upload ended, as the user is told: the box (or the command line's verdict line) and
// its caption, the trace line written after it, and the command line's exit code.
struct UploadVerdict {
    const char* text;
    const char* caption;
    const char* traceLine;
    int exitCode;
};

// Flashes firmwarePath (as read from the path field or the command line) to portName (already
// read): puts the path in the form the programmer can open into the application state, builds
// the parameter line, refuses a path that cannot be passed on, tests the port and runs the
// programmer. The button and the command line share it, so both make the same checks and pass
// the same line. reason gets the line that says why a run failed (empty otherwise).
UploadVerdict flashFirmware(const std::wstring& firmwarePath, ProgrammerWatcher& watcher,
                            std::string& reason);

// Handler of the upload button: starts an upload, or, while one runs, asks it to stop.
void uploadFirmware();
