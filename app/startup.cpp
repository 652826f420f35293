// Start-up, in the order the main window needs: class, window from its template,
// initial control states, board and port lists, then the message loop.
//
// Top floor (app/, the window): may include every floor below it.
#include "startup.h"

#include <commctrl.h>

#include "appState.h"
#include "firmwareField.h"
#include "logFind.h"
#include "gateway/gatewayCommands.h"
#include "logKeeping.h"
#include "logModeCommands.h"
#include "mainWindow.h"
#include "platform/codePagePath.h"
#include "platform/trace.h"
#include "portListControl.h"
#include "programming/programmer.h"
#include "resource.h"
#include "sessionSettings.h"
#include "ui.h"
#include "uploadCommand.h"

namespace {

void registerWindowClass(HINSTANCE instance)
{
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = DLGWINDOWEXTRA; // a class used by a dialog template needs it
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP_ICON));
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = "AidDev";
    RegisterClassA(&windowClass);
}

// The manifest asks for version 6 of the common controls; they are initialised before the
// first window that uses them, as that version requires.
void initCommonControls()
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
}

void reportNoWindow()
{
    char text[64];
    wsprintfA(text, "No window: %lu", GetLastError());
    MessageBoxA(nullptr, text, "", MB_OK);
}

// The log view takes the largest text the edit control allows, so a long session never
// stops growing the log.
void raiseLogViewLimit()
{
    LRESULT limit = SendDlgItemMessageA(app.mainWindow, IDC_LOG_VIEW, EM_GETLIMITTEXT, 0, 0);
    trace("Size=%d\n", static_cast<int>(limit));
    SendDlgItemMessageA(app.mainWindow, IDC_LOG_VIEW, EM_LIMITTEXT, static_cast<WPARAM>(-1), 0);
    limit = SendDlgItemMessageA(app.mainWindow, IDC_LOG_VIEW, EM_GETLIMITTEXT, 0, 0);
    trace("Size=%d\n", static_cast<int>(limit));
}

// The board table's entries, the first one selected; the hidden baud radios show its speed.
void fillBoardList()
{
    SendDlgItemMessageA(app.mainWindow, IDC_BOARD_LIST, CB_RESETCONTENT, 0, 0);
    for (size_t index = 0; boardName(index) != nullptr; ++index) {
        SendDlgItemMessageA(app.mainWindow, IDC_BOARD_LIST, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(boardName(index)));
    }
    SendDlgItemMessageA(app.mainWindow, IDC_BOARD_LIST, CB_SETCURSEL, 0, 0);
    checkBaudRadio(IDC_BAUD_115200);
}

} // namespace

void prepareControls(const std::string& rememberedPort, const std::string& rememberedDevice)
{
    SetFocus(GetDlgItem(app.mainWindow, IDC_PATH_FIELD));
    fillBoardList();
    scanPortsAtStart(app.mainWindow, rememberedPort, rememberedDevice);
    setStatusLine("OK");
    showControlStates();
    raiseLogViewLimit();
    SendDlgItemMessageA(app.mainWindow, IDC_COMMAND_FIELD, EM_LIMITTEXT, kLongestCommand, 0);
}

namespace {

HACCEL windowKeys = nullptr;

// What the message loop does with one message.
void handleMessage(MSG& message)
{
    if (isSwallowedKey(message, app.mainWindow) || recallCommand(message)) {
        return;
    }
    // The window's keys also work while the Find dialog has the focus (F3 from there).
    if (windowKeys != nullptr && TranslateAcceleratorA(app.mainWindow, windowKeys, &message)) {
        return;
    }
    if (isFindDialogMessage(message)) {
        return;
    }
    if (!IsDialogMessageA(app.mainWindow, &message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

int runMessageLoop()
{
    MSG message;
    for (;;) {
        BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            return static_cast<int>(message.wParam);
        }
        if (got != -1) {
            handleMessage(message);
        }
    }
}

} // namespace

void handleWaitingMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // For the message loop, once the operation that waits here has ended.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        handleMessage(message);
    }
}

bool isSwallowedKey(const MSG& message, HWND mainWindow)
{
    bool escape = (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) ||
                  (message.message == WM_CHAR && message.wParam == 0x1B);
    return escape && message.hwnd != nullptr &&
           message.hwnd == GetDlgItem(mainWindow, IDC_LOG_VIEW);
}

HWND createMainWindow(HINSTANCE instance, HINSTANCE previousInstance)
{
    initCommonControls();
    if (previousInstance == nullptr) {
        registerWindowClass(instance);
    }
    app.mainWindow = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN_WINDOW), nullptr,
                                        nullptr, 0);
    if (app.mainWindow != nullptr) {
        forwardDroppedFiles(GetDlgItem(app.mainWindow, IDC_PATH_FIELD));
        addLogFileCommands(app.mainWindow);
        addFindCommand(app.mainWindow);
        addLogTimesCommand(app.mainWindow);
        addBoardCommands(app.mainWindow);
        windowKeys = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDA_MAIN_KEYS));
    }
    return app.mainWindow;
}

int runApplication(HINSTANCE instance, HINSTANCE previousInstance, int showCommand,
                   const std::string& firmwareFile)
{
    if (createMainWindow(instance, previousInstance) == nullptr) {
        reportNoWindow();
        return kNoWindowExitCode;
    }
    Settings remembered = loadSettings();
    prepareControls(remembered.portName, remembered.portDevice);
    restoreSettings(remembered);
    if (!firmwareFile.empty()) {
        openFirmwareFile(wideText(firmwareFile, CP_UTF8));
    }
    ShowWindow(app.mainWindow, showCommand);
    return runMessageLoop();
}
