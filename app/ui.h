// Operations on the main window's controls that every subsystem shares.
//
// Top floor (app/, the window): may include every floor below it.
#pragma once

#include <windows.h>

#include <string>

void setStatusLine(const char* text);

// Paints what changed in the window now, before an operation that blocks the window: the
// user then sees the status and buttons of that operation while it runs.
void paintNow();

// Adds text after the last character of the log view, wherever the caret is: everything the
// program shows there (what the gateway sent, the commands it was sent, the programmer's
// output) goes in in the order it came. The view follows only a user who is at its end.
void appendToLogEnd(const char* text);
// A control's whole text, however long.
std::string windowText(HWND window);
// Everything the log view holds.
std::string logViewText();

// Opens a trace section with header and reads the port the port list shows (its selected
// entry, or a port name typed into it) into port. False, with port empty, when the list shows
// no port name: nothing may then be opened or flashed.
bool readShownPortName(const char* header, std::string& port);
// The box that refuses a start because the port list shows no port name.
void refuseUnnamedPort();

// Ticks one of the hidden baud radio buttons and clears the other three. The programmer's
// speed comes from the board table; the radios are kept only as the window always had them.
void checkBaudRadio(int checkedId);

// Sets every control's enabled state, the upload button's label and the ON/OFF labels from
// the program's state (controlStates.h); called after each change of that state.
void showControlStates();
// The system menu as the state allows it: no Maximize or Size (the window has a fixed layout),
// the log file commands only when they may run.
void greyMenuCommands(HMENU menu);
