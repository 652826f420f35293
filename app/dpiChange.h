// The window on a screen of another scale: WM_DPICHANGED moves it to the rectangle Windows
// suggests and lays it out again at the new DPI (the dialog font at that size, every control
// where the template puts it at that scale). Where the dialog manager does that itself (per-
// monitor v2), it is left to it.
//
// Top floor (app/, the window): may include every floor below it.
#pragma once

#include <windows.h>

// Handles WM_DPICHANGED; false when the message is the dialog manager's to handle.
bool layOutForDpi(HWND window, UINT dpi, const RECT& suggested);
