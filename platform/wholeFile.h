// Files read or written whole, by wide path: a firmware image, a settings file, a saved copy of
// the board. A file is replaced only once its new text is on the disk, so a failure or a power
// cut leaves the old one as it was, never half of the new one.
//
// Ground floor (platform/): knows no feature, includes nothing of the program; every floor may
// use it.
#pragma once

#include <windows.h>

#include <stddef.h>

#include <string>

// Reads the file at path into bytes when it holds at most limit bytes. False with the system's
// error when it cannot be opened or read; ERROR_FILE_TOO_LARGE when it is larger than limit.
bool readWholeFile(const std::wstring& path, size_t limit, std::string& bytes, DWORD& error);

// Writes bytes to path + ".new", flushes it and puts it in path's place. False with the system's
// error when any step fails; path is then untouched and the new file removed.
bool replaceWholeFile(const std::wstring& path, const std::string& bytes, DWORD& error);

// Why a file could not be opened, read or written, in words a user understands.
std::string describeFileError(DWORD error);
