// The window's side of log mode: "Serial Port Logging", "Send Command", "Log Mode: Debug" and
// the poll timer. It owns the log session and shows what the session reports.
//
// Top floor (app/, the window): may include every floor below it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// What the controls depend on.
bool isLogging();      // log mode is on: starting, running, or waiting for a lost port
bool isGatewayOpen();  // log mode has its port and the gateway answered
bool isGatewayDebugOn();

// Handler of "Serial Port Logging": starts log mode when it is off, stops it when it runs.
void toggleLogMode();
// Handler of "Send Command". A command that passes the length check is kept for recalling.
void sendTypedCommand();
// Up and Down pressed in the command field, for the message loop: they show an older or newer
// command sent (the draft past the newest), with the caret at the end. True for such a key,
// which the field itself must then not get (a single-line edit moves its caret on them).
bool recallCommand(const MSG& message);
// The commands sent, newest first, in the code page, as the settings file keeps them.
std::vector<std::string> sentCommands();
void restoreSentCommands(const std::vector<std::string>& newestFirst);
// Handler of "Log Mode: Debug".
void toggleGatewayDebug();

// "Show times in the log" on the window's system menu, ticked while the view shows each line the
// gateway sends with its arrival time.
void addLogTimesCommand(HWND window);
// Its handler.
void toggleLogTimes();
// Times on or off (the remembered choice at start-up).
void showLogTimes(bool on);
bool areLogTimesShown();

// The poll timer's tick: identifier 1 of the main window, once a second while log mode is on.
constexpr unsigned kPollTimer = 1;
void pollGateway();
// The Windows session ends: what the gateway sent last is read into the view and the log file
// (a lost port is not tried again now).
void readGatewayOnceMore();
