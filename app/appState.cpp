// The process-wide state record and its start-up values.
#include "appState.h"

#include <string.h>

AppState app;

void resetAppState()
{
    memset(&app, 0, sizeof app);
    lstrcpynA(app.devicePath, "COM1", sizeof app.devicePath);
}
