// The form in which a path goes to a program of the ANSI code page (1252 under Wine here).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/codePagePath.h"

namespace {

// A volume without short names: GetShortPathNameW hands the long names back.
std::wstring withoutShortNames(const std::wstring& path)
{
    return path;
}

TEST(CodePagePath, ShortNamesOnlyWhereTheCodePageCannotWriteAName)
{
    ASSERT_EQ(GetACP(), 1252u) << "the cases are written for the Western European code page";
    // Taken as they are, without a look at the disk (neither exists).
    for (const std::wstring plain : {L"C:\\fw\\a b.cpp.hex", L"C:\\Müll\\café.cpp.hex"}) {
        CodePagePath path = codePagePathOf(plain, withoutShortNames);
        EXPECT_TRUE(path.passable);
        EXPECT_EQ(wideText(path.path), plain);
    }

    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = temp + (L"Прошивка-" + std::to_wstring(GetCurrentProcessId()));
    const std::wstring files[] = {folder + L"\\gateway.cpp.hex", folder + L"\\固件.cpp.hex"};
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    for (const std::wstring& file : files) {
        CloseHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        // The path reaches the file through the code page.
        CodePagePath path = codePagePathOf(file);
        EXPECT_TRUE(path.passable);
        EXPECT_NE(GetFileAttributesA(path.path.c_str()), INVALID_FILE_ATTRIBUTES) << path.path;
    }
    // Only the folder takes its short name: the file's own name stays readable.
    EXPECT_EQ(codePagePathOf(files[0]).path, narrowText(shortPathOf(folder)) + "\\gateway.cpp.hex");

    // Refused: no short names on the volume, no file to have one, a look-alike (Ł written as
    // L would name another folder).
    EXPECT_FALSE(codePagePathOf(files[0], withoutShortNames).passable);
    EXPECT_FALSE(codePagePathOf(folder + L"\\missing.cpp.hex").passable);
    EXPECT_FALSE(codePagePathOf(L"C:\\Łódź\\gateway.cpp.hex", withoutShortNames).passable);

    for (const std::wstring& file : files) {
        DeleteFileW(file.c_str());
    }
    RemoveDirectoryW(folder.c_str());
}

} // namespace
