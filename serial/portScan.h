// Whether serial ports are there: the ports the system's device list does not name, found by
// trying them, and the probe of one port before a flash.
//
// Lower floor (serial/): knows no window; includes platform/ only.
#pragma once

#include <string>
#include <vector>

#include "systemPorts.h"

enum PortProbeResult { PORT_FREE = 0, PORT_IN_USE = 1, PORT_NOT_FOUND = 2 };

// COM1 to COM49, each tried with an open unless known (the system's device list) names it; the
// ones that are there, free or held by another program.
std::vector<std::string> probePorts(const std::vector<SystemPort>& known);

// Opens and closes the named port once; tells free, in use or not found.
int probePort(const char* portName);
