// The one record of application state. Every handler works on this instance,
// on the GUI thread only, for the whole life of the process.
#pragma once

#include <windows.h>

class Serial;

struct AppState {
    char devicePath[20];        // "\\.\" + portName, rebuilt at each start of log mode
    char commandBuffer[100];    // the typed gateway command and its line feed
    char portName[88];          // the selected entry of the port list
    char displayBuffer[128000]; // staging copy of what is inserted into the log view
    char receiveBuffer[128000]; // bytes read from the gateway, NUL-terminated
    Serial* connection;         // the log-mode connection, null while none is open
    int loggingOn;
    int gatewayDebugOn;
    int boardIndex;
    int fileChosen;
    char programmerParams[1040];
    char firmwarePath[1024];
    int portStatus;             // outcome of the last Serial construction, 0 to 4
    HWND mainWindow;
    int flashing;               // 1 while the programmer runs
    int stopRequested;          // the user asked to stop the running programmer
    int closeAfterFlash;        // the window was closed during a flash: end once it stopped
    int portLost;               // 1 while log mode waits for its lost port to come back
    int startingClickOf;        // the toggle whose click started a flash or log mode, or tried to
    DWORD startingClickTime;    // that click's message time, against a double-click's second
};

extern AppState app;

// Puts every field back to its start-up value (used at start-up and by tests).
void resetAppState();
