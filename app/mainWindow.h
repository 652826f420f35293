// The window procedure of class "AidDev": the message table and the command table.
//
// Top floor (app/, the window): may include every floor below it.
#pragma once

#include <windows.h>

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The small handlers that belong to the window itself.
void onBaudRadio(int clickedId);
void clearLog();
