// Dated log file names.
//
// Subsystem floor (gateway/): knows no window; includes platform/ only.
#include "dailyLogName.h"

namespace {

// Where the file's name starts: after the last folder separator.
size_t nameStart(const std::wstring& path)
{
    size_t separator = path.find_last_of(L"\\/:");
    return separator == std::wstring::npos ? 0 : separator + 1;
}

} // namespace

std::wstring datedLogName(const std::wstring& chosen, const SYSTEMTIME& date)
{
    wchar_t suffix[16];
    wsprintfW(suffix, L"-%04u-%02u-%02u", date.wYear, date.wMonth, date.wDay);
    // A dot in a folder's name is no extension, nor is one that starts the name (".log").
    size_t start = nameStart(chosen);
    size_t dot = chosen.rfind(L'.');
    if (dot == std::wstring::npos || dot <= start) {
        return chosen + suffix;
    }
    return chosen.substr(0, dot) + suffix + chosen.substr(dot);
}

std::string fileNameOf(const std::string& path)
{
    size_t separator = path.find_last_of("\\/:");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

bool isOtherDay(const SYSTEMTIME& fileDate, const SYSTEMTIME& line)
{
    return fileDate.wYear != line.wYear || fileDate.wMonth != line.wMonth ||
           fileDate.wDay != line.wDay;
}
