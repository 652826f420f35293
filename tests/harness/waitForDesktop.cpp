// Brings up Wine's desktop on the test display before the first test runs, and waits
// until a window can be created there. Without it, the first programs that start at
// the same moment race the desktop's start-up and can fail to create their windows.
#include <windows.h>

int main()
{
    for (int attempt = 0; attempt < 200; ++attempt) {
        HWND window = CreateWindowA("STATIC", "ready", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                    GetModuleHandleA(nullptr), nullptr);
        if (window != nullptr) {
            DestroyWindow(window);
            return 0;
        }
        Sleep(50);
    }
    return 1;
}
