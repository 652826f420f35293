// Presses one button of the running program's main window, as a click would:
//   pressButton.exe ID
// Used by the run script to show log mode working when no one is at the display.
#include <windows.h>

#include <stdlib.h>

int main(int argc, char** argv)
{
    if (argc < 2) {
        return 2;
    }
    int id = atoi(argv[1]);
    for (int attempt = 0; attempt < 100; ++attempt) {
        HWND main = FindWindowA("AidDev", "Vexlor Loader V1.05");
        if (main != nullptr) {
            PostMessageA(main, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(main, id)));
            return 0;
        }
        Sleep(100);
    }
    return 1;
}
