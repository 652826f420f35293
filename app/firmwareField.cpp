// The path field and how a firmware file gets into it.
//
// Top floor (app/, the window): may include every floor below it.
#include "firmwareField.h"

#include "appState.h"
#include "platform/codePagePath.h"
#include "platform/fileDialog.h"
#include "platform/trace.h"
#include "programming/fileSelection.h"
#include "programming/upload.h"
#include "resource.h"
#include "ui.h"

namespace {

bool fileChosen = false;
std::wstring chosenPath; // the file last chosen, dropped or given, whole
std::wstring shownPath;  // what the path field showed for it

bool chooseFirmwareFile(std::wstring& path)
{
    setStatusLine("File Selection in progress..");
    traceSection("File selection:\n");
    bool chosen = askForFile(app.mainWindow, firmwareDialog(), path);
    trace("File: %s\n", chosen ? narrowText(path).c_str() : "(none chosen)");
    trace("File selection done\n");
    setStatusLine("OK");
    return chosen;
}

// Shows the chosen file in the path field as the programmer will get it: a path the code page
// cannot write in its short form, or, when it has none, as it is (the upload refuses it then).
// The upload waits while log mode holds the port.
void takeFirmwarePath(const std::wstring& chosen)
{
    CodePagePath path = codePagePathOf(chosen);
    if (path.passable) {
        // Cut to what the upload reads of the path field; a longer path is refused as too long.
        std::string shown = path.path.substr(0, kFirmwarePathRoom - 1);
        SetDlgItemTextA(app.mainWindow, IDC_PATH_FIELD, shown.c_str());
    } else {
        SetDlgItemTextW(app.mainWindow, IDC_PATH_FIELD, chosen.c_str());
    }
    chosenPath = chosen;
    wchar_t shown[kFirmwarePathRoom] = L"";
    GetDlgItemTextW(app.mainWindow, IDC_PATH_FIELD, shown, kFirmwarePathRoom);
    shownPath = shown;
    fileChosen = true;
    showControlStates();
}

WNDPROC pathFieldProc = nullptr;

LRESULT CALLBACK pathFieldWithDrops(HWND field, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DROPFILES) {
        return SendMessageA(GetParent(field), WM_DROPFILES, wParam, lParam);
    }
    // Wide, so that a path the code page cannot write reaches the field and comes back whole.
    return CallWindowProcW(pathFieldProc, field, message, wParam, lParam);
}

} // namespace

bool isFileChosen()
{
    return fileChosen;
}

std::wstring firmwarePathToRemember(const std::wstring& fieldText)
{
    return !shownPath.empty() && fieldText == shownPath ? chosenPath : fieldText;
}

void selectFirmwareFile()
{
    // Cancel changes nothing: the path field, the upload button and the status line stay.
    char status[256] = "";
    GetDlgItemTextA(app.mainWindow, IDC_STATUS_LINE, status, sizeof status);
    std::wstring path;
    if (chooseFirmwareFile(path)) {
        takeFirmwarePath(path);
    } else {
        setStatusLine(status);
    }
}

void openFirmwareFile(const std::wstring& path)
{
    traceSection("File given:\n");
    trace("File: %s\n", narrowText(path).c_str());
    takeFirmwarePath(path);
}

void forwardDroppedFiles(HWND pathField)
{
    WNDPROC previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        pathField, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pathFieldWithDrops)));
    // Every path field is an edit control: one original procedure serves them all.
    if (previous != pathFieldWithDrops) {
        pathFieldProc = previous;
    }
}

void dropFirmwareFiles(HDROP drop)
{
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    wchar_t path[kFirmwarePathRoom] = L"";
    const UINT room = sizeof path / sizeof path[0];
    UINT length = count == 1 ? DragQueryFileW(drop, 0, nullptr, 0) : 0;
    if (count == 1 && length < room) {
        DragQueryFileW(drop, 0, path, room);
    }
    DragFinish(drop);

    DWORD attributes = count == 1 && length < room ? GetFileAttributesW(path)
                                                   : INVALID_FILE_ATTRIBUTES;
    bool isFolder =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    const char* refusal = dropRefusal(count, length < room, isFolder);
    traceSection("File dropped:\n");
    if (refusal != nullptr) {
        trace("Refused: %s\n", refusal);
        MessageBoxA(app.mainWindow, refusal, "Error", MB_OK);
        return;
    }
    trace("File: %s\n", narrowText(path).c_str());
    takeFirmwarePath(path);
}
