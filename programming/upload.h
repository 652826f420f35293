// The upload workflow behind "Upload/Program Firmware to device" and the --flash command line:
// it takes the port and the path as arguments and reports through a ProgrammerWatcher.
//
// Subsystem floor (programming/): knows no window; includes serial/ and platform/ only.
#pragma once

#include <string>

#include "boardRun.h"

// Flashes firmwarePath (as read from the path field or the command line) to the board on
// portName: puts the path in the form the programmer can open, builds the parameter line,
// refuses a path that cannot be passed on, reads and checks the image, tests the port and runs
// the programmer. The button and the command line share it, so both make the same checks and
// pass the same line. reason gets the line that says why a run failed (empty otherwise).
UploadVerdict flashFirmware(const std::string& portName, const std::wstring& firmwarePath,
                            ProgrammerWatcher& watcher, std::string& reason);
