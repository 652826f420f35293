// The window's state record and its start-up values.
//
// Top floor (app/, the window): may include every floor below it.
#include "appState.h"

AppState app;

void resetAppState()
{
    app = AppState();
}
