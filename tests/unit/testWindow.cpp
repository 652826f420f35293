#include "testWindow.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include <fstream>
#include <sstream>

#include "appState.h"
#include "startup.h"

void MainWindowTest::SetUp()
{
    resetAppState();
    ASSERT_NE(createMainWindow(GetModuleHandleA(nullptr), nullptr), nullptr)
        << "error " << GetLastError();
}

void MainWindowTest::TearDown()
{
    DestroyWindow(app.mainWindow);
    // Drop the WM_QUIT that the window's destruction posts, so the next test starts clean.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    app.mainWindow = nullptr;
}

HWND MainWindowTest::control(int id) const
{
    return GetDlgItem(app.mainWindow, id);
}

std::string MainWindowTest::text(int id) const
{
    int length = GetWindowTextLengthA(control(id));
    std::string result(static_cast<size_t>(length) + 1, '\0');
    int copied = GetWindowTextA(control(id), &result[0], length + 1);
    result.resize(static_cast<size_t>(copied));
    return result;
}

void MainWindowTest::pumpMessages() const
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

CapturedOutput::CapturedOutput() : savedDescriptor(-1), finished(false)
{
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    GetTempFileNameA(folder, "trc", 0, path);
    fflush(stdout);
    savedDescriptor = _dup(_fileno(stdout));
    FILE* reopened = freopen(path, "w", stdout);
    (void)reopened;
}

CapturedOutput::~CapturedOutput()
{
    finish();
}

std::string CapturedOutput::finish()
{
    if (finished) {
        return std::string();
    }
    finished = true;
    fflush(stdout);
    _dup2(savedDescriptor, _fileno(stdout));
    _close(savedDescriptor);
    std::ifstream file(path, std::ios::binary);
    std::stringstream contents;
    contents << file.rdbuf();
    file.close();
    DeleteFileA(path);
    // Standard output is a text stream: line ends arrive as CR LF.
    std::string result;
    for (char c : contents.str()) {
        if (c != '\r') {
            result += c;
        }
    }
    return result;
}

BoxAnswerer::BoxAnswerer() : stop(false)
{
    user = std::thread([this] {
        for (int i = 0; i < 200 && !stop; ++i) {
            HWND box = FindWindowA("#32770", nullptr);
            DWORD process = 0;
            if (box != nullptr) {
                GetWindowThreadProcessId(box, &process);
            }
            if (box != nullptr && process == GetCurrentProcessId()) {
                char line[256] = "";
                GetWindowTextA(box, line, sizeof line);
                caption = line;
                HWND child = nullptr;
                while ((child = FindWindowExA(box, child, "Static", nullptr)) != nullptr) {
                    GetWindowTextA(child, line, sizeof line);
                    if (line[0] != '\0') {
                        text = line;
                    }
                }
                PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                return;
            }
            Sleep(50);
        }
    });
}

BoxAnswerer::~BoxAnswerer()
{
    finish();
}

void BoxAnswerer::finish()
{
    stop = true;
    if (user.joinable()) {
        user.join();
    }
}
