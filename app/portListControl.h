// The port list control: its entries come from the serial ports found, and it is asked which
// port and device it shows.
//
// Top floor (app/, the window): may include every floor below it.
#pragma once

#include <windows.h>

#include <string>

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
