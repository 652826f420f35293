// Commands the user sends to the gateway while log mode runs.
#pragma once

// A typed command needs at least this many characters; shorter ones are refused.
constexpr int kShortestCommand = 5;

bool isValidCommandLength(int length);

// Handler of "Send Command".
void sendTypedCommand();

// Handler of "Log Mode: Debug".
void toggleGatewayDebug();
