// Choosing the firmware image. The dialog's path is only a proposal: the upload reads the
// path field again, so a path typed there by hand is what gets flashed.
#include "fileSelection.h"

#include <commdlg.h>
#include <shellapi.h>
#include <string.h>

#include "app/appState.h"
#include "app/trace.h"
#include "app/ui.h"
#include "resource.h"

static_assert(sizeof(OPENFILENAMEA) == (sizeof(void*) == 8 ? 152 : 88),
              "the full record, with its reserved fields");

bool chooseFirmwareFile(HWND window)
{
    setStatusLine("File Selection in progress..");
    char path[MAX_PATH];
    memset(path, 0, sizeof path);
    OPENFILENAMEA dialog;
    memset(&dialog, 0, sizeof dialog);
    traceSection("File selection:\n");

    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window;
    dialog.lpstrFilter = "Hex Files\0*.cpp.hex\0All Files\0*\0";
    dialog.lpstrFile = path;
    dialog.nMaxFile = sizeof path;
    dialog.lpstrInitialDir = nullptr;
    dialog.lpstrTitle = "VEXLOR";
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    bool chosen = GetOpenFileNameA(&dialog) != FALSE;
    // A failed dialog may leave anything in the buffer; it is read as a string all the same.
    path[sizeof path - 1] = '\0';

    trace("File: %s\n", chosen ? path : "(none chosen)");
    if (chosen) {
        memcpy(app.firmwarePath, path, strlen(path) + 1);
    }
    trace("File selection done\n");
    setStatusLine("OK");
    return chosen;
}

namespace {

// Shows firmwarePath in the path field; the upload waits while log mode holds the port.
void takeFirmwarePath()
{
    SetDlgItemTextA(app.mainWindow, IDC_PATH_FIELD, app.firmwarePath);
    app.fileChosen = 1;
    showControlStates();
}

WNDPROC pathFieldProc = nullptr;

LRESULT CALLBACK pathFieldWithDrops(HWND field, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DROPFILES) {
        return SendMessageA(GetParent(field), WM_DROPFILES, wParam, lParam);
    }
    return CallWindowProcA(pathFieldProc, field, message, wParam, lParam);
}

} // namespace

void selectFirmwareFile()
{
    // Cancel changes nothing: the path field, the upload button and the status line stay.
    char status[256] = "";
    GetDlgItemTextA(app.mainWindow, IDC_STATUS_LINE, status, sizeof status);
    if (chooseFirmwareFile(app.mainWindow)) {
        takeFirmwarePath();
    } else {
        setStatusLine(status);
    }
}

void openFirmwareFile(const std::string& path)
{
    traceSection("File given:\n");
    trace("File: %s\n", path.c_str());
    // Cut to what the upload reads of the path field; a longer path is refused as too long.
    lstrcpynA(app.firmwarePath, path.c_str(), sizeof app.firmwarePath);
    takeFirmwarePath();
}

void forwardDroppedFiles(HWND pathField)
{
    WNDPROC previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        pathField, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pathFieldWithDrops)));
    // Every path field is an edit control: one original procedure serves them all.
    if (previous != pathFieldWithDrops) {
        pathFieldProc = previous;
    }
}

void dropFirmwareFiles(HDROP drop)
{
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    char path[sizeof app.firmwarePath] = "";
    UINT length = count == 1 ? DragQueryFileA(drop, 0, nullptr, 0) : 0;
    if (count == 1 && length < sizeof path) {
        DragQueryFileA(drop, 0, path, sizeof path);
    }
    DragFinish(drop);

    const char* refusal = nullptr;
    if (count != 1) {
        refusal = "Drop one firmware file at a time";
    } else if (length >= sizeof path) {
        refusal = "The dropped file's path is too long";
    } else {
        DWORD attributes = GetFileAttributesA(path);
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
    trace("File: %s\n", path);
    memcpy(app.firmwarePath, path, strlen(path) + 1);
    takeFirmwarePath();
}
