// The debug screen's check box: the trace's switch and its console.
//
// Top floor (app/, the window): may include every floor below it.
#include "debugScreen.h"

#include "platform/trace.h"

void toggleDebugConsole()
{
    bool on = !tracing();
    setTracing(on);
    if (on) {
        openDebugConsole("Vexlor Loader Debug screen");
    } else {
        closeDebugConsole();
    }
    trace("Debug mode activated\n");
}
