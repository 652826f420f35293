// LoaderApp: starting, driving and ending the real program from a second process.
#include "loaderApp.h"

#include <psapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include "linuxHelper.h"
#include "winePaths.h"

#include "resource.h"

#include <string.h>

#include <algorithm>
#include <vector>

namespace {

constexpr DWORD kPollMs = 50;
// A sent message that takes longer than this means the program is stuck; the driver
// gives up on it rather than hang the test. (Not SMTO_ABORTIFHUNG: a program that has not
// looked at its queue for five seconds, a log mode start on a busy machine, is not stuck.)
constexpr UINT kSendTimeoutMs = kCatchUpMs;

const char kMainClass[] = "AidDev";
const char kMainCaption[] = "Vexlor Loader V1.05";
const char kDialogClass[] = "#32770";
const char kFileDialogCaption[] = "VEXLOR";
// The open-file dialog's file-name box: cmb13 (a combo box, the edit inside it takes the
// typing; in Wine 8 a ComboBoxEx32 around a combo box around the edit), edt1 in old templates.
constexpr int kFileNameCombo = 0x47C;
constexpr int kFileNameEdit = 0x480;
constexpr DWORD kDialogTimeoutMs = kCatchUpMs;
constexpr DWORD kFolderRemovalTimeoutMs = kCatchUpMs;
// Where Wine's open-file dialog remembers, per program, the folder a file was last chosen in.
const char kLastVisitedFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedMRU";

// The marker settle() posts: the hidden, unused 19200 baud radio's pushed look. The
// program never reads or sets it, and the user cannot see it.
constexpr int kMarkerId = IDC_BAUD_19200;

bool send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result = nullptr)
{
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_BLOCK,
                               kSendTimeoutMs, result != nullptr ? result : &ignored) != 0;
}

std::string windowText(HWND window)
{
    DWORD_PTR length = 0;
    if (window == nullptr || !send(window, WM_GETTEXTLENGTH, 0, 0, &length)) {
        return "";
    }
    std::vector<char> buffer(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!send(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), &copied)) {
        return "";
    }
    return std::string(buffer.data(), std::min<size_t>(copied, length));
}

std::string className(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

DWORD ownerProcess(HWND window)
{
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    return id;
}

} // namespace

std::wstring wide(const std::string& text)
{
    std::wstring result(text.size(), L'\0');
    result.resize(MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                      &result[0], static_cast<int>(result.size())));
    return result;
}

std::string programPath()
{
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string path = self;
    path.erase(path.find_last_of("\\/") + 1);
    path += "..\\bin\\VexlorLoader.exe";
    char full[MAX_PATH] = "";
    return GetFullPathNameA(path.c_str(), sizeof full, full, nullptr) != 0 ? full : path;
}

namespace {

std::string readWholeFile(const std::string& path)
{
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
            text.append(buffer, got);
        }
        CloseHandle(file);
    }
    return text;
}

// CreateProcessW with folder put first on the new process's PATH, as a programmer installed
// there would be found; the caller's PATH is left as it was. Wide, for programs in folders
// whose names the code page cannot write.
BOOL startWithFolderOnPath(const std::wstring& exe, std::wstring commandLine, BOOL inheritHandles,
                           DWORD flags, const std::string& folder, STARTUPINFOW& startup,
                           PROCESS_INFORMATION& started)
{
    static wchar_t searchPath[32768];
    GetEnvironmentVariableW(L"PATH", searchPath, 32768);
    SetEnvironmentVariableW(L"PATH", (wide(folder) + L";" + searchPath).c_str());
    BOOL ok = CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, inheritHandles, flags,
                             nullptr, wide(folder).c_str(), &startup, &started);
    DWORD error = GetLastError();
    SetEnvironmentVariableW(L"PATH", searchPath);
    SetLastError(error);
    return ok;
}

// Wide: a test may have made folders whose names the code page cannot write.
void removeTree(const std::wstring& path)
{
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            std::wstring child = path + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    // A programmer run from the folder leaves its console host there for a moment after it
    // has ended (about 100 ms under Wine); until that is gone, the folder cannot be removed.
    for (DWORD started = GetTickCount();
         !RemoveDirectoryW(path.c_str()) && GetLastError() == ERROR_SHARING_VIOLATION &&
         GetTickCount() - started < kFolderRemovalTimeoutMs;) {
        Sleep(kPollMs);
    }
}

// One entry of the system's handle table (SystemHandleInformation), as ntdll returns it.
struct HandleEntry {
    ULONG ownerPid;
    UCHAR objectType;
    UCHAR flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
};

constexpr ULONG kSystemHandleInformation = 16;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

// Counts the process's entries in the system's handle table. Wine's GetProcessHandleCount
// always reports 0, but Wine keeps this table exact, so leaks stay visible there.
DWORD countHandlesInSystemTable(DWORD processId)
{
    using QueryFunction = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QueryFunction>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr) {
        return 0;
    }
    std::vector<char> table(1 << 20);
    for (;;) {
        ULONG needed = 0;
        LONG status = query(kSystemHandleInformation, table.data(),
                            static_cast<ULONG>(table.size()), &needed);
        if (status == kInfoLengthMismatch && table.size() < (64u << 20)) {
            table.resize(table.size() * 2);
            continue;
        }
        if (status != 0) {
            return 0;
        }
        break;
    }
    ULONG count = *reinterpret_cast<const ULONG*>(table.data());
    // The entries follow the count, aligned as a pointer is.
    auto* entries = reinterpret_cast<const HandleEntry*>(table.data() + sizeof(PVOID));
    DWORD owned = 0;
    for (ULONG i = 0; i < count; ++i) {
        owned += entries[i].ownerPid == processId ? 1 : 0;
    }
    return owned;
}

struct BoxSearch {
    DWORD processId;
    HWND owner; // null: any owner
    HWND found;
};

BOOL CALLBACK matchBox(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<BoxSearch*>(param);
    if (ownerProcess(window) != search->processId || className(window) != kDialogClass ||
        !IsWindowVisible(window)) {
        return TRUE;
    }
    if (search->owner != nullptr && GetWindow(window, GW_OWNER) != search->owner) {
        return TRUE;
    }
    search->found = window;
    return FALSE;
}

// The box's message: its Static child with text, skipping the icon (also a Static).
BOOL CALLBACK findMessageText(HWND child, LPARAM param)
{
    if (className(child) != "Static" ||
        (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        return TRUE;
    }
    std::string text = windowText(child);
    if (text.empty()) {
        return TRUE;
    }
    *reinterpret_cast<std::string*>(param) = text;
    return FALSE;
}

BOOL CALLBACK findEdit(HWND child, LPARAM param)
{
    if (className(child) != "Edit") {
        return TRUE;
    }
    *reinterpret_cast<HWND*>(param) = child;
    return FALSE;
}

HWND fileNameEdit(HWND dialog)
{
    HWND box = GetDlgItem(dialog, kFileNameCombo);
    if (box == nullptr) {
        box = GetDlgItem(dialog, kFileNameEdit);
    }
    if (box == nullptr || className(box) == "Edit") {
        return box;
    }
    HWND edit = nullptr;
    EnumChildWindows(box, findEdit, reinterpret_cast<LPARAM>(&edit));
    return edit;
}

} // namespace

LoaderApp::LoaderApp() : folder(makeTempFolder("vexlor-e2e-")) {}

LoaderApp::~LoaderApp()
{
    if (process.hProcess != nullptr) {
        if (isRunning()) {
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, 5000);
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    if (!folder.empty()) {
        removeTree(wide(folder));
    }
}

::testing::AssertionResult LoaderApp::start(const std::string& program, DWORD timeoutMs,
                                            const std::string& arguments)
{
    if (folder.empty()) {
        return ::testing::AssertionFailure() << "no working folder could be made";
    }
    if (process.hProcess != nullptr) {
        return ::testing::AssertionFailure() << "the program was started already";
    }
    // The open-file dialog opens in the folder any earlier run last chose a file in, when that
    // still exists, and makes it the program's current folder; a full path typed for a file
    // elsewhere does not move it again. Forgotten here, the dialog opens in the working folder,
    // and the program keeps finding what a test put there (the stand-in programmer).
    RegDeleteKeyA(HKEY_CURRENT_USER, kLastVisitedFolders);
    if (!keepSettings) {
        DeleteFileW(settingsFilePath().c_str()); // what an earlier test's run remembered
    }
    std::string exe = program.empty() ? programPath() : program;
    std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    // The working folder leads the program's PATH: a programmer a test puts there is found as
    // one installed on PATH would be (the program never searches its current folder).
    // Detached, as when started from the desktop: the program gets no console of ours.
    if (!startWithFolderOnPath(wide(exe), wide(commandLine), FALSE, DETACHED_PROCESS, folder,
                               startup, process)) {
        DWORD error = GetLastError();
        process = {};
        return ::testing::AssertionFailure() << "cannot start " << exe << ": error " << error;
    }
    return waitForMainWindow(timeoutMs);
}

std::wstring settingsFilePath()
{
    wchar_t folder[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, folder))) {
        return std::wstring();
    }
    return std::wstring(folder) + L"\\Vexlor Loader\\settings.ini";
}

bool LoaderApp::findMainWindow()
{
    // FindWindow alone would take the first match, which may belong to another instance.
    for (HWND window = FindWindowExA(nullptr, nullptr, kMainClass, kMainCaption); window != nullptr;
         window = FindWindowExA(nullptr, window, kMainClass, kMainCaption)) {
        if (ownerProcess(window) == process.dwProcessId) {
            main = window;
            return true;
        }
    }
    return false;
}

::testing::AssertionResult LoaderApp::waitForMainWindow(DWORD timeoutMs)
{
    DWORD started = GetTickCount();
    for (;;) {
        if (main != nullptr || findMainWindow()) {
            if (IsWindowVisible(main) && !text(IDC_STATUS_LINE).empty()) {
                return ::testing::AssertionSuccess();
            }
        }
        if (!isRunning()) {
            DWORD code = 0;
            GetExitCodeProcess(process.hProcess, &code);
            return ::testing::AssertionFailure()
                   << "the program ended during start-up with exit code " << code;
        }
        if (GetTickCount() - started >= timeoutMs) {
            return ::testing::AssertionFailure()
                   << "no visible main window with a status within " << timeoutMs << " ms";
        }
        Sleep(kPollMs);
    }
}

HWND LoaderApp::control(int id) const
{
    return GetDlgItem(main, id);
}

std::string LoaderApp::windowCaption() const
{
    char caption[256] = "";
    GetWindowTextA(main, caption, sizeof caption);
    return caption;
}

std::string LoaderApp::text(int id) const
{
    return windowText(control(id));
}

::testing::AssertionResult LoaderApp::setText(int id, const std::string& text)
{
    DWORD_PTR done = 0;
    if (!send(control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &done) || !done) {
        return ::testing::AssertionFailure() << "control " << id << " did not take its text";
    }
    // Typing over a list is also reported to the window, as the control reports a user's keys.
    char className[16] = "";
    GetClassNameA(control(id), className, sizeof className);
    if (lstrcmpiA(className, "ComboBox") == 0) {
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(id, CBN_EDITCHANGE),
                     reinterpret_cast<LPARAM>(control(id)));
    }
    return ::testing::AssertionSuccess();
}

std::vector<std::string> LoaderApp::listItems(int id) const
{
    // Asked in wide characters: Wine hands CB_GETLBTEXT across processes as wide text
    // even to the ANSI call.
    std::vector<std::string> items;
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutW(control(id), CB_GETCOUNT, 0, 0, SMTO_BLOCK, kSendTimeoutMs, &count) ||
        static_cast<LONG_PTR>(count) == CB_ERR) {
        return items;
    }
    for (DWORD_PTR i = 0; i < count; ++i) {
        wchar_t item[256] = L"";
        DWORD_PTR length = 0;
        if (!SendMessageTimeoutW(control(id), CB_GETLBTEXTLEN, i, 0, SMTO_BLOCK, kSendTimeoutMs,
                                 &length) ||
            length >= 256 ||
            !SendMessageTimeoutW(control(id), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item),
                                 SMTO_BLOCK, kSendTimeoutMs, &length)) {
            break;
        }
        char narrow[512] = "";
        WideCharToMultiByte(CP_ACP, 0, item, -1, narrow, sizeof narrow, nullptr, nullptr);
        items.push_back(narrow);
    }
    return items;
}

::testing::AssertionResult LoaderApp::selectListItem(int id, const std::string& item)
{
    std::vector<std::string> items = listItems(id);
    size_t index = 0;
    while (index < items.size() && items[index] != item) {
        ++index;
    }
    if (index == items.size()) {
        return ::testing::AssertionFailure() << "\"" << item << "\" is not in the list";
    }
    DWORD_PTR result = 0;
    if (!send(control(id), CB_SETCURSEL, index, 0, &result) ||
        static_cast<LONG_PTR>(result) != static_cast<LONG_PTR>(index)) {
        return ::testing::AssertionFailure() << "the list did not select \"" << item << "\"";
    }
    // A choice made in the drop-down list is also reported to the window.
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(control(id)));
    return settle();
}

bool LoaderApp::isEnabled(int id) const
{
    return IsWindowEnabled(control(id)) != FALSE;
}

bool LoaderApp::isVisible(int id) const
{
    return IsWindowVisible(control(id)) != FALSE;
}

void LoaderApp::click(int id)
{
    waitOutDoubleClick(id);
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(control(id)));
    if (id == IDC_UPLOAD_BUTTON || id == IDC_LOGGING_BUTTON) {
        toggleClicked[id] = GetTickCount();
    }
}

void LoaderApp::waitOutDoubleClick(int id)
{
    auto last = toggleClicked.find(id);
    if (last == toggleClicked.end()) {
        return;
    }
    // A posted click's message time is when it was posted, no earlier than the tick taken after
    // the last click; a margin keeps the two clocks' readings apart.
    const DWORD pause = GetDoubleClickTime() + 100;
    for (DWORD since = GetTickCount() - last->second; since < pause; since = GetTickCount() - last->second) {
        Sleep(pause - since);
    }
}

::testing::AssertionResult LoaderApp::doubleClick(int id)
{
    // The virtual desktop sits at the display's origin: screen coordinates are the display's.
    waitOutDoubleClick(id);
    RECT area = {};
    GetWindowRect(control(id), &area);
    ::testing::AssertionResult clicked =
        runXdotool("mousemove " + std::to_string((area.left + area.right) / 2) + " " +
                   std::to_string((area.top + area.bottom) / 2) + " click --repeat 2 --delay 80 1");
    if (clicked) {
        toggleClicked[id] = GetTickCount();
    }
    return clicked;
}

::testing::AssertionResult LoaderApp::typeKeys(const std::string& keys)
{
    // Keys go to the window with the focus: the main window is brought forward first.
    SetForegroundWindow(main);
    return runXdotool("key " + keys);
}

::testing::AssertionResult LoaderApp::runXdotool(const std::string& arguments)
{
    std::string done = folder + "\\xdotool-done";
    DeleteFileA(done.c_str());
    std::string command = windowsPathOf("/bin/sh") + " -c \"xdotool " + arguments + " && echo >'" +
                          unixPathOf(done) + "'\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
        return ::testing::AssertionFailure() << "cannot run xdotool, error " << GetLastError();
    }
    for (HANDLE handle : {started.hProcess, started.hThread}) {
        if (handle != nullptr) {
            CloseHandle(handle);
        }
    }
    for (DWORD begun = GetTickCount(); GetTickCount() - begun < kCatchUpMs; Sleep(20)) {
        if (GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES) {
            return ::testing::AssertionSuccess();
        }
    }
    return ::testing::AssertionFailure() << "xdotool did not finish: " << command;
}

::testing::AssertionResult LoaderApp::pressKey(int id, UINT virtualKey)
{
    HWND target = control(id);
    UINT scanCode = MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
    LPARAM down = 1 | (static_cast<LPARAM>(scanCode) << 16);
    LPARAM up = down | (1L << 30) | (1L << 31);
    // No WM_CHAR: the program's own TranslateMessage makes it from the key-down, as it
    // does for a real key, and a posted one would arrive twice.
    PostMessageA(target, WM_KEYDOWN, virtualKey, down);
    PostMessageA(target, WM_KEYUP, virtualKey, up);
    return settle();
}

::testing::AssertionResult LoaderApp::settle(DWORD timeoutMs)
{
    // Twice: what the program posts to itself while handling our messages (an edit control's
    // WM_CLOSE on Esc, for one) queues up behind the first marker.
    DWORD started = GetTickCount();
    for (int round = 0; round < 2; ++round) {
        ::testing::AssertionResult handled = waitForMarker(started, timeoutMs);
        if (!handled) {
            return handled;
        }
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult LoaderApp::waitForMarker(DWORD started, DWORD timeoutMs)
{
    // A sent message is handled before anything posted, so sending alone proves nothing:
    // the marker is posted behind everything else and then watched for.
    HWND marker = control(kMarkerId);
    bool posted = false;
    for (;;) {
        if (!IsWindow(marker)) {
            return ::testing::AssertionFailure() << "the main window is gone";
        }
        DWORD_PTR state = 0;
        if (!posted) {
            // Cleared with a sent message first, so a marker left by an earlier, failed
            // settle cannot count for this one.
            posted = send(marker, BM_SETSTATE, FALSE, 0) &&
                     PostMessageA(marker, BM_SETSTATE, TRUE, 0);
        } else if (send(marker, BM_GETSTATE, 0, 0, &state) && (state & BST_PUSHED)) {
            send(marker, BM_SETSTATE, FALSE, 0);
            return ::testing::AssertionSuccess();
        }
        if (!isRunning()) {
            return ::testing::AssertionFailure() << "the program ended";
        }
        if (GetTickCount() - started >= timeoutMs) {
            return ::testing::AssertionFailure()
                   << "the program did not handle its messages within " << timeoutMs << " ms";
        }
        Sleep(kPollMs / 5);
    }
}

MessageBoxInfo LoaderApp::findMessageBox(bool ownedByMain) const
{
    return findBoxOwnedBy(ownedByMain ? main : nullptr);
}

MessageBoxInfo LoaderApp::findBoxOwnedBy(HWND owner) const
{
    BoxSearch search = {process.dwProcessId, owner, nullptr};
    EnumWindows(matchBox, reinterpret_cast<LPARAM>(&search));
    MessageBoxInfo box;
    if (search.found != nullptr) {
        box.window = search.found;
        char caption[256] = "";
        GetWindowTextA(search.found, caption, sizeof caption);
        box.caption = caption;
        EnumChildWindows(search.found, findMessageText, reinterpret_cast<LPARAM>(&box.text));
    }
    return box;
}

MessageBoxInfo LoaderApp::waitForMessageBox(DWORD timeoutMs, bool ownedByMain) const
{
    return waitForBoxOwnedBy(ownedByMain ? main : nullptr, timeoutMs);
}

MessageBoxInfo LoaderApp::waitForBoxOwnedBy(HWND owner, DWORD timeoutMs) const
{
    DWORD started = GetTickCount();
    for (;;) {
        MessageBoxInfo box = findBoxOwnedBy(owner);
        if (box.window != nullptr || GetTickCount() - started >= timeoutMs) {
            return box;
        }
        Sleep(kPollMs);
    }
}

void LoaderApp::dismiss(HWND box)
{
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

::testing::AssertionResult LoaderApp::waitUntilGone(HWND window, DWORD timeoutMs) const
{
    DWORD started = GetTickCount();
    while (IsWindow(window)) {
        if (GetTickCount() - started >= timeoutMs) {
            return ::testing::AssertionFailure() << "the window stayed open for " << timeoutMs
                                                 << " ms";
        }
        Sleep(kPollMs / 5);
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult LoaderApp::chooseFile(const std::string& path)
{
    click(IDC_SELECT_FILE_BUTTON);
    return answerFileDialog(kFileDialogCaption, &path);
}

::testing::AssertionResult LoaderApp::cancelFileChoice()
{
    click(IDC_SELECT_FILE_BUTTON);
    return answerFileDialog(kFileDialogCaption, nullptr);
}

void LoaderApp::systemCommand(UINT command)
{
    PostMessageA(main, WM_SYSCOMMAND, command, 0);
}

::testing::AssertionResult LoaderApp::chooseSaveFile(UINT command, const std::string& caption,
                                                     const std::string* path)
{
    systemCommand(command);
    return answerFileDialog(caption.c_str(), path);
}

::testing::AssertionResult LoaderApp::answerFileDialog(const char* caption, const std::string* path)
{
    MessageBoxInfo dialog = waitForMessageBox(kDialogTimeoutMs, true);
    if (dialog.window == nullptr) {
        return ::testing::AssertionFailure() << "no file dialog within " << kDialogTimeoutMs
                                             << " ms";
    }
    if (dialog.caption != caption) {
        return ::testing::AssertionFailure() << "a box \"" << dialog.caption << "\" ("
                                             << dialog.text << ") came instead of the dialog";
    }
    int button = IDCANCEL;
    if (path != nullptr) {
        HWND edit = fileNameEdit(dialog.window);
        DWORD_PTR done = 0;
        if (edit == nullptr ||
            !send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path->c_str()), &done) || !done) {
            return ::testing::AssertionFailure() << "the dialog's file-name box took no text";
        }
        button = IDOK;
    }
    PostMessageA(dialog.window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog.window, button)));
    ::testing::AssertionResult closed = waitUntilGone(dialog.window, kDialogTimeoutMs);
    if (!closed) {
        // The dialog answers a name it cannot open with a box of its own.
        MessageBoxInfo complaint = findMessageBox();
        return closed << "; the dialog says: " << complaint.caption << ": " << complaint.text;
    }
    return settle();
}

namespace {

// The pixels of a screen rectangle (32-bit rows, top row first).
std::vector<unsigned char> capture(const RECT& place)
{
    int width = place.right - place.left;
    int height = place.bottom - place.top;
    std::vector<unsigned char> pixels;
    if (width <= 0 || height <= 0) {
        return pixels;
    }
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height; // top row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC copy = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (copy != nullptr && bitmap != nullptr) {
        HGDIOBJ previous = SelectObject(copy, bitmap);
        if (BitBlt(copy, 0, 0, width, height, screen, place.left, place.top, SRCCOPY)) {
            GdiFlush();
            const auto* first = static_cast<const unsigned char*>(bits);
            pixels.assign(first, first + static_cast<size_t>(width) * height * 4);
        }
        SelectObject(copy, previous);
    }
    if (bitmap != nullptr) {
        DeleteObject(bitmap);
    }
    if (copy != nullptr) {
        DeleteDC(copy);
    }
    ReleaseDC(nullptr, screen);
    return pixels;
}

} // namespace

std::vector<unsigned char> LoaderApp::screenPixels(int id) const
{
    RECT place = {};
    GetWindowRect(control(id), &place);
    return capture(place);
}

::testing::AssertionResult LoaderApp::saveScreenshot(const std::string& path) const
{
    RECT place = {};
    GetWindowRect(main, &place);
    std::vector<unsigned char> pixels = capture(place);
    if (pixels.empty()) {
        return ::testing::AssertionFailure() << "the window's pixels could not be read";
    }
    int width = place.right - place.left;
    int height = place.bottom - place.top;
    // BMP rows are bottom-up, 24 bits a pixel, each row padded to 4 bytes.
    DWORD rowSize = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + rowSize * height;
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    std::string data(reinterpret_cast<const char*>(&file), sizeof file);
    data.append(reinterpret_cast<const char*>(&info), sizeof info);
    for (int y = height - 1; y >= 0; --y) {
        std::string row(rowSize, '\0');
        for (int x = 0; x < width; ++x) {
            memcpy(&row[x * 3], &pixels[(static_cast<size_t>(y) * width + x) * 4], 3);
        }
        data += row;
    }
    HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    bool saved = out != INVALID_HANDLE_VALUE &&
                 WriteFile(out, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
                 written == data.size();
    if (out != INVALID_HANDLE_VALUE) {
        CloseHandle(out);
    }
    if (!saved) {
        return ::testing::AssertionFailure() << "cannot write " << path;
    }
    return ::testing::AssertionSuccess();
}

DWORD LoaderApp::handleCount() const
{
    DWORD count = 0;
    if (GetProcessHandleCount(process.hProcess, &count) && count != 0) {
        return count;
    }
    return countHandlesInSystemTable(process.dwProcessId);
}

SIZE_T LoaderApp::privateBytes() const
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    // Wine leaves PrivateUsage at 0 and reports the same figure as the page-file usage.
    return counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
}

bool LoaderApp::isRunning() const
{
    return process.hProcess != nullptr && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT;
}

::testing::AssertionResult LoaderApp::endSession(bool& allowed)
{
    DWORD_PTR answer = FALSE;
    if (!SendMessageTimeoutA(main, WM_QUERYENDSESSION, 0, 0, SMTO_BLOCK, kSendTimeoutMs, &answer) ||
        !SendMessageTimeoutA(main, WM_ENDSESSION, TRUE, 0, SMTO_BLOCK, kSendTimeoutMs, nullptr)) {
        return ::testing::AssertionFailure() << "the program did not answer the session's end";
    }
    allowed = answer != FALSE;
    return ::testing::AssertionSuccess();
}

void LoaderApp::closeByCaptionButton()
{
    PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
}

DWORD LoaderApp::waitForExit(DWORD timeoutMs)
{
    if (process.hProcess == nullptr ||
        WaitForSingleObject(process.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        return kStillRunning;
    }
    DWORD code = kStillRunning;
    GetExitCodeProcess(process.hProcess, &code);
    return code;
}

DWORD runWithArguments(const std::string& arguments, const std::string& folder,
                       std::string& output, DWORD timeoutMs)
{
    return runCapturingOutput(programPath(), arguments, folder, output, timeoutMs);
}

DWORD runCapturingOutput(const std::string& exe, const std::string& arguments,
                         const std::string& folder, std::string& output, DWORD timeoutMs)
{
    return runCapturingOutput(wide(exe), wide(arguments), folder, output, timeoutMs);
}

DWORD runCapturingOutput(const std::wstring& exe, const std::wstring& arguments,
                         const std::string& folder, std::string& output, DWORD timeoutMs)
{
    std::string outputPath = folder + "\\command-line-output.txt";
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE file = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = file;
    startup.hStdError = file;
    PROCESS_INFORMATION started = {};
    BOOL ok = startWithFolderOnPath(exe, commandLine, TRUE, 0, folder, startup, started);
    CloseHandle(file);
    DWORD code = LoaderApp::kStillRunning;
    if (ok) {
        if (WaitForSingleObject(started.hProcess, timeoutMs) == WAIT_OBJECT_0) {
            GetExitCodeProcess(started.hProcess, &code);
        } else {
            TerminateProcess(started.hProcess, 1);
            WaitForSingleObject(started.hProcess, 5000);
        }
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
    }
    output = readWholeFile(outputPath);
    DeleteFileA(outputPath.c_str());
    return code;
}

int processesNamed(const char* exeName)
{
    int count = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        count += _stricmp(entry.szExeFile, exeName) == 0 ? 1 : 0;
    }
    CloseHandle(snapshot);
    return count;
}
