// Commands the user sends to the gateway while log mode runs.
#pragma once

// A typed command needs at least this many characters; shorter ones are refused.
constexpr int kShortestCommand = 5;
// The gateway gets at most this many characters of it (then its line feed); the command field
// takes no more, so nothing typed is cut off unseen.
constexpr int kLongestCommand = 98;

bool isValidCommandLength(int length);

// Handler of "Send Command".
void sendTypedCommand();

// Handler of "Log Mode: Debug".
void toggleGatewayDebug();
