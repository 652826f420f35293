// How much the log view keeps. The edit control's cost of an insert grows with the text it
// holds, so a view left logging for days keeps only its newest lines: past the limit, the
// oldest whole lines go, down to the amount kept, and a first line says so.
//
// Top floor (app/, the window): may include every floor below it.
#pragma once

#include <stddef.h>

#include <string>

constexpr size_t kLogViewLimit = 256 * 1024;
constexpr size_t kLogViewKept = kLogViewLimit / 2;

// Where the oldest lines to remove end: the start of the first whole line from which at most
// kept characters follow (the cut falls inside a line only when one line is longer than kept).
// 0 while length is within limit.
size_t logViewCutPoint(const char* text, size_t length, size_t limit, size_t kept);

// The line that takes the removed lines' place, with its line end. Names the log file when
// one is being written (logFilePath empty otherwise).
std::string removedLinesNotice(const std::string& logFilePath);
