// Typed commands and the gateway's debug switch, both only while log mode runs.
#include "gatewayCommands.h"

#include <windows.h>

#include <string.h>

#include "app/appState.h"
#include "app/ui.h"
#include "logMode.h"
#include "platform/trace.h"
#include "resource.h"
#include "serial/serial.h"

static_assert(sizeof app.commandBuffer == kLongestCommand + 2, "the command, its line feed, NUL");

bool isValidCommandLength(int length)
{
    return length >= kShortestCommand;
}

void sendTypedCommand()
{
    trace("Stop timer\n");
    stopPollTimer();
    GetDlgItemTextA(app.mainWindow, IDC_COMMAND_FIELD, app.commandBuffer, kLongestCommand + 1);
    int length = static_cast<int>(strlen(app.commandBuffer));
    if (!isValidCommandLength(length)) {
        trace("Not a valid command (%d)\n", length);
        MessageBoxA(app.mainWindow, "Not a valid command", "Error", MB_OK);
        armPollTimer();
        return;
    }

    app.commandBuffer[length] = '\n';
    app.commandBuffer[length + 1] = '\0';
    int count = length + 1;
    trace("Send command (%d) [%s]\n", count, app.commandBuffer);
    sendGatewayCommand(app.commandBuffer);
    if (readGatewayResponse("Read command response\n") > 0) {
        showGatewayText();
    }
    trace("Start timer\n");
    armPollTimer();
    trace("Logging...\n");
}

void toggleGatewayDebug()
{
    app.gatewayDebugOn = app.gatewayDebugOn ? 0 : 1;
    showControlStates();
    paintNow();
    if (app.gatewayDebugOn) {
        trace("Send debug ON command\n");
        sendGatewayCommand("10;rfdebug=on;\n");
    } else {
        trace("Send debug OFF command\n");
        sendGatewayCommand("10;rfdebug=off;\n");
    }
    if (readGatewayResponse("Read debug command response\n") > 0) {
        showGatewayText();
    }
    trace("Logging...\n");
}
