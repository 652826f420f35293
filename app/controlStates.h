// Which controls a user may work and what the toggles read, derived in one place from what the
// program is doing; and whether a command may run now. Every handler asks first, so a posted
// command, a second click of a double-click or a menu item cannot do what its control could not.
//
// Top floor (app/, the window): may include every floor below it.
#pragma once

#include <windows.h>

#include "programming/programmer.h"

// What the controls depend on.
struct ProgramState {
    bool flashing = false;      // the programmer runs
    BoardTask boardTask = TASK_FLASH; // what it does then
    bool logging = false;       // log mode is on (starting, running, or waiting for a lost port)
    bool gatewayOpen = false;   // log mode has its port open and the gateway answered
    bool fileChosen = false;    // a firmware file was chosen, dropped or given
    bool gatewayDebugOn = false;
    // The toggle (upload or logging button) whose click started a flash or log mode, or tried
    // to, within the double-click time of the message being handled; 0 for none. Its second
    // click of a double-click must not undo what the first one did.
    int doubleClickOf = 0;
};

struct ControlStates {
    bool uploadEnabled;
    const char* uploadLabel;  // "Stop programming" while flashing ("Stop reading", ...)
    bool choosingEnabled;     // file, scan, port and board lists, logging: locked while flashing
    bool gatewayCommandsEnabled;
    bool loggingOnShown;      // the ON label beside "Serial Port Logging", else OFF
    bool gatewayDebugOnShown;
    bool logFileCommandsEnabled;
    bool boardCommandsEnabled; // the read-back and the comparison: the port must be free
};

ControlStates controlStatesFor(const ProgramState& state);

// Whether command (a control or system-menu identifier; IDC_SELECT_FILE_BUTTON also for a file
// dropped on the window) may run in state.
bool mayRun(int command, const ProgramState& state);

// The state as the program holds it now, for the message being handled.
ProgramState programState();

// Notes the time of the click being handled, when it starts a flash or log mode (or tries to).
// Only that time decides: the second click of a double-click is ignored however late it is
// handled, also after a refused start's box was closed or a flash has ended, as its own message
// time still falls within the double-click time of the first.
void noteStartingClick(int command, const ProgramState& state);
