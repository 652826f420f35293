// Log mode: the connection to the gateway, its detection, and the once-a-second polling.
#pragma once

// Handler of "Serial Port Logging": starts log mode when it is off, stops it when it runs.
void toggleLogMode();
void startLogMode();
void stopLogMode();

// One polling step, run on every timer tick: what has arrived goes to the end of the log view.
void pollGateway();

// Shows what receiveBuffer holds at the end of the view, and writes it to the log file when one
// is on.
void showGatewayText();
// Shows a command the program sent and writes it to the log file as a line.
void echoCommand(const char* command);

// Waits 400 ms, traces header and reads what the gateway has sent into receiveBuffer.
// Returns the number of bytes there, 0 when nothing came.
int readGatewayResponse(const char* header);

// The poll timer: identifier 1 of the main window, once a second.
void armPollTimer();
void stopPollTimer();

// Writes a command (text ends with its line feed) and shows it in the view and the log file;
// one the device did not take within the write time-out is shown as not sent instead.
void sendGatewayCommand(const char* text);

// Takes the NUL bytes out of the first count bytes of buffer, so everything after one is
// shown too, and ends the text with a NUL. Returns the new length.
int dropNulBytes(char* buffer, int count);
