// Start-up of the program and its message loop.
//
// Top floor (app/, the window): may include every floor below it.
#pragma once

#include <windows.h>

#include <string>

// Registers the window class, creates and prepares the main window (with firmwareFile, UTF-8,
// in the path field when given), runs the message loop and returns the exit code. When the window cannot be created the user is told
// and a non-zero code is returned at once.
int runApplication(HINSTANCE instance, HINSTANCE previousInstance, int showCommand,
                   const std::string& firmwareFile = std::string());

// Initialises the common controls, registers the class (unless a previous instance did) and
// creates the main window from its template; the window is kept in the application state. Null when creation fails.
HWND createMainWindow(HINSTANCE instance, HINSTANCE previousInstance);

// Sets the initial control states and fills the board and port lists.
void prepareControls(const std::string& rememberedPort = std::string(),
                     const std::string& rememberedDevice = std::string());

// Exit code of a start-up whose main window could not be created.
constexpr int kNoWindowExitCode = 1;

// Handles the messages waiting now, as the message loop would, for an operation that waits
// while the window must keep answering (a flash). A quit is left for the message loop.
void handleWaitingMessages();

// True for a key message the program swallows before the dialog manager sees it:
// Esc in the multi-line log view would otherwise make the edit control close the window.
bool isSwallowedKey(const MSG& message, HWND mainWindow);
