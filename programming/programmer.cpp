// The board table and everything the program tells the external programmer.
#include "programmer.h"

#include "app/appState.h"
#include "app/ui.h"
#include "resource.h"

namespace {

struct Board {
    const char* name;    // shown in the board list
    const char* part;    // the programmer's -p
    const char* type;    // the programmer's -c
    const char* speed;   // the programmer's -b
};

const Board boards[] = {
    {"Arduino Mega 2560", "atmega2560", "stk500v2", "115200"},
};

} // namespace

void fillBoardList(HWND window)
{
    SendDlgItemMessageA(window, IDC_BOARD_LIST, CB_RESETCONTENT, 0, 0);
    SendDlgItemMessageA(window, IDC_BOARD_LIST, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(boards[0].name));
    SendDlgItemMessageA(window, IDC_BOARD_LIST, CB_SETCURSEL, 0, 0);
    app.boardIndex = 0;
    checkBaudRadio(IDC_BAUD_115200);
}
