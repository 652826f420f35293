// The log file. The file is opened for appending only, shared for reading (so it can be
// watched while it grows) but not for deleting or writing.
//
// Subsystem floor (gateway/): knows no window; includes serial/ and platform/ only.
#include "logFile.h"

#include <string.h>

#include <utility>

#include "dailyLogName.h"
#include "platform/codePagePath.h"

namespace {

constexpr char kLineEnd[] = "\r\n";
// What was written reaches the disk at least this often.
constexpr DWORD kFlushEveryMs = 3000;

long long ticksOf(const FILETIME& time)
{
    return (static_cast<long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

} // namespace

LogTime logTimeNow()
{
    FILETIME utc;
    GetSystemTimeAsFileTime(&utc);
    FILETIME local;
    LogTime now;
    if (FileTimeToLocalFileTime(&utc, &local)) {
        now.offsetMinutes = static_cast<int>((ticksOf(local) - ticksOf(utc)) / 600000000LL);
    } else {
        local = utc;
    }
    FileTimeToSystemTime(&local, &now.local);
    return now;
}

void formatTimestamp(const LogTime& time, char* text)
{
    const SYSTEMTIME& t = time.local;
    int offset = time.offsetMinutes < 0 ? -time.offsetMinutes : time.offsetMinutes;
    wsprintfA(text, "%04u-%02u-%02u %02u:%02u:%02u.%03u %c%02d:%02d", t.wYear, t.wMonth, t.wDay,
              t.wHour, t.wMinute, t.wSecond, t.wMilliseconds, time.offsetMinutes < 0 ? '-' : '+',
              offset / 60, offset % 60);
}

void formatTime(const SYSTEMTIME& time, char* text)
{
    wsprintfA(text, "%04u-%02u-%02u %02u:%02u:%02u", time.wYear, time.wMonth, time.wDay,
              time.wHour, time.wMinute, time.wSecond);
}

LogFile::~LogFile()
{
    close();
}

bool LogFile::open(const char* path)
{
    return open(wideText(path));
}

bool LogFile::open(const std::wstring& path, bool dailyFiles, const LogTime& time)
{
    close();
    wholePath = path;
    daily = dailyFiles;
    fileDate = time.local;
    partial.clear();
    return openFile(daily ? datedLogName(path, time.local) : path);
}

bool LogFile::openFile(const std::wstring& path)
{
    // Opened by its wide name: a name the code page cannot write would open another file.
    handle = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD openError = GetLastError();
    // Once the file exists it has a short form to show, where the code page needs one.
    filePath = codePagePathOf(path).path;
    if (handle == INVALID_HANDLE_VALUE) {
        error = openError;
        return false;
    }
    error = 0;
    return true;
}

bool LogFile::setDaily(bool on, const LogTime& time)
{
    if (on == daily) {
        return true;
    }
    daily = on;
    if (!isOpen()) {
        return true;
    }
    return switchTo(on ? datedLogName(wholePath, time.local) : wholePath, time);
}

bool LogFile::openFileFor(const LogTime& time)
{
    if (!daily || !isOtherDay(fileDate, time.local)) {
        return true;
    }
    // A clock set back goes back to the earlier date's file: one file a day, whatever happens.
    return switchTo(datedLogName(wholePath, time.local), time);
}

bool LogFile::switchTo(const std::wstring& path, const LogTime& time)
{
    std::string previous = fileNameOf(filePath);
    FlushFileBuffers(handle);
    CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
    fileDate = time.local;
    if (!openFile(path)) {
        return false;
    }
    staged.clear();
    stageOwnLine(("-- Previous log file: " + previous + " --").c_str(), time);
    return flushStaged();
}

void LogFile::takeOver(LogFile& opened)
{
    close();
    std::swap(handle, opened.handle);
    filePath = opened.filePath;
    wholePath = opened.wholePath;
    partial.swap(opened.partial);
    staged.swap(opened.staged);
    error = opened.error;
    lastFlush = opened.lastFlush;
    daily = opened.daily;
    fileDate = opened.fileDate;
}

void LogFile::close()
{
    if (!isOpen()) {
        return;
    }
    if (!partial.empty() && !endPartialLine(logTimeNow()) && !isOpen()) {
        return; // the day's file could not be opened
    }
    FlushFileBuffers(handle);
    CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
}

void LogFile::stampLine(const char* text, size_t count, const LogTime& time)
{
    char stamp[40];
    formatTimestamp(time, stamp);
    staged += stamp;
    staged += ' ';
    staged.append(partial);
    partial.clear();
    staged.append(text, count);
}

bool LogFile::write(const char* text, size_t count, const LogTime& time)
{
    // Only a line that is written needs the file of its date.
    bool completesLine = memchr(text, '\n', count) != nullptr ||
                         partial.size() + count > kLongestLine;
    if (!isOpen() || (completesLine && !openFileFor(time))) {
        return false;
    }
    staged.clear();
    const char* end = text + count;
    while (text < end) {
        const char* lineFeed = static_cast<const char*>(memchr(text, '\n', end - text));
        if (lineFeed == nullptr) {
            partial.append(text, end - text);
            break;
        }
        stampLine(text, lineFeed + 1 - text, time);
        text = lineFeed + 1;
    }
    if (partial.size() > kLongestLine) {
        stampLine(kLineEnd, 2, time);
    }
    return flushStaged();
}

void LogFile::stageOwnLine(const char* text, const LogTime& time)
{
    std::string held;
    held.swap(partial);
    stampLine(text, strlen(text), time);
    staged += kLineEnd;
    partial.swap(held);
}

bool LogFile::writeLine(const char* text, const LogTime& time)
{
    if (!isOpen() || !openFileFor(time)) {
        return false;
    }
    staged.clear();
    stageOwnLine(text, time);
    return flushStaged();
}

bool LogFile::endPartialLine(const LogTime& time)
{
    if (!isOpen() || partial.empty()) {
        return isOpen();
    }
    if (!openFileFor(time)) {
        return false;
    }
    staged.clear();
    stampLine(kLineEnd, 2, time);
    return flushStaged();
}

bool LogFile::flushStaged()
{
    if (staged.empty()) {
        return true;
    }
    DWORD written = 0;
    BOOL ok = WriteFile(handle, staged.data(), static_cast<DWORD>(staged.size()), &written, nullptr);
    if (!ok || written != staged.size()) {
        error = ok ? ERROR_DISK_FULL : GetLastError();
        return false;
    }
    // A file deleted while open takes writes without complaint; its last link gone says so.
    BY_HANDLE_FILE_INFORMATION information;
    if (GetFileInformationByHandle(handle, &information) && information.nNumberOfLinks == 0) {
        error = ERROR_FILE_NOT_FOUND;
        return false;
    }
    if (GetTickCount() - lastFlush >= kFlushEveryMs) {
        flushToDisk();
    }
    return true;
}

void LogFile::flushToDisk()
{
    if (isOpen()) {
        FlushFileBuffers(handle);
        lastFlush = GetTickCount();
    }
}
