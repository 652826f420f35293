// The commands the program sends to the gateway, and the rule for a command the user types.
//
// Subsystem floor (gateway/): knows no window; includes serial/ and platform/ only.
#pragma once

// A typed command needs at least this many characters; shorter ones are refused.
constexpr int kShortestCommand = 5;
// The gateway gets at most this many characters of it (then its line feed); the command field
// takes no more, so nothing typed is cut off unseen.
constexpr int kLongestCommand = 98;

bool isValidCommandLength(int length);

// What "Log Mode: Debug" sends to switch the gateway's radio debugging on or off.
const char* gatewayDebugCommand(bool on);
