// The board table and the hand-over to the external AVR programmer.
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

// Builds programmerParams from the board, portName and firmwarePath. A refused path leaves
// the line empty, so nothing half-built can ever be run.
int buildProgrammerParams();

// How long the programmer may run before it is ended and the upload counts as failed.
constexpr DWORD kProgrammerTimeLimitMs = 5 * 60 * 1000;

// The programmer run for an upload: avrdude.exe in programFolder (the program's own folder)
// when it is there, otherwise in the first folder of searchPath (PATH's ';'-separated list)
// that holds it; empty when neither does. Only absolute folders count: the current folder
// is never searched, since choosing a firmware file in the open-file dialog moves it there.
std::wstring locateProgrammer(const std::wstring& programFolder, const std::wstring& searchPath);

// Runs avrdude.exe (found by locateProgrammer) with programmerParams, its output going to the
// watcher as it comes, for at most timeLimitMs. The watcher's progress tells at the start that
// the programming began and at the end how it ended, as the status line shows it.
ProgrammerRun runProgrammer(ProgrammerWatcher& watcher, DWORD timeLimitMs = kProgrammerTimeLimitMs);
