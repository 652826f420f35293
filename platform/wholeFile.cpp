// Whole files: see wholeFile.h.
//
// Ground floor (platform/): knows no feature, includes nothing of the program; every floor may
// use it.
#include "wholeFile.h"

bool readWholeFile(const std::wstring& path, size_t limit, std::string& bytes, DWORD& error)
{
    bytes.clear();
    error = 0;
    // Shared for deleting, so another program can put a new file in its place meanwhile.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return false;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size)) {
        error = GetLastError();
    } else if (size.QuadPart > static_cast<LONGLONG>(limit)) {
        error = ERROR_FILE_TOO_LARGE;
    } else {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        if (!bytes.empty() &&
            !ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr)) {
            error = GetLastError();
        }
        bytes.resize(read);
    }
    CloseHandle(file);
    return error == 0;
}

bool replaceWholeFile(const std::wstring& path, const std::string& bytes, DWORD& error)
{
    // Not shared: a second writer at the same moment fails instead of mixing in.
    std::wstring fresh = path + L".new";
    HANDLE file = CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return false;
    }
    DWORD written = 0;
    // On the disk before it takes the old file's place, so a power cut cannot leave it empty.
    bool whole = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                           nullptr) &&
                 written == bytes.size() && FlushFileBuffers(file);
    error = whole ? 0 : GetLastError();
    CloseHandle(file);
    if (whole && MoveFileExW(fresh.c_str(), path.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    if (error == 0) {
        error = GetLastError();
    }
    DeleteFileW(fresh.c_str());
    return false;
}

std::string describeFileError(DWORD error)
{
    switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return "the disk is full";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_NOT_READY:
        return "the file or its drive is no longer there";
    case ERROR_ACCESS_DENIED:
        return "access was denied";
    case ERROR_SHARING_VIOLATION:
        return "another program has the file open";
    default: {
        char text[40];
        wsprintfA(text, "system error %lu", error);
        return text;
    }
    }
}
