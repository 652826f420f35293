// Shared UI operations and the window procedure, against the real main window.
#include <gtest/gtest.h>

#include <string>

#include "appState.h"
#include "mainWindow.h"
#include "resource.h"
#include "startup.h"
#include "testWindow.h"
#include "ui.h"

namespace {

using UiTest = MainWindowTest;

void setCaret(HWND edit, int start, int end)
{
    SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(start), end);
}

TEST_F(UiTest, StatusLineShowsTheLastText)
{
    setStatusLine("Scanning for serial ports..");
    setStatusLine("OK");
    EXPECT_EQ(text(IDC_STATUS_LINE), "OK");
}

TEST_F(UiTest, LogInsertsShowLongTextsWhole)
{
    prepareControls(); // raises the log view's limit as start-up does
    std::string line(5000, 'a');
    line[1022] = 'X';
    line[4999] = 'Z';
    appendToLogEnd(line.c_str());
    EXPECT_EQ(text(IDC_LOG_VIEW), line);

    // Longer than the staging buffer itself: still every character, in order.
    std::string huge;
    for (int i = 0; huge.size() < 200000; ++i) {
        huge += "line " + std::to_string(i) + "\r\n";
    }
    SetDlgItemTextA(app.mainWindow, IDC_LOG_VIEW, "");
    appendToLogEnd(huge.c_str());
    std::string shown = text(IDC_LOG_VIEW);
    EXPECT_EQ(shown.size(), huge.size());
    EXPECT_TRUE(shown == huge) << "the inserted text differs from what was sent";
}

// Text goes after the last character whatever the caret; a user away from the end keeps the
// selection, one at the end stays there.
TEST_F(UiTest, TextGoesToTheEndAndASelectionAwayFromItStays)
{
    SetDlgItemTextA(app.mainWindow, IDC_LOG_VIEW, "abcdef");
    setCaret(control(IDC_LOG_VIEW), 1, 4);
    appendToLogEnd("XY");
    EXPECT_EQ(text(IDC_LOG_VIEW), "abcdefXY");
    DWORD start = 0;
    DWORD end = 0;
    SendMessageA(control(IDC_LOG_VIEW), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 1u);
    EXPECT_EQ(end, 4u);

    setCaret(control(IDC_LOG_VIEW), 8, 8);
    appendToLogEnd("!");
    SendMessageA(control(IDC_LOG_VIEW), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 9u) << "at the end, the caret follows";
}

// The port read is what the list shows now: its selected entry, or a name typed over it, and
// never the port of an earlier action.
TEST_F(UiTest, PortNameIsWhatThePortListShows)
{
    HWND ports = control(IDC_PORT_LIST);
    SendMessageA(ports, CB_RESETCONTENT, 0, 0);
    std::string port = "COM7";
    EXPECT_FALSE(readShownPortName("Programming Arduino:\n", port)) << "an empty list names no port";

    SendMessageA(ports, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("COM3"));
    SendMessageA(ports, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("COM10"));
    SendMessageA(ports, CB_SETCURSEL, 1, 0);
    EXPECT_TRUE(readShownPortName("Programming Arduino:\n", port));
    EXPECT_EQ(port, "COM3");

    SetWindowTextA(ports, " com12 ");
    EXPECT_TRUE(readShownPortName("Programming Arduino:\n", port));
    EXPECT_EQ(port, "COM12") << "a typed name replaces the selected entry";

    SetWindowTextA(ports, std::string(3000, 'x').c_str());
    EXPECT_FALSE(readShownPortName("Programming Arduino:\n", port));
    EXPECT_EQ(port, "") << "text that names no port leaves no earlier port in force";
}

TEST_F(UiTest, BaudRadioClickLeavesExactlyThatRadioChecked)
{
    const int radios[] = {IDC_BAUD_19200, IDC_BAUD_38400, IDC_BAUD_57600, IDC_BAUD_115200};
    for (int clicked : radios) {
        SendMessageA(app.mainWindow, WM_COMMAND, MAKEWPARAM(clicked, BN_CLICKED),
                     reinterpret_cast<LPARAM>(control(clicked)));
        for (int id : radios) {
            EXPECT_EQ(SendMessageA(control(id), BM_GETCHECK, 0, 0),
                      id == clicked ? BST_CHECKED : BST_UNCHECKED)
                << "clicked " << clicked << ", radio " << id;
        }
    }
}

TEST_F(UiTest, OnlyPlainCommandsAreDispatched)
{
    SetDlgItemTextA(app.mainWindow, IDC_LOG_VIEW, "kept");
    // A notification (here EN_CHANGE-like code 0x300) from the button is not a click.
    SendMessageA(app.mainWindow, WM_COMMAND, MAKEWPARAM(IDC_CLEAR_LOG_BUTTON, 0x300), 0);
    EXPECT_EQ(text(IDC_LOG_VIEW), "kept");
    SendMessageA(app.mainWindow, WM_COMMAND, MAKEWPARAM(IDC_CLEAR_LOG_BUTTON, BN_CLICKED), 0);
    EXPECT_EQ(text(IDC_LOG_VIEW), "");
}

TEST_F(UiTest, EnterAndEscCommandsChangeNothing)
{
    prepareControls();
    SetDlgItemTextA(app.mainWindow, IDC_LOG_VIEW, "log");
    SetDlgItemTextA(app.mainWindow, IDC_PATH_FIELD, "C:\\fw.cpp.hex");
    SendMessageA(app.mainWindow, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    SendMessageA(app.mainWindow, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    pumpMessages();
    EXPECT_TRUE(IsWindow(app.mainWindow));
    EXPECT_EQ(text(IDC_LOG_VIEW), "log");
    EXPECT_EQ(text(IDC_PATH_FIELD), "C:\\fw.cpp.hex");
    EXPECT_EQ(text(IDC_STATUS_LINE), "OK");
}

TEST_F(UiTest, EscInTheLogViewIsSwallowedElsewhereNot)
{
    MSG escape = {};
    escape.message = WM_KEYDOWN;
    escape.wParam = VK_ESCAPE;
    escape.hwnd = control(IDC_LOG_VIEW);
    EXPECT_TRUE(isSwallowedKey(escape, app.mainWindow));
    escape.message = WM_CHAR;
    escape.wParam = 0x1B;
    EXPECT_TRUE(isSwallowedKey(escape, app.mainWindow));

    MSG other = escape;
    other.hwnd = control(IDC_PORT_LIST); // Esc still closes an open drop-down list
    EXPECT_FALSE(isSwallowedKey(other, app.mainWindow));
    other = escape;
    other.message = WM_KEYDOWN;
    other.wParam = VK_RETURN;
    EXPECT_FALSE(isSwallowedKey(other, app.mainWindow));
}

// A restore from the system menu clears the focus; the system sets its own flags in the low
// four bits (a caption double-click does), and such a restore is one all the same.
TEST_F(UiTest, RestoreClearsTheFocusWithOrWithoutTheSystemsFlags)
{
    for (WPARAM command : {WPARAM{SC_RESTORE}, WPARAM{SC_RESTORE | 2}}) {
        SetFocus(control(IDC_PATH_FIELD));
        ASSERT_EQ(GetFocus(), control(IDC_PATH_FIELD));
        EXPECT_EQ(SendMessageA(app.mainWindow, WM_SYSCOMMAND, command, 0), 0);
        EXPECT_EQ(GetFocus(), nullptr) << std::hex << command;
    }
}

// The window procedure greys Maximize and Size whenever a menu is about to open. (Wine greys
// both itself for a window without a sizing frame, so a real menu loop would not show a
// missing handler: the handler gets a menu with both items enabled instead.)
TEST_F(UiTest, OpeningTheSystemMenuGreysMaximizeAndSize)
{
    for (UINT message : {WM_INITMENU, WM_INITMENUPOPUP}) {
        HMENU menu = CreatePopupMenu();
        AppendMenuA(menu, MF_STRING, SC_RESTORE, "Restore");
        AppendMenuA(menu, MF_STRING, SC_SIZE, "Size");
        AppendMenuA(menu, MF_STRING, SC_MAXIMIZE, "Maximize");
        AppendMenuA(menu, MF_STRING, SC_CLOSE, "Close");
        LRESULT result = SendMessageA(app.mainWindow, message, reinterpret_cast<WPARAM>(menu),
                                      message == WM_INITMENUPOPUP ? MAKELPARAM(0, TRUE) : 0);
        EXPECT_EQ(result, 0);
        EXPECT_TRUE(GetMenuState(menu, SC_MAXIMIZE, MF_BYCOMMAND) & MF_GRAYED) << message;
        EXPECT_TRUE(GetMenuState(menu, SC_SIZE, MF_BYCOMMAND) & MF_GRAYED) << message;
        EXPECT_FALSE(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED) << message;
        DestroyMenu(menu);
    }
}

TEST_F(UiTest, SystemMenuCarriesTheLogFileAndBoardCommands)
{
    HMENU menu = GetSystemMenu(app.mainWindow, FALSE);
    char label[64] = "";
    GetMenuStringA(menu, IDM_SAVE_LOG_AS, label, sizeof label, MF_BYCOMMAND);
    EXPECT_STREQ(label, "Save log as...");
    GetMenuStringA(menu, IDM_LOG_TO_FILE, label, sizeof label, MF_BYCOMMAND);
    EXPECT_STREQ(label, "Log to file...");
    EXPECT_FALSE(GetMenuState(menu, IDM_LOG_TO_FILE, MF_BYCOMMAND) & MF_CHECKED);
    int logToFile = 0;
    while (GetMenuItemID(menu, logToFile) != IDM_LOG_TO_FILE && logToFile < GetMenuItemCount(menu)) {
        ++logToFile;
    }
    EXPECT_EQ(GetMenuItemID(menu, logToFile + 1), static_cast<UINT>(IDM_DAILY_LOG_FILES));
    GetMenuStringA(menu, logToFile + 1, label, sizeof label, MF_BYPOSITION);
    EXPECT_STREQ(label, "New log file each day");
    GetMenuStringA(menu, IDM_FIND, label, sizeof label, MF_BYCOMMAND);
    EXPECT_STREQ(label, "Find...\tCtrl+F");
    GetMenuStringA(menu, IDM_SHOW_TIMES, label, sizeof label, MF_BYCOMMAND);
    EXPECT_STREQ(label, "Show times in the log");
    GetMenuStringA(menu, IDM_SAVE_BOARD_FIRMWARE, label, sizeof label, MF_BYCOMMAND);
    EXPECT_STREQ(label, "Save the board's firmware as...");
    GetMenuStringA(menu, IDM_VERIFY_BOARD, label, sizeof label, MF_BYCOMMAND);
    EXPECT_STREQ(label, "Verify the board against a file...");
    EXPECT_NE(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1)) << "the rest stays";
}

} // namespace
