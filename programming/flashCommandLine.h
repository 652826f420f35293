// Flashing from a script: VexlorLoader.exe --flash FILE --port COMn, without the window; and
// --read FILE (the board's firmware saved into FILE) or --verify FILE (the board compared with
// FILE) in its place.
//
// Subsystem floor (programming/): knows no window; includes serial/ and platform/ only.
#pragma once

#include <string>

#include "programmer.h"

// What the command line asks for. Its text is UTF-8: a file in a folder whose name the code
// page cannot write arrives whole.
struct CommandLine {
    bool given = false; // any option at all: otherwise the window starts as usual
    bool help = false;
    BoardTask task = TASK_FLASH; // what --flash, --read or --verify asked for
    std::string file;
    std::string port;   // "COMn"
    std::string error;  // why the options cannot be followed; empty when they can
    // A file given alone ("Open with", a file dropped on the program's icon): the window opens
    // with it in the path field, as if chosen in the dialog.
    std::string openFile;
};

// Reads the options after the program's name (argv[0]).
CommandLine parseCommandLine(int argc, const char* const* argv);
// Reads the program's own command line, from its wide form.
CommandLine parseProgramCommandLine();

// Follows the options: flashes (reads, verifies) with the same checks and the same parameter
// line as the window's commands, writing the programmer's output and the verdict to standard
// output (or, when the program was given none, the console it was started from). Returns the
// exit code.
int runCommandLine(const CommandLine& options);

// Exit codes of the command line, besides an upload's own (success 0, see UploadVerdict).
constexpr int kBadOptionsExitCode = 2;
