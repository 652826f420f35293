// Typed commands and the gateway's debug switch.
#include "gatewayCommands.h"

void sendTypedCommand()
{
    // Typed commands arrive with the gateway-logging work.
}

void toggleGatewayDebug()
{
    // The debug switch arrives with the gateway-logging work.
}
