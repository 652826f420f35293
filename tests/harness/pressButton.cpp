// Works the running program's main window from outside, for the run script's screenshots when
// no one is at the display:
//   pressButton.exe ID              presses the button with that identifier, as a click does
//   pressButton.exe text ID TEXT    puts TEXT into the control
//   pressButton.exe pick ID INDEX   selects entry INDEX of the combo box
//   pressButton.exe answer          closes the program's message box with OK, printing its text
//   pressButton.exe menu            opens the window's system menu, as Alt+Space does
//   pressButton.exe endmenu         closes an open menu again
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

HWND findMainWindow()
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        HWND main = FindWindowA("AidDev", "Vexlor Loader V1.05");
        if (main != nullptr) {
            return main;
        }
        Sleep(100);
    }
    return nullptr;
}

// The message box the main window owns, waiting up to ten seconds for it.
HWND findMessageBox(HWND main)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        HWND box = nullptr;
        while ((box = FindWindowExA(nullptr, box, "#32770", nullptr)) != nullptr) {
            if (GetWindow(box, GW_OWNER) == main) {
                return box;
            }
        }
        Sleep(100);
    }
    return nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    HWND main = findMainWindow();
    if (main == nullptr || argc < 2) {
        return 1;
    }
    if (strcmp(argv[1], "text") == 0 && argc >= 4) {
        SendMessageA(GetDlgItem(main, atoi(argv[2])), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(argv[3]));
    } else if (strcmp(argv[1], "pick") == 0 && argc >= 4) {
        SendMessageA(GetDlgItem(main, atoi(argv[2])), CB_SETCURSEL, atoi(argv[3]), 0);
    } else if (strcmp(argv[1], "menu") == 0) {
        SetForegroundWindow(main);
        PostMessageA(main, WM_SYSCOMMAND, SC_KEYMENU, ' ');
    } else if (strcmp(argv[1], "endmenu") == 0) {
        PostMessageA(main, WM_CANCELMODE, 0, 0);
    } else if (strcmp(argv[1], "answer") == 0) {
        HWND box = findMessageBox(main);
        if (box == nullptr) {
            return 1;
        }
        char caption[64] = "";
        GetWindowTextA(box, caption, sizeof caption);
        printf("%s\n", caption);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    } else {
        int id = atoi(argv[1]);
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(main, id)));
    }
    return 0;
}
