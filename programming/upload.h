// The upload workflow behind "Upload/Program Firmware to device" and the --flash command line:
// it takes the port and the path as arguments and reports through a ProgrammerWatcher.
//
// Subsystem floor (programming/): knows no window; includes serial/ and platform/ only.
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

// Room for a firmware path and its terminator where the window reads one (the path field, a
// drop): a path that long never fits the parameter line and is refused as too long.
constexpr size_t kFirmwarePathRoom = 1024;

// Flashes firmwarePath (as read from the path field or the command line) to the board on
// portName: puts the path in the form the programmer can open, builds the parameter line,
// refuses a path that cannot be passed on, tests the port and runs the programmer. The button
// and the command line share it, so both make the same checks and pass the same line. reason
// gets the line that says why a run failed (empty otherwise).
UploadVerdict flashFirmware(const std::string& portName, const std::wstring& firmwarePath,
                            ProgrammerWatcher& watcher, std::string& reason);
