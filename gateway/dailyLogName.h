// "A new log file each day": which file a line goes to. The chosen name gets the local date
// before its extension, and a line goes to the file of its own time's date, so a file never
// holds a line of another day and no day has two files, whichever way the clock moves.
//
// Subsystem floor (gateway/): knows no window; includes platform/ only.
#pragma once

#include <windows.h>

#include <string>

// The file written on date's day for the chosen name: "D:\logs\gateway.log" ->
// "D:\logs\gateway-2026-12-10.log"; a name without an extension gets the date at its end.
std::wstring datedLogName(const std::wstring& chosen, const SYSTEMTIME& date);

// The file's name without its folder.
std::string fileNameOf(const std::string& path);

// Whether a line stamped with local time `line` belongs in another file than the one opened
// for `fileDate`'s day: only the date counts, so an hour repeated at the end of daylight
// saving time (same date, another offset) stays in its file.
bool isOtherDay(const SYSTEMTIME& fileDate, const SYSTEMTIME& line);
