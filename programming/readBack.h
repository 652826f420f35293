// Reading the board's firmware back into a file, and comparing the board with a file: the
// "Save the board's firmware as..." and "Verify the board against a file..." commands and the
// --read and --verify command lines. Both run the programmer as a flash does, with the same
// port test, watcher and verdicts.
//
// Subsystem floor (programming/): knows no window; includes serial/ and platform/ only.
#pragma once

#include <string>

#include "boardRun.h"

// Reads the board's flash through its bootloader and saves the firmware part (everything below
// the bootloader, without the erased flash after it) as an Intel HEX file at savePath, which
// can be flashed again as it is. The file is written only when the whole read succeeded; one
// that was there stays as it was otherwise.
UploadVerdict saveBoardFirmware(const std::string& portName, const std::wstring& savePath,
                                ProgrammerWatcher& watcher, std::string& reason);

// Compares the board's flash with the image at firmwarePath: "The board holds this firmware"
// (exit code 0) or "The board's firmware differs from this file" (kBoardDiffersExitCode). The
// image is checked first, as for a flash; an image with the bootloader may be compared.
UploadVerdict verifyBoardFirmware(const std::string& portName, const std::wstring& firmwarePath,
                                  ProgrammerWatcher& watcher, std::string& reason);
