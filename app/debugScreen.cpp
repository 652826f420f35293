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
