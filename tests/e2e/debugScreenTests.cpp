// End-to-end checks of the debug screen: ticking "Application Debug Screen" opens a console
// that shows the program's trace lines, unticking closes it, and ticking again opens a new one.
#include <gtest/gtest.h>

#include <string>

#include "loaderApp.h"
#include "resource.h"

namespace {

// The text of the program's console, read by attaching to it; empty when it has none.
std::string consoleText(DWORD processId)
{
    FreeConsole();
    if (!AttachConsole(processId)) {
        return std::string();
    }
    std::string text;
    HANDLE screen = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (screen != INVALID_HANDLE_VALUE && GetConsoleScreenBufferInfo(screen, &info)) {
        for (SHORT row = 0; row <= info.dwCursorPosition.Y; ++row) {
            std::string line(static_cast<size_t>(info.dwSize.X), ' ');
            DWORD read = 0;
            ReadConsoleOutputCharacterA(screen, &line[0], info.dwSize.X, COORD{0, row}, &read);
            line.resize(line.find_last_not_of(' ') + 1);
            text += line + "\n";
        }
    }
    if (screen != INVALID_HANDLE_VALUE) {
        CloseHandle(screen);
    }
    FreeConsole();
    // The cursor waits on the row after the last line.
    while (text.size() >= 2 && text.compare(text.size() - 2, 2, "\n\n") == 0) {
        text.pop_back();
    }
    return text == "\n" ? std::string() : text;
}

std::string consoleTitle(DWORD processId)
{
    FreeConsole();
    if (!AttachConsole(processId)) {
        return std::string();
    }
    char title[256] = "";
    GetConsoleTitleA(title, sizeof title);
    FreeConsole();
    return title;
}

TEST(DebugScreen, ShowsTraceLinesWhileTickedAndStartsAfreshEachTime)
{
    LoaderApp app;
    ASSERT_TRUE(app.start());
    EXPECT_EQ(consoleText(app.processId()), "") << "no console before the box is ticked";

    app.click(IDC_DEBUG_SCREEN_CHECK);
    ASSERT_TRUE(app.settle());
    EXPECT_EQ(consoleTitle(app.processId()), "Vexlor Loader Debug screen");
    EXPECT_EQ(consoleText(app.processId()), "Debug mode activated\n");

    app.click(IDC_CLEAR_LOG_BUTTON);
    ASSERT_TRUE(app.settle());
    EXPECT_EQ(consoleText(app.processId()), "Debug mode activated\nClear Log Window\n");

    app.click(IDC_DEBUG_SCREEN_CHECK);
    ASSERT_TRUE(app.settle());
    EXPECT_EQ(consoleText(app.processId()), "") << "unticking closes the console";
    app.click(IDC_CLEAR_LOG_BUTTON); // traced nowhere now
    ASSERT_TRUE(app.settle());

    app.click(IDC_DEBUG_SCREEN_CHECK);
    ASSERT_TRUE(app.settle());
    EXPECT_EQ(consoleText(app.processId()), "Debug mode activated\n");
    EXPECT_TRUE(app.isRunning());
}

} // namespace
