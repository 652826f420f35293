// The serial ports the system's device list knows, whatever their number, without opening
// any of them (opening a port resets an attached board).
//
// Lower floor (serial/): knows no window; includes platform/ only.
#pragma once

#include <vector>

#include "portList.h"

std::vector<SystemPort> systemSerialPorts();
