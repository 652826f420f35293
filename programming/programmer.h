// The board table and the hand-over to the external AVR programmer.
//
// Subsystem floor (programming/): knows no window; includes serial/ and platform/ only.
#pragma once

#include <windows.h>

#include <string>

#include "programmerProcess.h"

// The board list's entries, in the table's order; null past the last.
const char* boardName(size_t index);

// Outcome of building the parameter line.
enum ParamsResult {
    PARAMS_READY = 0,
    PARAMS_PATH_TOO_LONG = 1, // the line would not fit its buffer
    PARAMS_PATH_HAS_QUOTE = 2, // the path would end the quoted file name early
};

// What a run of the programmer does with the board's flash: write an image to it, read it into a
// file, or compare it with a file.
enum BoardTask { TASK_FLASH, TASK_READ, TASK_VERIFY };

// The longest parameter line the programmer is handed.
constexpr size_t kLongestParams = 1039;

// Builds the parameter line for task on the board on portName with the file at firmwarePath (in
// the code page's form) into line. A refused path leaves the line empty, so nothing half-built
// can ever be run.
int buildProgrammerParams(const std::string& portName, const std::string& firmwarePath,
                          std::string& line, BoardTask task = TASK_FLASH);

// How long the programmer may run before it is ended and the upload counts as failed.
constexpr DWORD kProgrammerTimeLimitMs = 5 * 60 * 1000;

// The programmer run for an upload: avrdude.exe in programFolder (the program's own folder)
// when it is there, otherwise in the first folder of searchPath (PATH's ';'-separated list)
// that holds it; empty when neither does. Only absolute folders count: the current folder
// is never searched, since choosing a firmware file in the open-file dialog moves it there.
std::wstring locateProgrammer(const std::wstring& programFolder, const std::wstring& searchPath);

// Runs avrdude.exe (found by locateProgrammer) with the parameter line params, its output going
// to the watcher as it comes, for at most timeLimitMs. The watcher's progress tells at the start
// that the run began (busyText) and at the end how it ended, as the status line shows it
// ("<task> Error", "<task> stopped", ... with task "Programming", "Reading", "Verifying").
ProgrammerRun runProgrammer(const std::string& params, ProgrammerWatcher& watcher,
                            DWORD timeLimitMs = kProgrammerTimeLimitMs,
                            const char* busyText = "Arduino board programming in progress..",
                            const std::string& task = "Programming");
