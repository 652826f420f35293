// The main window at the DPI the Wine prefix is set to, which VEXLOR_DPI names
// (tests/harness/atEachDpi.sh runs this program at 96, 144 and 192 DPI): the manifest takes
// effect, and no visible control's text is cut off.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <stdlib.h>

#include <string>

#include "appState.h"
#include "resource.h"
#include "testWindow.h"

namespace {

UINT expectedDpi()
{
    const char* dpi = getenv("VEXLOR_DPI");
    return dpi != nullptr ? static_cast<UINT>(atoi(dpi)) : 96;
}

// What a control's text needs and the room the control gives it, in pixels.
struct TextFit {
    SIZE needed;
    SIZE room;
};

// Measures the text with the control's own font, laid out as the control lays it out, against
// its client area less what the control draws beside the text: a button's frame, the box of a
// check box or radio button, the margins that keep a group box's caption off its corners.
TextFit measureText(HWND control, const std::string& text, UINT dpi)
{
    RECT client;
    GetClientRect(control, &client);
    TextFit fit = {{0, 0}, {client.right, client.bottom}};
    HDC dc = GetDC(control);
    HGDIOBJ oldFont =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    char className[16] = "";
    GetClassNameA(control, className, sizeof className);
    LONG type = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
    UINT format = DT_CALCRECT | DT_SINGLELINE;
    if (lstrcmpiA(className, "Static") == 0) {
        format = DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS; // as SS_LEFT draws
    } else if (type == BS_GROUPBOX) {
        fit.room.cx -= 2 * MulDiv(8, static_cast<int>(dpi), 96);
    } else if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
               type == BS_AUTORADIOBUTTON) {
        int zeroWidth = 0;
        GetCharWidth32A(dc, '0', '0', &zeroWidth);
        fit.room.cx -= GetSystemMetricsForDpi(SM_CXMENUCHECK, dpi) + zeroWidth / 2;
    } else { // a push button: its frame and a pixel of air on each side
        fit.room.cx -= 2 * (GetSystemMetricsForDpi(SM_CXEDGE, dpi) + 1);
        fit.room.cy -= 2 * (GetSystemMetricsForDpi(SM_CYEDGE, dpi) + 1);
    }
    RECT laidOut = {0, 0, fit.room.cx, 0};
    DrawTextA(dc, text.c_str(), -1, &laidOut, format);
    fit.needed = {laidOut.right, laidOut.bottom};
    SelectObject(dc, oldFont);
    ReleaseDC(control, dc);
    return fit;
}

using DpiTest = MainWindowTest;

TEST_F(DpiTest, ManifestMakesTheWindowDpiAwareWithVersion6Controls)
{
    // The loader took the manifest's DPI settings for the process...
    const wchar_t* namespaces[] = {L"http://schemas.microsoft.com/SMI/2016/WindowsSettings",
                                   L"http://schemas.microsoft.com/SMI/2005/WindowsSettings"};
    wchar_t awareness[64] = L"";
    wchar_t aware[64] = L"";
    QueryActCtxSettingsW(0, nullptr, namespaces[0], L"dpiAwareness", awareness, 64, nullptr);
    QueryActCtxSettingsW(0, nullptr, namespaces[1], L"dpiAware", aware, 64, nullptr);
    EXPECT_STREQ(awareness, L"PerMonitorV2, PerMonitor");
    EXPECT_STREQ(aware, L"true/pm");
    // ...and the window is laid out at the screen's DPI, per monitor: version 2 where the
    // system knows it. (Wine 8 does not, and stops at the first entry it cannot set; a Wine
    // prefix then keeps its own default, per-monitor awareness.)
    DPI_AWARENESS_CONTEXT context = GetThreadDpiAwarenessContext();
    EXPECT_EQ(GetAwarenessFromDpiAwarenessContext(context), DPI_AWARENESS_PER_MONITOR_AWARE);
    if (IsValidDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) {
        EXPECT_TRUE(AreDpiAwarenessContextsEqual(context,
                                                 DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2));
    }
    EXPECT_EQ(GetDpiForWindow(app.mainWindow), expectedDpi());

    // Version 6 buttons answer BCM_GETIDEALSIZE, older ones ignore it. (Wine's comctl32.dll
    // reports version 5.81 even where it serves version 6, so DllGetVersion cannot tell.)
    SIZE ideal = {0, 0};
    char library[MAX_PATH] = "";
    GetModuleFileNameA(GetModuleHandleA("comctl32.dll"), library, sizeof library);
    EXPECT_TRUE(SendMessageA(control(IDC_UPLOAD_BUTTON), BCM_GETIDEALSIZE, 0,
                             reinterpret_cast<LPARAM>(&ideal)))
        << "common controls from " << library;
    EXPECT_GT(ideal.cx, 0);
}

// Every visible label's, button's and group box's text fits its control at dpi, and the control
// lies inside the window; returns how many were checked.
int checkTextsFit(UINT dpi)
{
    RECT window;
    GetClientRect(app.mainWindow, &window);
    int checked = 0;
    for (HWND child = GetWindow(app.mainWindow, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        char text[128] = "";
        GetWindowTextA(child, text, sizeof text);
        char className[16] = "";
        GetClassNameA(child, className, sizeof className);
        bool labelled = lstrcmpiA(className, "Static") == 0 || lstrcmpiA(className, "Button") == 0;
        if (!(GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE) || !labelled || text[0] == '\0') {
            continue;
        }
        ++checked;
        TextFit fit = measureText(child, text, dpi);
        EXPECT_TRUE(fit.needed.cx <= fit.room.cx && fit.needed.cy <= fit.room.cy)
            << '"' << text << "\" at " << dpi << " DPI needs " << fit.needed.cx << "x"
            << fit.needed.cy << " px as laid out, its " << className << " gives "
            << fit.room.cx << "x" << fit.room.cy;
        RECT place;
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, app.mainWindow, reinterpret_cast<POINT*>(&place), 2);
        EXPECT_TRUE(place.right <= window.right && place.bottom <= window.bottom)
            << '"' << text << "\" at " << dpi << " DPI reaches past the window";
    }
    return checked;
}

RECT placeOf(HWND control)
{
    RECT place;
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, app.mainWindow, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

TEST_F(DpiTest, EveryVisibleTextFitsItsControl)
{
    EXPECT_EQ(checkTextsFit(GetDpiForWindow(app.mainWindow)), 20)
        << "the template has 20 visible controls with a text";
}

// Moved to a screen of another scale (Windows sends WM_DPICHANGED; Wine does not, so the test
// sends it as Windows would), the window takes the place Windows suggests and lays itself out
// at the new DPI, where every text fits; back on the first screen every control is where the
// dialog manager put it.
TEST_F(DpiTest, AnotherScreensScaleLaysTheWindowOutAgain)
{
    UINT first = GetDpiForWindow(app.mainWindow);
    UINT other = first == 96 ? 144 : 96; // up from 96, down to it from the larger scales
    RECT before;
    GetWindowRect(app.mainWindow, &before);
    RECT button = placeOf(control(IDC_UPLOAD_BUTTON));
    RECT suggested = {before.left, before.top,
                      before.left + MulDiv(before.right - before.left, other, first),
                      before.top + MulDiv(before.bottom - before.top, other, first)};
    SendMessageA(app.mainWindow, WM_DPICHANGED, MAKEWPARAM(other, other),
                 reinterpret_cast<LPARAM>(&suggested));
    // Where Windows suggests, at least as large (the template may need a few pixels more).
    RECT after;
    GetWindowRect(app.mainWindow, &after);
    EXPECT_EQ(after.left, suggested.left);
    EXPECT_EQ(after.top, suggested.top);
    EXPECT_GE(after.right - after.left, suggested.right - suggested.left);
    EXPECT_GE(after.bottom - after.top, suggested.bottom - suggested.top);
    RECT scaled = placeOf(control(IDC_UPLOAD_BUTTON));
    double ratio = static_cast<double>(other) / first;
    EXPECT_NEAR(scaled.right - scaled.left, (button.right - button.left) * ratio,
                (button.right - button.left) / 10.0);
    EXPECT_NEAR(scaled.bottom - scaled.top, (button.bottom - button.top) * ratio,
                (button.bottom - button.top) / 10.0);
    EXPECT_EQ(checkTextsFit(other), 20);

    SendMessageA(app.mainWindow, WM_DPICHANGED, MAKEWPARAM(first, first),
                 reinterpret_cast<LPARAM>(&before));
    RECT back = placeOf(control(IDC_UPLOAD_BUTTON));
    EXPECT_TRUE(EqualRect(&back, &button));
    EXPECT_EQ(checkTextsFit(first), 20);
}

} // namespace
