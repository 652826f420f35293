// Commands the user sends to the gateway while log mode runs.
#pragma once

// Handler of "Send Command".
void sendTypedCommand();

// Handler of "Log Mode: Debug".
void toggleGatewayDebug();
