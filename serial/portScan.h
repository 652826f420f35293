// Which serial ports exist (the port list) and whether one is free right now (the probe).
#pragma once

#include <windows.h>

enum PortProbeResult { PORT_FREE = 0, PORT_IN_USE = 1, PORT_NOT_FOUND = 2 };

// Rebuilds the port list from COM1 to COM49 and selects its first entry.
void scanPorts(HWND window);

// Opens and closes the named port once; tells free, in use or not found.
int probePort(HWND window, const char* portName);
