// Laying the window out at a new DPI as the dialog manager lays it out when it creates it: the
// template's font at its point size for that DPI, and every control placed from the template's
// dialog units with that font's base units (so a label is as tall as the font at every scale;
// scaling the first layout's pixels would not be). The DPI functions exist from Windows 10 on
// and are looked up, so that the program still starts on Windows 7.
//
// Top floor (app/, the window): may include every floor below it.
#include "dpiChange.h"

#include <algorithm>
#include <vector>

#include "platform/trace.h"
#include "resource.h"

namespace {

// A control's place in the template, in dialog units.
struct ItemPlace {
    short x, y, cx, cy;
};

// The template's font and its controls' places, in the template's order (the order the dialog
// manager creates them in, so the window's children come in it too).
struct TemplateLayout {
    ItemPlace dialog = {};
    int pointSize = 8;
    std::vector<ItemPlace> items;
};

const BYTE* skipText(const BYTE* at)
{
    const WORD* word = reinterpret_cast<const WORD*>(at);
    if (*word == 0xFFFF) {
        return at + 4; // an ordinal
    }
    while (*word != 0) {
        ++word;
    }
    return reinterpret_cast<const BYTE*>(word + 1);
}

const BYTE* alignToDword(const BYTE* at, const BYTE* start)
{
    return start + ((at - start + 3) & ~3);
}

// Reads the main window's template (an extended one: DIALOGEX).
TemplateLayout readTemplate()
{
    TemplateLayout layout;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(IDD_MAIN_WINDOW), MAKEINTRESOURCEA(5));
    const BYTE* start =
        found != nullptr ? static_cast<const BYTE*>(LockResource(LoadResource(instance, found)))
                         : nullptr;
    if (start == nullptr || reinterpret_cast<const WORD*>(start)[1] != 0xFFFF) {
        return layout;
    }
    DWORD style = *reinterpret_cast<const DWORD*>(start + 12);
    WORD count = *reinterpret_cast<const WORD*>(start + 16);
    const short* dialog = reinterpret_cast<const short*>(start + 18);
    layout.dialog = {dialog[0], dialog[1], dialog[2], dialog[3]};
    const BYTE* at = start + 26;      // past the header and the dialog's own place
    at = skipText(skipText(at));      // the menu and the class
    at = skipText(at);                // the caption
    if (style & (DS_SETFONT | DS_SHELLFONT)) {
        layout.pointSize = *reinterpret_cast<const WORD*>(at);
        at = skipText(at + 6);        // point size, weight, italic, character set, typeface
    }
    for (WORD i = 0; i < count; ++i) {
        at = alignToDword(at, start);
        const short* place = reinterpret_cast<const short*>(at + 12);
        layout.items.push_back({place[0], place[1], place[2], place[3]});
        at = skipText(skipText(at + 24)); // help id, styles, place, id; class and title
        WORD extra = *reinterpret_cast<const WORD*>(at);
        at += 2 + extra;
    }
    return layout;
}

// The dialog manager's base units of a font: the average width of the letters and the height.
SIZE baseUnits(HWND window, HFONT font)
{
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, font);
    const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE size = {};
    GetTextExtentPoint32A(dc, letters, 52, &size);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return {(size.cx / 26 + 1) / 2, metrics.tmHeight};
}

HFONT scaledFont = nullptr; // the font made for the DPI now, freed when it is replaced

// The template's client area in pixels, with the base units of its font at the new DPI.
SIZE clientSizeFor(const ItemPlace& dialog, SIZE units)
{
    return {MulDiv(dialog.cx, units.cx, 4), MulDiv(dialog.cy, units.cy, 8)};
}

template <typename Function>
Function userFunction(const char* name)
{
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}

// Whether the dialog manager lays the window out again itself: it does for per-monitor v2.
bool dialogManagerScales(HWND window)
{
    using GetContext = DPI_AWARENESS_CONTEXT(WINAPI*)(HWND);
    using AreEqual = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT, DPI_AWARENESS_CONTEXT);
    auto getContext = userFunction<GetContext>("GetWindowDpiAwarenessContext");
    auto areEqual = userFunction<AreEqual>("AreDpiAwarenessContextsEqual");
    return getContext != nullptr && areEqual != nullptr &&
           areEqual(getContext(window), DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
}

} // namespace

bool layOutForDpi(HWND window, UINT dpi, const RECT& suggested)
{
    if (dialogManagerScales(window)) {
        return false;
    }
    static const TemplateLayout layout = readTemplate();
    std::vector<HWND> controls;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        controls.push_back(child);
    }
    if (controls.size() != layout.items.size()) {
        return false; // not the template's window: nothing to lay out from
    }
    trace("DPI %u\n", dpi);
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font, &font);
    font.lfHeight = -MulDiv(layout.pointSize, static_cast<int>(dpi), 72);
    font.lfWidth = 0;
    HFONT newFont = CreateFontIndirectA(&font);
    SIZE units = baseUnits(window, newFont);
    // Drawn once, when every control has its place and font.
    SendMessageA(window, WM_SETREDRAW, FALSE, 0);
    // Where Windows suggests, and as large as it suggests unless the template needs more: the
    // fonts of another scale are not exactly as much larger, nor is the frame.
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    SIZE needed = clientSizeFor(layout.dialog, units);
    RECT client;
    GetClientRect(window, &client);
    if (client.right < needed.cx || client.bottom < needed.cy) {
        SetWindowPos(window, nullptr, 0, 0,
                     suggested.right - suggested.left + std::max(0L, needed.cx - client.right),
                     suggested.bottom - suggested.top + std::max(0L, needed.cy - client.bottom),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(newFont), FALSE);
    for (size_t i = 0; i < controls.size(); ++i) {
        const ItemPlace& place = layout.items[i];
        SendMessageA(controls[i], WM_SETFONT, reinterpret_cast<WPARAM>(newFont), FALSE);
        MoveWindow(controls[i], MulDiv(place.x, units.cx, 4), MulDiv(place.y, units.cy, 8),
                   MulDiv(place.cx, units.cx, 4), MulDiv(place.cy, units.cy, 8), FALSE);
    }
    if (scaledFont != nullptr) {
        DeleteObject(scaledFont);
    }
    scaledFont = newFont;
    SendMessageA(window, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(window, nullptr, nullptr,
                 RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
    return true;
}
