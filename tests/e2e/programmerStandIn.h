// The stand-in programmer (tests/fixtures/standInProgrammer.cpp) as an upload test uses it:
// put into the program's working folder as avrdude.exe, told how to end, and asked what
// it was given. The program finds it there because it looks for a bare "avrdude.exe" in
// its current folder: the working folder, unless the open-file dialog showed another one.
#pragma once

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

class ProgrammerStandIn {
public:
    explicit ProgrammerStandIn(const std::string& folder) : folder(folder) {}

    // Copies the stand-in into the folder; without this the program finds no programmer.
    ::testing::AssertionResult install() const;
    ::testing::AssertionResult remove() const;

    void setExitCode(int code) const;
    // How long each run waits before it ends.
    void setRunTime(DWORD milliseconds) const;

    // The parameter line of the last run; empty when it never ran.
    std::string params() const;
    // How many times it was started.
    int runs() const;
    // Waits until it has been started at least count times; false after timeoutMs.
    bool waitForRuns(int count, DWORD timeoutMs) const;

private:
    std::string folder;
};

// Whole-file helpers for the small files the tests exchange with the stand-in.
bool writeTextFile(const std::string& path, const std::string& text);
std::string readTextFile(const std::string& path);
