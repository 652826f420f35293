// The rules of the window's controls. The window itself is only touched by showControlStates
// (ui.cpp), which applies what controlStatesFor derives.
//
// Top floor (app/, the window): may include every floor below it.
#include "controlStates.h"

#include "appState.h"
#include "firmwareField.h"
#include "logModeCommands.h"
#include "resource.h"
#include "uploadCommand.h"

ControlStates controlStatesFor(const ProgramState& state)
{
    ControlStates states = {};
    // While log mode holds the port, the programmer could not have it.
    states.uploadEnabled = state.flashing || (state.fileChosen && !state.logging);
    const char* stopLabel = state.boardTask == TASK_READ     ? "Stop reading"
                            : state.boardTask == TASK_VERIFY ? "Stop verifying"
                                                             : "Stop programming";
    states.uploadLabel = state.flashing ? stopLabel : "Upload/Program Firmware to device";
    states.choosingEnabled = !state.flashing;
    states.gatewayCommandsEnabled = state.gatewayOpen && !state.flashing;
    states.loggingOnShown = state.logging;
    states.gatewayDebugOnShown = state.gatewayDebugOn;
    // Their dialogs' loops would keep the programmer's output from being read, its time limit
    // from being checked and "Stop programming" from being reached.
    states.logFileCommandsEnabled = !state.flashing;
    states.boardCommandsEnabled = !state.flashing && !state.logging;
    return states;
}

bool mayRun(int command, const ProgramState& state)
{
    switch (command) {
    case IDC_UPLOAD_BUTTON:
        // A typed path may be flashed without a chosen file; the port must be free of log mode.
        return state.doubleClickOf != command && (state.flashing || !state.logging);
    case IDC_LOGGING_BUTTON:
        return state.doubleClickOf != command && !state.flashing;
    case IDC_SEND_COMMAND_BUTTON:
    case IDC_GATEWAY_DEBUG_BUTTON:
        return controlStatesFor(state).gatewayCommandsEnabled;
    case IDM_SAVE_LOG_AS:
    case IDM_LOG_TO_FILE:
    case IDM_DAILY_LOG_FILES:
        return controlStatesFor(state).logFileCommandsEnabled;
    case IDM_SAVE_BOARD_FIRMWARE:
    case IDM_VERIFY_BOARD:
        return controlStatesFor(state).boardCommandsEnabled;
    case IDC_DEBUG_SCREEN_CHECK:
    case IDC_CLEAR_LOG_BUTTON:
    case IDM_FIND:
    case IDM_FIND_NEXT:
    case IDM_SHOW_TIMES:
        return true;
    default:
        // Choosing a file, scanning, the baud radios: nothing that could start beside a flash.
        return !state.flashing;
    }
}

ProgramState programState()
{
    ProgramState state;
    state.flashing = isFlashing();
    state.boardTask = boardTaskRunning();
    state.logging = isLogging();
    state.gatewayOpen = isGatewayOpen();
    state.fileChosen = isFileChosen();
    state.gatewayDebugOn = isGatewayDebugOn();
    // Message times are tick counts: the difference is right across their wrap-around too.
    DWORD sinceStart = static_cast<DWORD>(GetMessageTime()) - app.startingClickTime;
    state.doubleClickOf = sinceStart < GetDoubleClickTime() ? app.startingClickOf : 0;
    return state;
}

void noteStartingClick(int command, const ProgramState& state)
{
    bool starts = (command == IDC_UPLOAD_BUTTON && !state.flashing) ||
                  (command == IDC_LOGGING_BUTTON && !state.logging);
    if (starts) {
        app.startingClickOf = command;
        app.startingClickTime = static_cast<DWORD>(GetMessageTime());
    }
}
