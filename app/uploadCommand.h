// The window's side of the upload workflow: the upload button, which starts a flash or, while
// one runs, asks it to stop, and the state of the flash run the window depends on.
//
// Top floor (app/, the window): may include every floor below it.
#pragma once

// Handler of the upload button.
void uploadFirmware();

// The programmer runs.
bool isFlashing();
// The window was closed during a flash and goes once the programmer has stopped.
bool isClosingAfterFlash();
// The user chose to close the window during a flash: the programmer is asked to stop, and the
// window is destroyed once it has.
void stopFlashAndClose();
// Ends the running programmer, and everything it started, at once: the Windows session ends,
// and the process may be gone before the flash's loop comes round.
void endProgrammerNow();
