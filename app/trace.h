// Trace lines: the program's only diagnostic channel, written to the debug console
// while "Application Debug Screen" is ticked and nowhere otherwise.
#pragma once

#include <windows.h>

// printf-style; writes only while debug mode is on. %p prints 8 upper-case hex digits.
void trace(const char* format, ...);

// Opens an operation's trace: a line of 30 dashes, then the header.
void traceSection(const char* header);

// Handler of the "Application Debug Screen" check box.
void toggleDebugConsole();

// Takes the close command off a window's system menu. The debug console gets this: its close
// box would end the whole program, even in the middle of a flash; unticking the check box
// closes it instead.
void removeCloseCommand(HWND window);
// Turns Quick Edit off for the process's console: with it on (the default), a selection in the
// console stops every write to it, and so the whole window, in the middle of a flash too.
void disableQuickEdit();
