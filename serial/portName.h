// The port a text names: what the port list shows (a listed entry such as "COM5" or
// "COM5 - Arduino Mega 2560", or what the user typed) turned into the bare port name that the
// upload and log mode open.
//
// Lower floor (serial/): knows no window; includes platform/ only.
#pragma once

#include <string>

// Highest port number a name may carry.
constexpr int kHighestPortNumber = 256;

// The port the text names, as "COM" and its number ("com10 " gives "COM10"); empty when it
// names none. Blanks around the text are ignored, and only the part before the first blank
// counts, so an entry that names its device gives its port. The number runs from 1 to
// kHighestPortNumber, without leading zeros.
std::string portNameFromText(const std::string& text);

// The path that opens the port: "\\.\" and its name, the form Windows needs from COM10 on.
std::string devicePathOf(const std::string& portName);
