// The board table and the hand-over to the external AVR programmer.
#pragma once

#include <windows.h>

// Fills the board list with the board table and resets the hidden baud radios.
void fillBoardList(HWND window);
