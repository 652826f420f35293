// What a run takes over from the last one and leaves for the next (the settings file,
// settings.h): the firmware file, the port, the window's place, log to file and the commands
// sent.
//
// Top floor (app/, the window): may include every floor below it.
#pragma once

#include "settings.h"

// At start-up, with the controls prepared and before the window is shown: the firmware file
// when it still exists, log to file with its file, the window where it was (moved onto a
// screen when it is on none), the commands sent for recalling. The port scan selects the
// remembered port itself.
void restoreSettings(const Settings& remembered);

// Writes what the window holds now, when it differs from what was written last: after every
// command, and when the window closes or the session ends.
void rememberSettings();
