// LoaderApp: one running VexlorLoader.exe, driven from outside as a user would drive it.
//
// Every end-to-end test owns one LoaderApp. It starts the real program in a fresh, empty
// working folder, finds the main window by class, caption and process (so another instance
// never confuses it), and talks to it only through window messages. Everything that waits
// is bounded, and the destructor ends a program still running and removes the folder, so a
// failing test leaves nothing behind.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "waitFor.h"

// A top-level dialog box the program opened (a message box, for instance).
struct MessageBoxInfo {
    HWND window = nullptr; // null: no box was found
    std::string caption;
    std::string text;
};

class LoaderApp {
public:
    // waitForExit's result while the program is still running.
    static constexpr DWORD kStillRunning = STILL_ACTIVE;

    // Makes the working folder; the program starts only with start(), so a test can put
    // files into workFolder() first.
    LoaderApp();
    ~LoaderApp();
    LoaderApp(const LoaderApp&) = delete;
    LoaderApp& operator=(const LoaderApp&) = delete;

    const std::string& workFolder() const { return folder; }

    // What the program remembered from its last run is forgotten before it starts, unless this
    // is set (a test of a restart).
    bool keepSettings = false;

    // Starts the program (the build's own, unless another is named) with arguments and waits
    // until its main window is shown and has a status.
    ::testing::AssertionResult start(const std::string& program = std::string(),
                                     DWORD timeoutMs = 60000,
                                     const std::string& arguments = std::string());

    HWND mainWindow() const { return main; }
    DWORD processId() const { return process.dwProcessId; }
    HWND control(int id) const;
    std::string windowCaption() const;

    std::string text(int id) const;
    ::testing::AssertionResult setText(int id, const std::string& text);
    // The entries of a combo box, in the order it lists them.
    std::vector<std::string> listItems(int id) const;
    // Picks an entry of a combo box, as a user does from its drop-down list.
    ::testing::AssertionResult selectListItem(int id, const std::string& item);
    bool isEnabled(int id) const;
    bool isVisible(int id) const;

    // Posts a button click the way the button itself reports one; call settle() to wait for it.
    // A toggle (upload, logging) is clicked at a person's pace: never within the double-click
    // time of the last click on it, which the program takes for that click's second.
    void click(int id);
    // Double-clicks the control with the mouse: two real clicks on the X display (xdotool), at
    // the pace of a quick double-click. Returns once both clicks were made.
    ::testing::AssertionResult doubleClick(int id);
    // Presses keys on the X display (xdotool's names: "ctrl+f", "F3") into the program's window
    // with the focus, the main window brought forward first. Returns once they were pressed.
    ::testing::AssertionResult typeKeys(const std::string& keys);
    // Returns once the double-click time has passed since the last click on the toggle id.
    void waitOutDoubleClick(int id);
    // Posts a key press (down and up) to a control, then settles.
    ::testing::AssertionResult pressKey(int id, UINT virtualKey);
    // Returns once the program has handled every message posted to it before the call.
    // While the program shows a modal dialog or box, that box's own loop handles the
    // marker: settle() then returns while the handler that opened the box still waits.
    ::testing::AssertionResult settle(DWORD timeoutMs = kCatchUpMs);

    // A dialog box of the program; with ownedByMain, only one owned by the main window.
    MessageBoxInfo findMessageBox(bool ownedByMain = false) const;
    MessageBoxInfo waitForMessageBox(DWORD timeoutMs, bool ownedByMain = false) const;
    // A dialog box of the program that owner owns (null: any).
    MessageBoxInfo findBoxOwnedBy(HWND owner) const;
    MessageBoxInfo waitForBoxOwnedBy(HWND owner, DWORD timeoutMs) const;
    void dismiss(HWND box);
    // Waits until the window is destroyed (a dismissed box, for one).
    ::testing::AssertionResult waitUntilGone(HWND window, DWORD timeoutMs = kCatchUpMs) const;

    // "Select &File" and its open-file dialog: types path into the dialog's file-name box
    // and presses Open, or presses Cancel; returns once the program has taken the outcome.
    ::testing::AssertionResult chooseFile(const std::string& path);
    ::testing::AssertionResult cancelFileChoice();
    // A command of the window's system menu, as the menu sends it.
    void systemCommand(UINT command);
    // A system-menu command that opens a save dialog titled caption: types path into it and
    // presses Save (Cancel when path is null); returns once the program has taken the outcome.
    ::testing::AssertionResult chooseSaveFile(UINT command, const std::string& caption,
                                              const std::string* path);

    // The control's pixels as the screen shows them (32-bit rows, top row first). Read from
    // the screen, not asked of the program, so it also works while the program is busy.
    std::vector<unsigned char> screenPixels(int id) const;
    // The main window as the screen shows it, written to a 24-bit BMP file.
    ::testing::AssertionResult saveScreenshot(const std::string& path) const;

    // Handles the program holds now (for leak checks across repeated actions).
    DWORD handleCount() const;
    // The program's private memory in bytes.
    SIZE_T privateBytes() const;
    bool isRunning() const;

    // Windows asks whether the session may end (shutdown, restart, log-off), then ends it
    // anyway, as a forced shutdown does; allowed is the program's answer to the question.
    ::testing::AssertionResult endSession(bool& allowed);
    // Closes the window the way its caption's close button does.
    void closeByCaptionButton();
    // The program's exit code, or kStillRunning when it has not ended within timeoutMs.
    DWORD waitForExit(DWORD timeoutMs);

private:
    bool findMainWindow();
    ::testing::AssertionResult waitForMainWindow(DWORD timeoutMs);
    ::testing::AssertionResult waitForMarker(DWORD started, DWORD timeoutMs);
    // Runs xdotool with arguments on the X display; returns once it has finished.
    ::testing::AssertionResult runXdotool(const std::string& arguments);
    // Answers the file dialog that is opening: with a path, Open or Save; with null, Cancel.
    ::testing::AssertionResult answerFileDialog(const char* caption, const std::string* path);

    std::string folder;
    PROCESS_INFORMATION process = {};
    HWND main = nullptr;
    // When the toggles were last clicked (tick counts, taken after the click was made).
    std::map<int, DWORD> toggleClicked;
};

// Runs the program once with a command line, as a script would: in folder, with folder first
// on PATH (as LoaderApp::start does), its standard output and error going to a file. Returns
// its exit code (LoaderApp::kStillRunning when it had not ended within timeoutMs, after which
// it is ended) and what it wrote.
DWORD runWithArguments(const std::string& arguments, const std::string& folder,
                       std::string& output, DWORD timeoutMs = 60000);
// The same for another program, exe (a Windows path).
DWORD runCapturingOutput(const std::string& exe, const std::string& arguments,
                         const std::string& folder, std::string& output,
                         DWORD timeoutMs = 60000);

// The same for a program or arguments the code page cannot write.
DWORD runCapturingOutput(const std::wstring& exe, const std::wstring& arguments,
                         const std::string& folder, std::string& output,
                         DWORD timeoutMs = 60000);

// The build's VexlorLoader.exe (a Windows path).
std::string programPath();
// text (in the code page) in wide characters.
std::wstring wide(const std::string& text);

// The file the program keeps its settings in between runs.
std::wstring settingsFilePath();

// How many processes of the prefix run the executable named exeName ("avrdude.exe").
int processesNamed(const char* exeName);
