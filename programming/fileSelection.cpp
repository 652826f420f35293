// Choosing the firmware image. The dialog's path is only a proposal: the upload reads the
// path field again, so a path typed there by hand is what gets flashed.
//
// Subsystem floor (programming/): knows no window; includes serial/ and platform/ only.
#include "fileSelection.h"

#include <commdlg.h>

namespace {

// Every Intel HEX image: the gateway's *.cpp.hex and a sketch's *.ino.hex alike.
const wchar_t kHexFilter[] = L"Hex Files\0*.hex\0All Files\0*\0";

} // namespace

const FileDialog& firmwareDialog()
{
    static const FileDialog dialog = {false, L"VEXLOR", kHexFilter, nullptr,
                                      OFN_FILEMUSTEXIST | OFN_HIDEREADONLY};
    return dialog;
}

const FileDialog& verifyDialog()
{
    static const FileDialog dialog = {false, L"Verify the board against", kHexFilter, nullptr,
                                      OFN_FILEMUSTEXIST | OFN_HIDEREADONLY};
    return dialog;
}

const FileDialog& boardCopyDialog()
{
    static const FileDialog dialog = {true, L"Save the board's firmware as", kHexFilter, L"hex",
                                      OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY};
    return dialog;
}

const char* dropRefusal(UINT count, bool pathFits, bool isFolder)
{
    if (count != 1) {
        return "Drop one firmware file at a time";
    }
    if (!pathFits) {
        return "The dropped file's path is too long";
    }
    if (isFolder) {
        return "A folder cannot be flashed: drop a firmware file (*.cpp.hex)";
    }
    return nullptr;
}
