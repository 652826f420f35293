// Choosing the firmware image. The dialog's path is only a proposal: the upload reads the
// path field again, so a path typed there by hand is what gets flashed.
#include "fileSelection.h"

#include <commdlg.h>
#include <string.h>

#include "app/appState.h"
#include "app/trace.h"
#include "app/ui.h"
#include "resource.h"

static_assert(sizeof(OPENFILENAMEA) == (sizeof(void*) == 8 ? 152 : 88),
              "the full record, with its reserved fields");

void chooseFirmwareFile(HWND window)
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
    GetOpenFileNameA(&dialog);
    // A failed dialog may leave anything in the buffer; it is read as a string all the same.
    path[sizeof path - 1] = '\0';

    trace("File: %s\n", path);
    memcpy(app.firmwarePath, path, strlen(path) + 1);
    trace("File selection done\n");
    setStatusLine("OK");
}

void selectFirmwareFile()
{
    chooseFirmwareFile(app.mainWindow);
    SetDlgItemTextA(app.mainWindow, IDC_PATH_FIELD, app.firmwarePath);
    if (app.loggingOn == 0) {
        setUploadEnabled(true);
    }
    app.fileChosen = 1;
}
