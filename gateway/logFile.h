// The log file: what log mode receives, appended to a text file with the local time and its
// offset from UTC at the start of every line.
//
// A line is written once its line feed has arrived and carries the time of the poll that
// completed it, so lines reach the file whole and in order, their times never go back, and a
// line of the program's own (a command it sent, a note that the port was lost) never splits
// a line the gateway was in the middle of sending.
//
// Subsystem floor (gateway/): knows no window; includes serial/ and platform/ only.
#pragma once

#include <windows.h>

#include <string>

#include "platform/wholeFile.h"

// A moment as the log file writes it: the local time and how far it is ahead of UTC, so that
// lines stay ordered across the end of daylight saving time.
struct LogTime {
    SYSTEMTIME local = {};
    int offsetMinutes = 0; // local time minus UTC
};
LogTime logTimeNow();

// "YYYY-MM-DD HH:MM:SS.mmm +HH:MM" into text (at least 31 bytes).
void formatTimestamp(const LogTime& time, char* text);
// "YYYY-MM-DD HH:MM:SS" into text (at least 20 bytes).
void formatTime(const SYSTEMTIME& time, char* text);

class LogFile {
public:
    // A partial line longer than this is written out as a line of its own.
    static constexpr size_t kLongestLine = 65536;

    LogFile() = default;
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Opens path for appending (it is created when missing, never truncated). False with the
    // reason in lastError() when it cannot be opened. In daily mode the file opened is path
    // with time's date in its name (datedLogName), and from then on a line whose time is of
    // another date goes to that date's file, which begins with a line naming the previous one.
    bool open(const std::wstring& path, bool daily = false, const LogTime& time = logTimeNow());
    bool open(const char* path);
    // Writes a pending partial line and closes the file.
    void close();
    // Closes this file and takes over opened, which is left closed: a file opened on another
    // thread (a share may not answer) is handed to the one that writes it.
    void takeOver(LogFile& opened);
    bool isOpen() const { return handle != INVALID_HANDLE_VALUE; }
    // Daily mode on or off; an open file switches at once to the other name, as at midnight.
    // False, the file closed with the reason in lastError(), when that file cannot be opened.
    bool setDaily(bool on, const LogTime& time);
    bool isDaily() const { return daily; }
    // The file written (or last tried) in the code page, as messages show it: its short form
    // where the code page cannot write the name.
    const std::string& path() const { return filePath; }
    // The path as it was given, whole: what is remembered for the next start (a volume without
    // short names has no code page form of a name the code page cannot write). In daily mode
    // the name the dated files are named after.
    const std::wstring& fullPath() const { return wholePath; }
    DWORD lastError() const { return error; }

    // Bytes received; every line completed by them is written with time.
    bool write(const char* text, size_t count, const LogTime& time);
    // One line of the program's own, text without its line end.
    bool writeLine(const char* text, const LogTime& time);
    // Writes a partial line as it stands (the port it came from is gone).
    bool endPartialLine(const LogTime& time);
    // Has the system put what was written on the disk, so that a power cut or a crash loses
    // at most the last few seconds; the file does so by itself every few seconds.
    void flushToDisk();

private:
    // Opens path for appending as the file written from now on.
    bool openFile(const std::wstring& path);
    // In daily mode, makes sure a line with time goes to the file of its date.
    bool openFileFor(const LogTime& time);
    // Closes the file written and goes on in path, a received line in the making kept.
    bool switchTo(const std::wstring& path, const LogTime& time);
    void stampLine(const char* text, size_t count, const LogTime& time);
    // Stages a line of the program's own, kept apart from a received line in the making.
    void stageOwnLine(const char* text, const LogTime& time);
    // Writes staged to the file; false, with the reason kept, when it did not all go.
    bool flushStaged();

    HANDLE handle = INVALID_HANDLE_VALUE;
    std::string filePath;
    std::wstring wholePath;
    std::string partial; // received bytes after the last line feed
    std::string staged;  // what the next write to the file takes
    DWORD error = 0;
    DWORD lastFlush = 0; // GetTickCount of the last flush to disk
    bool daily = false;
    SYSTEMTIME fileDate = {}; // in daily mode, the local date of the file written
};
