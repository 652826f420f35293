// The settings file. Its text is judged line by line and field by field, so one damaged line
// costs only its own field; it is written whole to a file beside it and then put in the old
// one's place, so a crash while saving leaves the old settings, never half of the new ones.
//
// Top floor (app/, the window): may include every floor below it.
#include "settings.h"

#include <ctype.h>
#include <shlobj.h>

#include <algorithm>

#include "commandHistory.h"
#include "gateway/gatewayCommands.h"
#include "platform/wholeFile.h"
#include "serial/portName.h"

namespace {

const char kSection[] = "[Vexlor Loader]";
const char kLineEnd[] = "\r\n";
const char kByteOrderMark[] = "\xEF\xBB\xBF";
// The longest path Windows opens (with the \\?\ prefix); anything longer is damage.
constexpr size_t kLongestPath = 32767;
// The longest device instance ID Windows gives (MAX_DEVICE_ID_LEN).
constexpr size_t kLongestDeviceId = 200;
// The part of the window's top strip that must lie on a screen for the user to grab it.
constexpr int kGrabWidth = 40;
constexpr int kGrabHeight = 20;

// A path as the file holds it: text without control characters (a line end would break the
// file), not too long. Empty for anything else, including invalid UTF-8.
std::wstring pathFrom(const std::string& text)
{
    if (text.empty() || text.size() > 3 * kLongestPath) {
        return std::wstring();
    }
    int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                   static_cast<int>(text.size()), nullptr, 0);
    std::wstring path(size, L'\0');
    if (size == 0 || static_cast<size_t>(size) > kLongestPath ||
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                            static_cast<int>(text.size()), &path[0], size) != size) {
        return std::wstring();
    }
    for (wchar_t c : path) {
        if (c < L' ') {
            return std::wstring();
        }
    }
    return path;
}

// The file's text for a path; empty for a path that would not read back the same (a lone
// surrogate has no UTF-8 form).
std::string textFrom(const std::wstring& path)
{
    int size = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, path.data(),
                                   static_cast<int>(path.size()), nullptr, 0, nullptr, nullptr);
    std::string text(size, '\0');
    if (size == 0 || WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, path.data(),
                                         static_cast<int>(path.size()), &text[0], size, nullptr,
                                         nullptr) != size) {
        return std::string();
    }
    return pathFrom(text) == path ? text : std::string();
}

// A command as the file holds it: text as a path is (UTF-8, nothing below a space) without DEL,
// that the code page writes whole and "Send Command" takes. Empty for anything else. The code
// page's bytes that Unicode makes C1 controls (0x81 in 1252) stay: the field takes them.
std::string commandFrom(const std::string& text)
{
    std::wstring wide = pathFrom(text);
    BOOL lost = FALSE;
    int size = wide.empty() || wide.find(L'\x7F') != std::wstring::npos
                   ? 0
                   : WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(),
                                         static_cast<int>(wide.size()), nullptr, 0, nullptr, &lost);
    if (lost || !isValidCommandLength(size) || size > kLongestCommand) {
        return std::string();
    }
    std::string command(size, '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                        &command[0], size, nullptr, nullptr);
    return command;
}

// The file's text for a command; empty for one that would not read back the same.
std::string commandText(const std::string& command)
{
    int length = static_cast<int>(command.size());
    int size = MultiByteToWideChar(CP_ACP, 0, command.data(), length, nullptr, 0);
    std::wstring wide(size, L'\0');
    if (size == 0 ||
        MultiByteToWideChar(CP_ACP, 0, command.data(), length, &wide[0], size) != size) {
        return std::string();
    }
    std::string text = textFrom(wide);
    return commandFrom(text) == command ? text : std::string();
}

bool isDeviceId(const std::string& text)
{
    if (text.size() > kLongestDeviceId) {
        return false;
    }
    for (char c : text) {
        if (c < ' ' || c > '~') {
            return false;
        }
    }
    return true;
}

// A coordinate: an optional minus and at most six digits (so no overflow), within reach.
bool coordinateFrom(const std::string& text, int& coordinate)
{
    size_t start = !text.empty() && text[0] == '-' ? 1 : 0;
    if (text.size() == start || text.size() - start > 6) {
        return false;
    }
    int number = 0;
    for (size_t i = start; i < text.size(); ++i) {
        if (!isdigit(static_cast<unsigned char>(text[i]))) {
            return false;
        }
        number = number * 10 + (text[i] - '0');
    }
    coordinate = start != 0 ? -number : number;
    return number <= kFarthestPosition;
}

// How far the ranges [start1, end1) and [start2, end2) overlap.
LONG overlapOf(LONG start1, LONG end1, LONG start2, LONG end2)
{
    return std::max(0L, std::min(end1, end2) - std::max(start1, start2));
}

} // namespace

bool operator==(const Settings& a, const Settings& b)
{
    return a.firmwarePath == b.firmwarePath && a.portName == b.portName &&
           a.portDevice == b.portDevice && a.hasWindowPosition == b.hasWindowPosition &&
           a.windowLeft == b.windowLeft && a.windowTop == b.windowTop &&
           a.logToFile == b.logToFile && a.logFilePath == b.logFilePath &&
           a.logFileDaily == b.logFileDaily &&
           a.showLogTimes == b.showLogTimes &&
           a.commands == b.commands;
}

bool operator!=(const Settings& a, const Settings& b)
{
    return !(a == b);
}

Settings parseSettings(const std::string& text)
{
    Settings settings;
    bool inSection = false;
    size_t start = text.compare(0, 3, kByteOrderMark) == 0 ? 3 : 0;
    while (start < text.size()) {
        size_t end = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty() && line[0] == '[') {
            // Keys under any other header belong to someone else.
            inSection = line == kSection;
            continue;
        }
        size_t equals = line.find('=');
        if (!inSection || equals == std::string::npos) {
            continue;
        }
        std::string key = line.substr(0, equals);
        std::string value = line.substr(equals + 1);
        if (key == "firmware") {
            settings.firmwarePath = pathFrom(value);
        } else if (key == "port") {
            settings.portName = portNameFromText(value);
        } else if (key == "portDevice") {
            settings.portDevice = isDeviceId(value) ? value : std::string();
        } else if (key == "window") {
            size_t comma = value.find(',');
            settings.hasWindowPosition =
                comma != std::string::npos &&
                coordinateFrom(value.substr(0, comma), settings.windowLeft) &&
                coordinateFrom(value.substr(comma + 1), settings.windowTop);
            if (!settings.hasWindowPosition) {
                settings.windowLeft = settings.windowTop = 0;
            }
        } else if (key == "logToFile") {
            settings.logToFile = value == "1";
        } else if (key == "logFile") {
            settings.logFilePath = pathFrom(value);
        } else if (key == "logFileDaily") {
            settings.logFileDaily = value == "1";
        } else if (key == "showTimes") {
            settings.showLogTimes = value == "1";
        } else if (key == "command") {
            std::string command = commandFrom(value);
            if (!command.empty() && settings.commands.size() < CommandHistory::kMostKept) {
                settings.commands.push_back(command);
            }
        }
    }
    // Logging to no file is logging off.
    settings.logToFile = settings.logToFile && !settings.logFilePath.empty();
    return settings;
}

std::string formatSettings(const Settings& settings)
{
    // Only what reads back: a field that would not is written empty, never as a broken line.
    std::string text = std::string(kSection) + kLineEnd;
    text += "firmware=" + textFrom(settings.firmwarePath) + kLineEnd;
    text += "port=" + portNameFromText(settings.portName) + kLineEnd;
    text += "portDevice=" + (isDeviceId(settings.portDevice) ? settings.portDevice : "") + kLineEnd;
    if (settings.hasWindowPosition) {
        text += "window=" + std::to_string(settings.windowLeft) + "," +
                std::to_string(settings.windowTop) + kLineEnd;
    }
    text += std::string("logToFile=") + (settings.logToFile ? "1" : "0") + kLineEnd;
    text += "logFile=" + textFrom(settings.logFilePath) + kLineEnd;
    text += std::string("logFileDaily=") + (settings.logFileDaily ? "1" : "0") + kLineEnd;
    text += std::string("showTimes=") + (settings.showLogTimes ? "1" : "0") + kLineEnd;
    for (size_t i = 0; i < settings.commands.size() && i < CommandHistory::kMostKept; ++i) {
        std::string command = commandText(settings.commands[i]);
        if (!command.empty()) {
            text += "command=" + command + kLineEnd;
        }
    }
    return text;
}

std::wstring settingsFilePath()
{
    // The variable %APPDATA% may be missing or stale; the shell knows the folder.
    wchar_t folder[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)) ||
        folder[0] == L'\0') {
        return std::wstring();
    }
    return std::wstring(folder) + L"\\Vexlor Loader\\settings.ini";
}

Settings loadSettings()
{
    std::wstring path = settingsFilePath();
    std::string text;
    DWORD error = 0;
    if (path.empty() || !readWholeFile(path, kLargestSettingsFile, text, error)) {
        return Settings();
    }
    return parseSettings(text);
}

bool saveSettings(const Settings& settings)
{
    std::wstring path = settingsFilePath();
    if (path.empty()) {
        return false;
    }
    std::wstring folder = path.substr(0, path.rfind(L'\\'));
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        return false;
    }
    DWORD error = 0;
    return replaceWholeFile(path, formatSettings(settings), error);
}

POINT placeOnScreen(int left, int top, int width, int height, const std::vector<RECT>& workAreas)
{
    POINT place = {left, top};
    if (workAreas.empty()) {
        return place;
    }
    LONG grabWidth = std::max(1, std::min(kGrabWidth, width));
    LONG grabHeight = std::max(1, std::min(kGrabHeight, height));
    const RECT* target = &workAreas[0];
    long long targetShare = 0;
    for (const RECT& area : workAreas) {
        LONG across = overlapOf(left, left + width, area.left, area.right);
        if (across >= grabWidth && top >= area.top && top + grabHeight <= area.bottom) {
            return place;
        }
        long long share = static_cast<long long>(across) *
                          overlapOf(top, top + height, area.top, area.bottom);
        if (share > targetShare) {
            target = &area;
            targetShare = share;
        }
    }
    // Wholly on the area; one larger than it keeps its top-left on it.
    place.x = std::max(target->left, std::min(static_cast<LONG>(left), target->right - width));
    place.y = std::max(target->top, std::min(static_cast<LONG>(top), target->bottom - height));
    return place;
}
