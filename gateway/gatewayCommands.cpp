// The gateway's commands and the typed command's rule.
//
// Subsystem floor (gateway/): knows no window; includes serial/ and platform/ only.
#include "gatewayCommands.h"

bool isValidCommandLength(int length)
{
    return length >= kShortestCommand;
}

const char* gatewayDebugCommand(bool on)
{
    return on ? "10;rfdebug=on;\n" : "10;rfdebug=off;\n";
}
