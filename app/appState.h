// The window's own state: its handle and the click that started a flash or log mode. What a
// flash run, log mode, the firmware field and the port list hold is kept by the part of app/
// that changes it (uploadCommand, logModeCommands, firmwareField, portListControl); the
// subsystems below hold none of it.
//
// Top floor (app/, the window): may include every floor below it.
#pragma once

#include <windows.h>

struct AppState {
    HWND mainWindow;
    int startingClickOf;        // the toggle whose click started a flash or log mode, or tried to
    DWORD startingClickTime;    // that click's message time, against a double-click's second
};

extern AppState app;

// Puts every field back to its start-up value (used at start-up and by tests).
void resetAppState();
