// The log file: what log mode receives, appended to a text file with the local time at the
// start of every line.
//
// A line is written once its line feed has arrived and carries the time of the poll that
// completed it, so lines reach the file whole and in order, their times never go back, and a
// line of the program's own (a command it sent, a note that the port was lost) never splits
// a line the gateway was in the middle of sending.
#pragma once

#include <windows.h>

#include <string>

// "YYYY-MM-DD HH:MM:SS.mmm" into text (at least 24 bytes).
void formatTimestamp(const SYSTEMTIME& time, char* text);
// "YYYY-MM-DD HH:MM:SS" into text (at least 20 bytes).
void formatTime(const SYSTEMTIME& time, char* text);

// Why a write or an open failed, in words a user understands.
std::string describeFileError(DWORD error);

class LogFile {
public:
    // A partial line longer than this is written out as a line of its own.
    static constexpr size_t kLongestLine = 65536;

    LogFile() = default;
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Opens path for appending (it is created when missing, never truncated). False with the
    // reason in lastError() when it cannot be opened.
    bool open(const char* path);
    // Writes a pending partial line and closes the file.
    void close();
    bool isOpen() const { return handle != INVALID_HANDLE_VALUE; }
    const std::string& path() const { return filePath; }
    DWORD lastError() const { return error; }

    // Bytes received; every line completed by them is written with time.
    bool write(const char* text, size_t count, const SYSTEMTIME& time);
    // One line of the program's own, text without its line end.
    bool writeLine(const char* text, const SYSTEMTIME& time);
    // Writes a partial line as it stands (the port it came from is gone).
    bool endPartialLine(const SYSTEMTIME& time);

private:
    void stampLine(const char* text, size_t count, const SYSTEMTIME& time);
    // Writes staged to the file; false, with the reason kept, when it did not all go.
    bool flushStaged();

    HANDLE handle = INVALID_HANDLE_VALUE;
    std::string filePath;
    std::string partial; // received bytes after the last line feed
    std::string staged;  // what the next write to the file takes
    DWORD error = 0;
};
