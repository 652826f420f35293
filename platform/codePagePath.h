// Paths for a program that takes them in the ANSI code page. Windows hands the program wide
// paths (the dialogs, drops, its command line), while avrdude reads its command line and
// opens its files in the code page, which may lack characters of a folder's name (a Cyrillic
// folder on an English Windows): such a path goes on in its short (8.3) form.
//
// Ground floor (platform/): knows no feature, includes nothing of the program; every floor may
// use it.
#pragma once

#include <windows.h>

#include <string>

// A path as a program of the code page gets it.
struct CodePagePath {
    bool passable = false; // false: no form of the path can be written in the code page
    std::string path;      // what to pass on; when not passable, only to show ('?' for what
                           // the code page lacks)
};

// The path with every component given its short name (GetShortPathNameW); empty when the
// file does not exist.
std::wstring shortPathOf(const std::wstring& path);

// path itself when the code page can write it; otherwise path with each component that the
// code page cannot write replaced by its short name, when shortForm gives one it can write.
CodePagePath codePagePathOf(const std::wstring& path,
                            std::wstring (*shortForm)(const std::wstring&) = shortPathOf);

// True when text survives the way through the code page unchanged (no character lost or
// replaced by a look-alike).
bool fitsCodePage(const std::wstring& text);

// Text between a code page (the ANSI one unless named) and wide characters.
std::wstring wideText(const std::string& text, UINT codePage = CP_ACP);
std::string narrowText(const std::wstring& text, UINT codePage = CP_ACP);
