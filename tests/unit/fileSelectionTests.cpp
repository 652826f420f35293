// Files dropped on the path field: one file is taken as if chosen in the open-file dialog,
// several files or a folder are refused with a box. The drops are built as the shell builds
// them and sent to the path field itself, where the system delivers them.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "appState.h"
#include "resource.h"
#include "startup.h"
#include "testWindow.h"
#include "ui.h"

namespace {

class FileDropTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        prepareControls();
    }

    // A drop of the given paths, as the shell hands it over: a DROPFILES header, then the
    // paths, each ended by a NUL, and one more NUL.
    static HDROP makeDrop(const std::vector<std::string>& paths)
    {
        std::string list;
        for (const std::string& path : paths) {
            list += path;
            list += '\0';
        }
        list += '\0';
        HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
        auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
        header->pFiles = sizeof(DROPFILES);
        header->fWide = FALSE;
        memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), list.data(), list.size());
        GlobalUnlock(memory);
        return static_cast<HDROP>(memory);
    }

    // Drops the paths on the path field; returns the text of the box it raised, if any.
    std::string drop(const std::vector<std::string>& paths)
    {
        BoxAnswerer box;
        SendMessageA(control(IDC_PATH_FIELD), WM_DROPFILES,
                     reinterpret_cast<WPARAM>(makeDrop(paths)), 0);
        box.finish();
        return box.text;
    }

    static std::string tempFolder()
    {
        char folder[MAX_PATH];
        GetTempPathA(sizeof folder, folder);
        return folder;
    }
};

TEST_F(FileDropTest, OneFileIsTakenLikeAChosenOne)
{
    const std::string file = tempFolder() + "dropped gateway.cpp.hex";
    EXPECT_EQ(drop({file}), "");
    EXPECT_EQ(text(IDC_PATH_FIELD), file);
    EXPECT_TRUE(IsWindowEnabled(control(IDC_UPLOAD_BUTTON)));
}

TEST_F(FileDropTest, SeveralFilesOrAFolderAreRefusedAndChangeNothing)
{
    SetDlgItemTextA(app.mainWindow, IDC_PATH_FIELD, "C:\\fw\\kept.cpp.hex");
    EXPECT_EQ(drop({tempFolder() + "a.cpp.hex", tempFolder() + "b.cpp.hex"}),
              "Drop one firmware file at a time");
    EXPECT_EQ(drop({tempFolder()}), "A folder cannot be flashed: drop a firmware file (*.cpp.hex)");
    EXPECT_EQ(text(IDC_PATH_FIELD), "C:\\fw\\kept.cpp.hex");
    EXPECT_FALSE(IsWindowEnabled(control(IDC_UPLOAD_BUTTON)));
}

} // namespace
