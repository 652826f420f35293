// The one place that runs the common file dialogs.
//
// Ground floor (platform/): knows no feature, includes nothing of the program; every floor may
// use it.
#include "fileDialog.h"

#include <commdlg.h>

static_assert(sizeof(OPENFILENAMEW) == (sizeof(void*) == 8 ? 152 : 88),
              "the full record, with its reserved fields");

bool askForFile(HWND owner, const FileDialog& dialog, std::wstring& path)
{
    wchar_t chosen[MAX_PATH] = L"";
    lstrcpynW(chosen, path.c_str(), MAX_PATH);
    OPENFILENAMEW record = {};
    record.lStructSize = sizeof record;
    record.hwndOwner = owner;
    record.lpstrFilter = dialog.filter;
    record.lpstrFile = chosen;
    record.nMaxFile = MAX_PATH;
    record.lpstrTitle = dialog.title;
    record.lpstrDefExt = dialog.defaultExtension;
    record.Flags = dialog.flags;
    BOOL done = dialog.save ? GetSaveFileNameW(&record) : GetOpenFileNameW(&record);
    if (!done) {
        return false;
    }
    chosen[MAX_PATH - 1] = L'\0';
    path = chosen;
    return true;
}
