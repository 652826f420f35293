// A fixture that builds the program's real main window inside the test process, from
// the same template and window procedure, so UI operations run against real controls.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    HWND control(int id) const;
    std::string text(int id) const;
    // Handles every message waiting for this thread, as the message loop would.
    void pumpMessages() const;
};

// Captures what trace writes to standard output while it is alive.
class CapturedOutput {
public:
    CapturedOutput();
    ~CapturedOutput();
    // Stops capturing and returns everything written meanwhile.
    std::string finish();

private:
    char path[MAX_PATH];
    int savedDescriptor;
    bool finished;
};

// Answers the first message box this process opens, from a second thread as a user would:
// notes its caption and text, then presses OK. Watches for ten seconds at most.
class BoxAnswerer {
public:
    BoxAnswerer();
    ~BoxAnswerer();
    // Stops watching; caption and text then hold what the box showed (empty: no box).
    void finish();

    std::string caption;
    std::string text;

private:
    std::atomic<bool> stop;
    std::thread user;
};
