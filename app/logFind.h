// Find in the log view: Ctrl+F (also "Find..." on the window's system menu) opens the system's
// Find dialog over the view; Find Next selects the next match and brings it into sight, F3
// finds again with the last text. A match stays selected, so new lines do not move the view
// away from it (ui.h: the view follows only a user at its end).
//
// Top floor (app/, the window): may include every floor below it.
#pragma once

#include <windows.h>

#include "logSearch.h"

// Adds "Find..." to the main window's system menu.
void addFindCommand(HWND window);

// Handler of Ctrl+F and "Find...": opens the Find dialog, or brings it forward when it is open.
void openFindDialog();
// Handler of F3: finds the last text again, or opens the dialog when nothing was looked for yet.
void findAgain();

// Selects the next match of search from the view's selection and brings it into sight; false,
// changing nothing, when there is none.
bool selectNextMatch(const LogSearch& search);

// The message the Find dialog sends its owner (registered by the system).
UINT findDialogMessage();
// What the Find dialog reported: Find Next, or that it closed.
void onFindDialogMessage(LPARAM report);

// For the message loop: true when message was for the open Find dialog and it has handled it.
bool isFindDialogMessage(MSG& message);
