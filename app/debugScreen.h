// The "Application Debug Screen" check box: a console that shows the trace lines while it is
// ticked.
//
// Top floor (app/, the window): may include every floor below it.
#pragma once

// Handler of the check box: opens the console and switches tracing on, or closes it and
// switches tracing off.
void toggleDebugConsole();
