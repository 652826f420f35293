// Shared user-interface operations on the main window.
//
// Text for the log view is put after its last character in pieces: a text longer than a piece
// goes in as several consecutive inserts, so whatever the
// length, the whole text is shown. After each insert the view is kept within its limit
// (logViewLimit.h). What arrives is followed only by a user at the end: one who scrolled back
// or selected lines to copy keeps them.
//
// Top floor (app/, the window): may include every floor below it.
#include "ui.h"

#include <string.h>

#include <string>

#include "appState.h"
#include "controlStates.h"
#include "logKeeping.h"
#include "logViewLimit.h"
#include "platform/trace.h"
#include "resource.h"
#include "serial/portName.h"

namespace {

HWND control(int id)
{
    return GetDlgItem(app.mainWindow, id);
}

// The most characters one insert into the log view takes.
constexpr size_t kLargestInsert = 127999;

// Puts the next piece of text at the view's end; returns how many characters it took.
size_t insertPiece(HWND view, const char* text)
{
    size_t length = strnlen(text, kLargestInsert);
    std::string piece;
    if (text[length] != '\0') {
        piece.assign(text, length);
        text = piece.c_str();
    }
    LRESULT end = SendMessageA(view, WM_GETTEXTLENGTH, 0, 0);
    SendMessageA(view, EM_SETSEL, static_cast<WPARAM>(end), end);
    SendMessageA(view, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
    return length;
}

// Where the user has the view: the selection, the first character shown, and whether they are
// at its end (nothing selected, the caret after the last character, that character in sight).
struct ViewPlace {
    DWORD selectionStart = 0;
    DWORD selectionEnd = 0;
    DWORD firstShown = 0;
    bool atEnd = true;
};

bool lastCharacterShown(HWND view, LRESULT length)
{
    if (length == 0) {
        return true;
    }
    LRESULT position = SendMessageA(view, EM_POSFROMCHAR, static_cast<WPARAM>(length - 1), 0);
    RECT client;
    GetClientRect(view, &client);
    int top = static_cast<short>(HIWORD(position));
    return position != -1 && top >= 0 && top < client.bottom;
}

ViewPlace placeOf(HWND view)
{
    ViewPlace place;
    SendMessageA(view, EM_GETSEL, reinterpret_cast<WPARAM>(&place.selectionStart),
                 reinterpret_cast<LPARAM>(&place.selectionEnd));
    LRESULT firstLine = SendMessageA(view, EM_GETFIRSTVISIBLELINE, 0, 0);
    place.firstShown = static_cast<DWORD>(SendMessageA(view, EM_LINEINDEX, firstLine, 0));
    LRESULT length = SendMessageA(view, WM_GETTEXTLENGTH, 0, 0);
    place.atEnd = place.selectionStart == place.selectionEnd &&
                  place.selectionEnd == static_cast<DWORD>(length) && lastCharacterShown(view, length);
    return place;
}

// The user's selection and first line shown, as they were before text changed around them.
void restorePlace(HWND view, const ViewPlace& place)
{
    SendMessageA(view, EM_SETSEL, place.selectionStart, place.selectionEnd);
    LRESULT wanted = SendMessageA(view, EM_LINEFROMCHAR, place.firstShown, 0);
    LRESULT shown = SendMessageA(view, EM_GETFIRSTVISIBLELINE, 0, 0);
    SendMessageA(view, EM_LINESCROLL, 0, wanted - shown);
}

// Past the limit, the oldest whole lines give way to a line saying so; the place keeps its
// characters in the text that stays.
void keepLogViewWithinLimit(ViewPlace& place)
{
    HWND view = control(IDC_LOG_VIEW);
    size_t length = static_cast<size_t>(SendMessageA(view, WM_GETTEXTLENGTH, 0, 0));
    if (length <= kLogViewLimit) {
        return;
    }
    std::string text = logViewText();
    size_t cut = logViewCutPoint(text.data(), text.size(), kLogViewLimit, kLogViewKept);
    if (cut == 0) {
        return;
    }
    std::string notice = removedLinesNotice(logFilePath());
    SendMessageA(view, EM_SETSEL, 0, static_cast<LPARAM>(cut));
    SendMessageA(view, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(notice.c_str()));
    // A place in the removed lines moves to what took their place.
    auto shifted = [&](DWORD at, size_t removed) {
        return static_cast<DWORD>(at >= cut ? at - cut + notice.size() : removed);
    };
    place.selectionStart = shifted(place.selectionStart, notice.size());
    place.selectionEnd = shifted(place.selectionEnd, notice.size());
    place.firstShown = shifted(place.firstShown, 0);
}

} // namespace

std::string windowText(HWND window)
{
    std::string text(static_cast<size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(window, &text[0], static_cast<int>(text.size()))));
    return text;
}

std::string logViewText()
{
    return windowText(control(IDC_LOG_VIEW));
}

void setStatusLine(const char* text)
{
    SetDlgItemTextA(app.mainWindow, IDC_STATUS_LINE, text);
}

void paintNow()
{
    UpdateWindow(app.mainWindow);
    // Under Wine what was painted reaches the screen once the thread looks at its queue; a
    // peek that removes nothing does that and handles no input.
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
}

void appendToLogEnd(const char* text)
{
    HWND view = control(IDC_LOG_VIEW);
    ViewPlace place = placeOf(view);
    if (!place.atEnd) {
        SendMessageA(view, WM_SETREDRAW, FALSE, 0);
    }
    do {
        size_t length = insertPiece(view, text);
        keepLogViewWithinLimit(place);
        text += length;
    } while (*text != '\0');
    if (place.atEnd) {
        // Following the new lines: the caret at the end, the end in sight.
        LRESULT end = SendMessageA(view, WM_GETTEXTLENGTH, 0, 0);
        SendMessageA(view, EM_SETSEL, static_cast<WPARAM>(end), end);
        SendMessageA(view, EM_SCROLLCARET, 0, 0);
        return;
    }
    restorePlace(view, place);
    SendMessageA(view, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(view, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
}

bool readShownPortName(const char* header, std::string& port)
{
    traceSection(header);
    // The list's own text is the selected entry, or what was typed over it: never a port read
    // for an earlier action.
    port = portNameFromText(windowText(control(IDC_PORT_LIST)));
    return !port.empty();
}

void refuseUnnamedPort()
{
    trace("No port named\n");
    MessageBoxA(app.mainWindow, "Pick a port from the list, or type its name such as COM5",
                "Error", MB_OK);
}

void checkBaudRadio(int checkedId)
{
    const int radios[] = {IDC_BAUD_19200, IDC_BAUD_38400, IDC_BAUD_57600, IDC_BAUD_115200};
    for (int id : radios) {
        SendDlgItemMessageA(app.mainWindow, id, BM_SETCHECK,
                            id == checkedId ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

void showControlStates()
{
    ControlStates states = controlStatesFor(programState());
    auto enable = [](int id, bool enabled) { EnableWindow(control(id), enabled ? TRUE : FALSE); };
    auto showOnOff = [](int onId, int offId, bool on) {
        ShowWindow(control(on ? offId : onId), SW_HIDE);
        ShowWindow(control(on ? onId : offId), SW_SHOW);
    };
    enable(IDC_UPLOAD_BUTTON, states.uploadEnabled);
    SetDlgItemTextA(app.mainWindow, IDC_UPLOAD_BUTTON, states.uploadLabel);
    for (int id : {IDC_SELECT_FILE_BUTTON, IDC_SCAN_BUTTON, IDC_LOGGING_BUTTON, IDC_PORT_LIST,
                   IDC_BOARD_LIST}) {
        enable(id, states.choosingEnabled);
    }
    enable(IDC_SEND_COMMAND_BUTTON, states.gatewayCommandsEnabled);
    enable(IDC_GATEWAY_DEBUG_BUTTON, states.gatewayCommandsEnabled);
    showOnOff(IDC_LOGGING_ON_LABEL, IDC_LOGGING_OFF_LABEL, states.loggingOnShown);
    showOnOff(IDC_GATEWAY_DEBUG_ON_LABEL, IDC_GATEWAY_DEBUG_OFF_LABEL, states.gatewayDebugOnShown);
}

void greyMenuCommands(HMENU menu)
{
    EnableMenuItem(menu, SC_MAXIMIZE, MF_BYCOMMAND | MF_GRAYED);
    EnableMenuItem(menu, SC_SIZE, MF_BYCOMMAND | MF_GRAYED);
    ControlStates states = controlStatesFor(programState());
    for (UINT command : {IDM_SAVE_LOG_AS, IDM_LOG_TO_FILE, IDM_DAILY_LOG_FILES}) {
        EnableMenuItem(menu, command,
                       MF_BYCOMMAND | (states.logFileCommandsEnabled ? MF_ENABLED : MF_GRAYED));
    }
    for (UINT command : {IDM_SAVE_BOARD_FIRMWARE, IDM_VERIFY_BOARD}) {
        EnableMenuItem(menu, command,
                       MF_BYCOMMAND | (states.boardCommandsEnabled ? MF_ENABLED : MF_GRAYED));
    }
}
