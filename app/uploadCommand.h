// The window's side of the programmer's runs: the upload button, which starts a flash or, while
// any run goes, asks it to stop; the system menu's read-back and comparison of the board; and
// the state of the run the window depends on.
//
// Top floor (app/, the window): may include every floor below it.
#pragma once

#include <windows.h>

#include "programming/programmer.h"

// Handler of the upload button.
void uploadFirmware();
// Handlers of "Save the board's firmware as..." and "Verify the board against a file...".
void saveBoardFirmwareAs();
void verifyBoardAgainstFile();
// Puts those two on the window's system menu.
void addBoardCommands(HWND window);

// The programmer runs (a flash, a read-back or a comparison).
bool isFlashing();
// The programmer writes to the board: a flash, which must not be cut off by a shutdown.
bool isWritingBoard();
// What the programmer does while isFlashing().
BoardTask boardTaskRunning();
// The window was closed during a flash and goes once the programmer has stopped.
bool isClosingAfterFlash();
// The user chose to close the window during a flash: the programmer is asked to stop, and the
// window is destroyed once it has.
void stopFlashAndClose();
// Ends the running programmer, and everything it started, at once: the Windows session ends,
// and the process may be gone before the flash's loop comes round.
void endProgrammerNow();
