// The Find dialog is modeless: the system's FindText dialog, owned by the main window, reporting
// through the registered FINDMSGSTRING message. Its structure and buffer must outlive it, so
// they are kept here for the life of the program.
//
// Top floor (app/, the window): may include every floor below it.
#include "logFind.h"

#include <commdlg.h>

#include <string>

#include "appState.h"
#include "platform/trace.h"
#include "resource.h"
#include "ui.h"

namespace {

constexpr WORD kLongestSearch = 256;

char findWhat[kLongestSearch] = "";
FINDREPLACEA findRequest = {};
HWND findDialog = nullptr;
LogSearch lastSearch; // empty until something was looked for

HWND logView()
{
    return GetDlgItem(app.mainWindow, IDC_LOG_VIEW);
}

// A short selection of one line is what the user most likely wants to look for.
void proposeSelection()
{
    DWORD start = 0;
    DWORD end = 0;
    SendMessageA(logView(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    if (end <= start || end - start >= kLongestSearch) {
        return;
    }
    std::string selected = logViewText().substr(start, end - start);
    if (selected.find_first_of("\r\n") == std::string::npos) {
        lstrcpynA(findWhat, selected.c_str(), kLongestSearch);
    }
}

// At the top right of the log view, where it hides the least of the newest lines.
void placeOverLogView()
{
    RECT view = {};
    RECT dialog = {};
    if (findDialog == nullptr || !GetWindowRect(logView(), &view) ||
        !GetWindowRect(findDialog, &dialog)) {
        return;
    }
    int inset = GetSystemMetrics(SM_CXVSCROLL) + GetSystemMetrics(SM_CXEDGE) * 2;
    int left = view.right - inset - (dialog.right - dialog.left);
    SetWindowPos(findDialog, nullptr, left > view.left ? left : view.left, view.top + inset, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void sayNotFound(const std::string& wanted)
{
    trace("Find: not found\n");
    std::string text = "\"" + wanted + "\" not found in the log view";
    HWND owner = findDialog != nullptr ? findDialog : app.mainWindow;
    MessageBoxA(owner, text.c_str(), "Find", MB_OK | MB_ICONINFORMATION);
}

void findNext(const LogSearch& search)
{
    if (!selectNextMatch(search)) {
        sayNotFound(search.wanted);
    }
}

} // namespace

bool selectNextMatch(const LogSearch& search)
{
    HWND view = logView();
    DWORD start = 0;
    DWORD end = 0;
    SendMessageA(view, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    size_t found = findInLog(logViewText(), search.down ? end : start, search);
    if (found == std::string::npos) {
        return false;
    }
    DWORD matchEnd = static_cast<DWORD>(found + search.wanted.size());
    SendMessageA(view, EM_SETSEL, static_cast<WPARAM>(found), static_cast<LPARAM>(matchEnd));
    SendMessageA(view, EM_SCROLLCARET, 0, 0);
    return true;
}

void addFindCommand(HWND window)
{
    HMENU menu = GetSystemMenu(window, FALSE);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, IDM_FIND, "Find...\tCtrl+F");
}

void openFindDialog()
{
    if (findDialog != nullptr) {
        SetActiveWindow(findDialog);
        return;
    }
    proposeSelection();
    findRequest.lStructSize = sizeof findRequest;
    findRequest.hwndOwner = app.mainWindow;
    findRequest.lpstrFindWhat = findWhat;
    findRequest.wFindWhatLen = kLongestSearch;
    // Whole words mean little in a gateway's lines; direction and case are offered.
    findRequest.Flags = FR_HIDEWHOLEWORD | (lastSearch.down ? FR_DOWN : 0) |
                        (lastSearch.matchCase ? FR_MATCHCASE : 0);
    trace("Find\n");
    findDialog = FindTextA(&findRequest);
    placeOverLogView();
}

void findAgain()
{
    if (lastSearch.wanted.empty()) {
        openFindDialog();
        return;
    }
    findNext(lastSearch);
}

UINT findDialogMessage()
{
    static const UINT message = RegisterWindowMessageA(FINDMSGSTRINGA);
    return message;
}

void onFindDialogMessage(LPARAM report)
{
    const FINDREPLACEA* request = reinterpret_cast<const FINDREPLACEA*>(report);
    if (request->Flags & FR_DIALOGTERM) {
        findDialog = nullptr;
        return;
    }
    if (request->Flags & FR_FINDNEXT) {
        lastSearch.wanted = request->lpstrFindWhat;
        lastSearch.down = (request->Flags & FR_DOWN) != 0;
        lastSearch.matchCase = (request->Flags & FR_MATCHCASE) != 0;
        findNext(lastSearch);
    }
}

bool isFindDialogMessage(MSG& message)
{
    return findDialog != nullptr && IsDialogMessageA(findDialog, &message);
}
