// The main window procedure. It only routes: every command goes to one handler in the part of
// the window that owns it (the upload, log mode, the path field, the log file, the port list),
// the timers drive the log polling and the port list's refresh, files dropped on the path field
// are taken like a chosen file, the system menu carries the log file commands. Whether a
// command may run now is asked of the program's state first (controlStates.h).
//
// Top floor (app/, the window): may include every floor below it.
#include "mainWindow.h"

#include "appState.h"
#include "controlStates.h"
#include "debugScreen.h"
#include "deviceChange.h"
#include "dpiChange.h"
#include "firmwareField.h"
#include "logFind.h"
#include "logKeeping.h"
#include "logModeCommands.h"
#include "platform/trace.h"
#include "platform/uiTask.h"
#include "portListControl.h"
#include "resource.h"
#include "sessionSettings.h"
#include "ui.h"
#include "uploadCommand.h"

namespace {

void dispatchCommand(HWND window, int id)
{
    ProgramState state = programState();
    if (!mayRun(id, state)) {
        trace("Not now: command %d\n", id);
        return;
    }
    noteStartingClick(id, state);
    switch (id) {
    case IDC_SCAN_BUTTON:
        scanPorts(window);
        break;
    case IDC_SELECT_FILE_BUTTON:
        selectFirmwareFile();
        break;
    case IDC_UPLOAD_BUTTON:
        uploadFirmware();
        break;
    case IDC_BAUD_19200:
    case IDC_BAUD_38400:
    case IDC_BAUD_57600:
    case IDC_BAUD_115200:
        onBaudRadio(id);
        break;
    case IDC_DEBUG_SCREEN_CHECK:
        toggleDebugConsole();
        break;
    case IDC_LOGGING_BUTTON:
        toggleLogMode();
        break;
    case IDC_CLEAR_LOG_BUTTON:
        clearLog();
        break;
    case IDC_GATEWAY_DEBUG_BUTTON:
        toggleGatewayDebug();
        break;
    case IDC_SEND_COMMAND_BUTTON:
        sendTypedCommand();
        break;
    case IDM_FIND:
        openFindDialog();
        break;
    case IDM_FIND_NEXT:
        findAgain();
        break;
    default:
        // Enter (IDOK) and Esc (IDCANCEL) from the dialog keys land here and do nothing.
        break;
    }
    rememberSettings();
}

// Closing during a flash asks first; the upload ends the program once the programmer is stopped.
// A read-back or a comparison changes nothing on the board: it is stopped without asking.
void closeMainWindow(HWND window)
{
    if (!isFlashing()) {
        DestroyWindow(window);
        return;
    }
    if (isClosingAfterFlash()) {
        return;
    }
    if (!isWritingBoard()) {
        trace("Close requested while the programmer reads the board\n");
        stopFlashAndClose();
        return;
    }
    int answer = MessageBoxA(window,
                             "Firmware is being written to the board.\n"
                             "Stop programming and close Vexlor Loader?",
                             "Vexlor Loader", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
    if (answer == IDYES && isFlashing()) {
        trace("Close requested during programming\n");
        stopFlashAndClose();
    }
}

// The system menu's commands the program handles itself; false for those left to the system.
bool runSystemCommand(HWND window, WPARAM command)
{
    // The low four bits carry the system's own flags (a caption double-click sets one).
    switch (command & 0xFFF0) {
    case SC_RESTORE:
        ShowWindow(window, SW_RESTORE);
        SetFocus(GetDlgItem(window, IDC_NO_CONTROL));
        return true;
    case IDM_SAVE_LOG_AS:
        if (mayRun(IDM_SAVE_LOG_AS, programState())) {
            saveLogAs();
        }
        return true;
    case IDM_LOG_TO_FILE:
        if (mayRun(IDM_LOG_TO_FILE, programState())) {
            toggleLogToFile();
            rememberSettings();
        }
        return true;
    case IDM_FIND:
        openFindDialog();
        return true;
    case IDM_SHOW_TIMES:
        toggleLogTimes();
        rememberSettings();
        return true;
    case IDM_DAILY_LOG_FILES:
        if (mayRun(IDM_DAILY_LOG_FILES, programState())) {
            toggleDailyLogFiles();
            rememberSettings();
        }
        return true;
    case IDM_SAVE_BOARD_FIRMWARE:
        if (mayRun(IDM_SAVE_BOARD_FIRMWARE, programState())) {
            saveBoardFirmwareAs();
        }
        return true;
    case IDM_VERIFY_BOARD:
        if (mayRun(IDM_VERIFY_BOARD, programState())) {
            verifyBoardAgainstFile();
        }
        return true;
    default:
        return false;
    }
}

// Shutdown, restart or log-off asks first: refused while firmware is being written, as a board
// left half-written needs its bootloader again. The reason is set while the flash runs.
LRESULT answerEndSessionQuery()
{
    if (isWritingBoard()) {
        trace("Session end refused: programming\n");
        return FALSE;
    }
    return TRUE;
}

// The session ends anyway: the process may be ended as soon as this returns, so the programmer
// is ended now, and what the gateway sent is read, logged and the log file closed.
void endSession()
{
    trace("Session ends\n");
    endProgrammerNow();
    rememberSettings();
    readGatewayOnceMore();
    closeLogFile();
}

} // namespace

void onBaudRadio(int clickedId)
{
    checkBaudRadio(clickedId);
}

void clearLog()
{
    trace("Clear Log Window\n");
    SetDlgItemTextA(app.mainWindow, IDC_LOG_VIEW, "");
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == findDialogMessage()) {
        onFindDialogMessage(lParam);
        return 0;
    }
    switch (message) {
    case WM_CLOSE:
        closeMainWindow(window);
        return 0;
    case WM_QUERYENDSESSION:
        return answerEndSessionQuery();
    case WM_ENDSESSION:
        if (wParam) {
            endSession();
        }
        return 0;
    case WM_DESTROY:
        rememberSettings();
        closeLogFile();
        PostQuitMessage(0);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_PORT_LIST &&
            (HIWORD(wParam) == CBN_SELCHANGE || HIWORD(wParam) == CBN_EDITCHANGE)) {
            notePortChoice();
            return 0;
        }
        // 0 from a control or a dialog key; 1 with no control from the window's keys (Ctrl+F,
        // F3), as a combo box's selection change also sends 1.
        if (HIWORD(wParam) != 0 && (HIWORD(wParam) != 1 || lParam != 0)) {
            break;
        }
        dispatchCommand(window, LOWORD(wParam));
        return 0;
    case WM_SYSCOMMAND:
        if (runSystemCommand(window, wParam)) {
            return 0;
        }
        break;
    case kLogFileFailedMessage:
        reportLogFileError();
        return 0;
    case kUiTaskDoneMessage:
        finishUiTask(lParam);
        return 0;
    case WM_TIMER:
        if (wParam == kPortRefreshTimer) {
            refreshPortsWhenFree(window);
        } else if (wParam == kPollTimer) {
            pollGateway();
        }
        break;
    case WM_DEVICECHANGE:
        noteDeviceChange(window, wParam);
        return TRUE;
    case WM_DROPFILES:
        // A drop chooses a file; while the programmer runs it opens no box either.
        if (mayRun(IDC_SELECT_FILE_BUTTON, programState())) {
            dropFirmwareFiles(reinterpret_cast<HDROP>(wParam));
            rememberSettings();
        } else {
            DragFinish(reinterpret_cast<HDROP>(wParam));
        }
        return 0;
    case WM_DPICHANGED:
        if (layOutForDpi(window, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam))) {
            return 0;
        }
        break;
    case WM_INITMENU:
    case WM_INITMENUPOPUP:
        greyMenuCommands(reinterpret_cast<HMENU>(wParam));
        return 0;
    default:
        break;
    }
    // A dialog's class procedure leaves the rest to the dialog manager.
    return DefDlgProcA(window, message, wParam, lParam);
}
