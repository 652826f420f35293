// What the program remembers between runs: the firmware, the port, where the window was, the
// log-to-file choice and the commands sent. They live in %APPDATA%\Vexlor Loader\settings.ini,
// UTF-8 lines of key=value under a [Vexlor Loader] header. The file is only ever a convenience:
// a missing, damaged or hand-edited file gives defaults for what it does not hold well, field by
// field, and never stops the program.
//
// Top floor (app/, the window): may include every floor below it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct Settings {
    std::wstring firmwarePath; // empty: none remembered
    std::string portName;      // "COM5"; empty: none
    std::string portDevice;    // the port's device instance ID (printable ASCII); empty: unknown
    bool hasWindowPosition = false;
    int windowLeft = 0, windowTop = 0; // the main window's top-left, within +-kFarthestPosition;
                                       // 0 without a position
    bool logToFile = false;            // only ever true with a logFilePath
    std::wstring logFilePath;          // the file log-to-file writes, kept while it is off too
    bool logFileDaily = false;         // "New log file each day": logFilePath names dated files
    bool showLogTimes = false;         // the log view starts each received line with its time
    // The commands sent, newest first, at most CommandHistory::kMostKept, in the code page (as
    // the command field holds them); each one a command "Send Command" takes.
    std::vector<std::string> commands;
};

// Field by field.
bool operator==(const Settings& a, const Settings& b);
bool operator!=(const Settings& a, const Settings& b);

// A window coordinate further from the origin than this is taken for damage.
constexpr int kFarthestPosition = 100000;
// A settings file larger than this is not read.
constexpr size_t kLargestSettingsFile = 64 * 1024;

// The settings a file's bytes hold; every field the text does not give well keeps its default.
Settings parseSettings(const std::string& text);
// The file's bytes for settings. parseSettings gives back the same settings for any settings
// it can give itself.
std::string formatSettings(const Settings& settings);

// %APPDATA%\Vexlor Loader\settings.ini; empty when the folder is unknown.
std::wstring settingsFilePath();
// The remembered settings; defaults when the file is missing, unreadable or too large.
Settings loadSettings();
// Writes the settings file, creating its folder. The old file is replaced only by a complete
// new one. False when it could not be written.
bool saveSettings(const Settings& settings);

// Where a window whose top-left is (left, top) and whose size is width x height goes, given the
// work areas of the screens: unchanged while a piece of its top strip large enough to grab
// (the title bar) lies on one of them; otherwise moved wholly onto the work area it overlaps
// most (the first one when it overlaps none), or as far as its top-left stays visible when it
// is larger than that area. Unchanged when there are no work areas.
POINT placeOnScreen(int left, int top, int width, int height, const std::vector<RECT>& workAreas);
