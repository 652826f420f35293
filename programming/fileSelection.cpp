// Choosing the firmware image. The dialog's path is only a proposal: the upload reads the
// path field again, so a path typed there by hand is what gets flashed.
#include "fileSelection.h"

#include <commdlg.h>
#include <shellapi.h>

#include "app/appState.h"
#include "app/ui.h"
#include "platform/codePagePath.h"
#include "platform/fileDialog.h"
#include "platform/trace.h"
#include "resource.h"

bool chooseFirmwareFile(std::wstring& path)
{
    setStatusLine("File Selection in progress..");
    traceSection("File selection:\n");
    const FileDialog dialog = {false, L"VEXLOR", L"Hex Files\0*.cpp.hex\0All Files\0*\0", nullptr,
                               OFN_FILEMUSTEXIST | OFN_HIDEREADONLY};
    bool chosen = askForFile(app.mainWindow, dialog, path);

    trace("File: %s\n", chosen ? narrowText(path).c_str() : "(none chosen)");
    trace("File selection done\n");
    setStatusLine("OK");
    return chosen;
}

namespace {

// Shows the chosen file in the path field as the programmer will get it: a path the code page
// cannot write in its short form, or, when it has none, as it is (the upload refuses it then).
// The upload waits while log mode holds the port.
void takeFirmwarePath(const std::wstring& chosen)
{
    CodePagePath path = codePagePathOf(chosen);
    // Cut to what the upload reads of the path field; a longer path is refused as too long.
    lstrcpynA(app.firmwarePath, path.path.c_str(), sizeof app.firmwarePath);
    if (path.passable) {
        SetDlgItemTextA(app.mainWindow, IDC_PATH_FIELD, app.firmwarePath);
    } else {
        SetDlgItemTextW(app.mainWindow, IDC_PATH_FIELD, chosen.c_str());
    }
    app.fileChosen = 1;
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
    wchar_t path[sizeof app.firmwarePath] = L"";
    const UINT room = sizeof path / sizeof path[0];
    UINT length = count == 1 ? DragQueryFileW(drop, 0, nullptr, 0) : 0;
    if (count == 1 && length < room) {
        DragQueryFileW(drop, 0, path, room);
    }
    DragFinish(drop);

    const char* refusal = nullptr;
    if (count != 1) {
        refusal = "Drop one firmware file at a time";
    } else if (length >= room) {
        refusal = "The dropped file's path is too long";
    } else {
        DWORD attributes = GetFileAttributesW(path);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            refusal = "A folder cannot be flashed: drop a firmware file (*.cpp.hex)";
        }
    }
    traceSection("File dropped:\n");
    if (refusal != nullptr) {
        trace("Refused: %s\n", refusal);
        MessageBoxA(app.mainWindow, refusal, "Error", MB_OK);
        return;
    }
    trace("File: %s\n", narrowText(path).c_str());
    takeFirmwarePath(path);
}
