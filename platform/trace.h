// Trace lines: the program's only diagnostic channel, written to the debug console while tracing
// is on (the window's "Application Debug Screen") and nowhere otherwise.
//
// Ground floor (platform/): knows no feature, includes nothing of the program; every floor may
// use it.
#pragma once

#include <windows.h>

// printf-style; writes only while tracing is on. %p prints 8 upper-case hex digits.
void trace(const char* format, ...);

// Opens an operation's trace: a line of 30 dashes, then the header.
void traceSection(const char* header);

// Whether trace lines are written.
bool tracing();
// Switches trace lines on or off; they go to standard output until a debug console is open.
void setTracing(bool on);

// Opens a console of the process's own, titled title, and sends the trace lines there. It has no
// close command (its close box would end the whole program, even in the middle of a flash) and no
// Quick Edit (a selection in it would stop every write, and so the whole window).
void openDebugConsole(const char* title);
// Closes it again; trace lines go back to standard output.
void closeDebugConsole();

// Takes the close command off a window's system menu.
void removeCloseCommand(HWND window);
// Turns Quick Edit off for the process's console.
void disableQuickEdit();
