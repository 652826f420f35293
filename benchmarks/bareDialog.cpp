// The baseline of the start-up benchmark: the main window's template as a bare dialog, with the
// same class, caption and controls, and nothing behind it (no port scan, no settings).
#include <windows.h>
#include <commctrl.h>

#include "resource.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefDlgProcA;
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "AidDev";
    RegisterClassA(&windowClass);
    HWND window =
        CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN_WINDOW), nullptr, nullptr, 0);
    if (window == nullptr) {
        return 1;
    }
    SetDlgItemTextA(window, IDC_STATUS_LINE, "OK"); // what the driver waits for, as in the program
    ShowWindow(window, showCommand);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return 0;
}
