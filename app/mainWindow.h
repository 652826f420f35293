// The window procedure of class "AidDev": the message table and the command table.
#pragma once

#include <windows.h>

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The small handlers that belong to the window itself.
void onBaudRadio(int clickedId);
void clearLog();
