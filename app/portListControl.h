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
// "Scan Available Ports": the list rebuilt the same way. The port the user chose stays shown,
// as "COM7 - not connected" when it went away; a Mega 2560 plugged in since is selected (and
// the status line says so) only when no choice is in force or the chosen port is gone.
void scanPorts(HWND window);
// The list brought up to date after a device arrived or left: as a scan, but only from the
// system's device list, so no port is opened (that resets a board). When the entries are as
// they were, the control is left alone.
void refreshPorts(HWND window);
// The user picked a port from the list or typed over it: that port is their choice now.
void notePortChoice();
// The device behind the port the list shows, empty when the system does not know it.
std::string shownPortDevice(HWND window);
