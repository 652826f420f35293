// Devices that arrive or leave: the port list follows them by itself, a moment later (Windows
// reports one plug-in as several changes), and only once no flash or log mode holds a port.
//
// Top floor (app/, the window): may include every floor below it.
#pragma once

#include <windows.h>

// The port list's refresh timer; the log poll has timer 1.
constexpr UINT_PTR kPortRefreshTimer = 2;

// WM_DEVICECHANGE: a device arrived, left or the device tree changed; arms the refresh.
void noteDeviceChange(HWND window, WPARAM event);
// The refresh timer: refreshes the list, unless a flash or log mode runs (it then comes again).
void refreshPortsWhenFree(HWND window);
