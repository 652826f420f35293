// The stand-in programmer (tests/fixtures/standInProgrammer.cpp) as an upload test uses it:
// put into the program's working folder as avrdude.exe, told how to end, and asked what
// it was given. The program finds it there because the working folder leads its PATH
// (LoaderApp starts it so), as a programmer installed on PATH would be found.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

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
    // What each run writes to its standard output before that wait, byte for byte.
    void say(const std::string& text) const;
    // How long each run sleeps after every "#" it writes, so that progress arrives over time.
    void pace(DWORD milliseconds) const;
    // Each run first starts a copy of itself that sleeps until it is ended.
    void withChild() const;

    // The parameter line of the last run; empty when it never ran.
    std::string params() const;
    // How many times it was started.
    int runs() const;
    // Waits until it has been started at least count times; false after timeoutMs.
    bool waitForRuns(int count, DWORD timeoutMs) const;
    // The process id of the last run, 0 when it never ran; recorded before the run counts.
    DWORD pid() const;
    // The process ids of the copies the runs started, oldest first; each is recorded before
    // the run that started it counts.
    std::vector<DWORD> childPids() const;

private:
    std::string folder;
};

// Whole-file helpers for the small files the tests exchange with the stand-in.
bool writeTextFile(const std::string& path, const std::string& text);
std::string readTextFile(const std::string& path);
