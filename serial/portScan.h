// Which serial ports exist (the port list) and whether one is free right now (the probe).
#pragma once

#include <windows.h>

#include <string>

enum PortProbeResult { PORT_FREE = 0, PORT_IN_USE = 1, PORT_NOT_FOUND = 2 };

// Fills the port list at start-up: the system's ports and COM1 to COM49 tried, selecting the
// remembered port (by its device, then by its name), else the only Mega 2560, else the first.
void scanPortsAtStart(HWND window, const std::string& rememberedPort,
                      const std::string& rememberedDevice);
// "Scan Available Ports": the list rebuilt the same way, keeping what is selected or typed
// when it is still there, or selecting a Mega 2560 that was plugged in since.
void scanPorts(HWND window);
// The list brought up to date after a device arrived or left: as a scan, but only from the
// system's device list, so no port is opened (that resets a board).
void refreshPorts(HWND window);
// The device behind the port the list shows, empty when the system does not know it.
std::string shownPortDevice(HWND window);

// Opens and closes the named port once; tells free, in use or not found.
int probePort(HWND window, const char* portName);
