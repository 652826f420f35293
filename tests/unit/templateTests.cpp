// The main window as its template builds it: every control in template (tab) order, with its
// kind, text, place and initial state, and the window's own class, caption and style.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "appState.h"
#include "resource.h"
#include "testWindow.h"

namespace {

struct ExpectedControl {
    int id;
    const char* className;
    const char* text;
    RECT dialogUnits; // x, y, width, height as the template gives them
    bool visible;
    bool enabled;
    DWORD styleBits;  // bits that must be set (a border may show as a client edge instead)
};

const RECT at(int x, int y, int width, int height)
{
    return RECT{x, y, x + width, y + height};
}

const std::vector<ExpectedControl> controlMap = {
    {-1, "Button", "Select Firmware file to load:", at(5, 0, 403, 39), true, true, BS_GROUPBOX},
    {IDC_PATH_FIELD, "Edit", "", at(8, 16, 343, 12), true, true, WS_BORDER | WS_TABSTOP},
    {-1, "Static", "Serial Port:", at(419, 38, 38, 8), true, true, 0},
    {IDC_SELECT_FILE_BUTTON, "Button", "Select &File", at(355, 15, 50, 14), true, true, WS_TABSTOP},
    {-1, "Static", "Baud Rate:", at(528, 9, 37, 8), false, true, 0},
    {IDC_SCAN_BUTTON, "Button", "&Scan Available Ports", at(418, 15, 74, 14), true, true, WS_TABSTOP},
    {IDC_UPLOAD_BUTTON, "Button", "Upload/Program Firmware to device", at(434, 82, 156, 29), true, true, WS_TABSTOP},
    {IDC_BAUD_19200, "Button", "19200", at(542, 19, 31, 10), false, false, BS_AUTORADIOBUTTON},
    {IDC_BAUD_57600, "Button", "57600", at(546, 12, 36, 10), false, false, BS_AUTORADIOBUTTON},
    {-1, "Button", "Device Type:", at(5, 39, 403, 38), true, true, BS_GROUPBOX},
    {-1, "Button", "Select Serial Port:", at(411, 0, 178, 77), true, true, BS_GROUPBOX},
    {IDC_DEBUG_SCREEN_CHECK, "Button", "Application Debug Screen", at(5, 375, 101, 10), true, true, BS_AUTOCHECKBOX},
    {-1, "Static", "Arduino board:", at(10, 53, 52, 8), true, true, 0},
    {IDC_BAUD_38400, "Button", "38400", at(543, 15, 36, 10), false, false, BS_AUTORADIOBUTTON},
    {IDC_BAUD_115200, "Button", "115200", at(545, 7, 40, 10), false, true, BS_AUTORADIOBUTTON},
    {IDC_PORT_LIST, "ComboBox", "", at(417, 52, 166, 72), true, true, CBS_DROPDOWN | CBS_SORT | WS_TABSTOP},
    {IDC_BOARD_LIST, "ComboBox", "", at(76, 51, 274, 63), true, true, CBS_DROPDOWN | CBS_SORT | WS_TABSTOP},
    {-1, "Static", "Status:", at(11, 87, 24, 8), true, true, 0},
    {IDC_STATUS_LINE, "Edit", "", at(39, 87, 226, 15), true, true, 0},
    {IDC_LOGGING_BUTTON, "Button", "Serial Port Logging", at(8, 123, 96, 12), true, true, WS_TABSTOP},
    {IDC_LOG_VIEW, "Edit", "", at(8, 141, 576, 208), true, true, ES_MULTILINE | ES_OEMCONVERT | ES_NOHIDESEL | WS_BORDER | WS_VSCROLL | WS_TABSTOP},
    {IDC_CLEAR_LOG_BUTTON, "Button", "Clear log window", at(505, 123, 80, 12), true, true, WS_TABSTOP},
    {IDC_GATEWAY_DEBUG_BUTTON, "Button", "Log Mode: Debug", at(153, 123, 98, 12), true, true, WS_TABSTOP},
    {-1, "Button", "Logging:", at(3, 111, 585, 261), true, true, BS_GROUPBOX},
    {IDC_LOGGING_ON_LABEL, "Static", "ON", at(110, 125, 12, 8), true, true, 0},
    {IDC_LOGGING_OFF_LABEL, "Static", "OFF", at(110, 125, 14, 8), true, true, 0},
    {IDC_GATEWAY_DEBUG_ON_LABEL, "Static", "ON", at(260, 125, 12, 8), true, true, 0},
    {IDC_GATEWAY_DEBUG_OFF_LABEL, "Static", "OFF", at(260, 125, 14, 8), true, true, 0},
    {IDC_COMMAND_FIELD, "Edit", "", at(75, 353, 419, 14), true, true, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP},
    {IDC_SEND_COMMAND_BUTTON, "Button", "Send Command", at(505, 354, 80, 12), true, true, WS_TABSTOP},
    {-1, "Static", "Command To Send:", at(6, 355, 68, 8), true, true, 0},
};

using TemplateTest = MainWindowTest;

TEST_F(TemplateTest, WindowHasItsClassCaptionAndFixedFrame)
{
    char className[32] = "";
    GetClassNameA(app.mainWindow, className, sizeof className);
    EXPECT_STREQ(className, "AidDev");
    char caption[64] = "";
    GetWindowTextA(app.mainWindow, caption, sizeof caption);
    EXPECT_STREQ(caption, "Vexlor Loader V1.05");
    LONG style = GetWindowLongA(app.mainWindow, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MAXIMIZEBOX));
    EXPECT_FALSE(IsWindowVisible(app.mainWindow)) << "shown only by start-up";

    RECT client;
    GetClientRect(app.mainWindow, &client);
    RECT expected = at(0, 0, 597, 386);
    MapDialogRect(app.mainWindow, &expected);
    EXPECT_EQ(client.right, expected.right);
    EXPECT_EQ(client.bottom, expected.bottom);
}

TEST_F(TemplateTest, ControlsFollowTheControlMapInTemplateOrder)
{
    HWND child = GetWindow(app.mainWindow, GW_CHILD);
    for (const ExpectedControl& expected : controlMap) {
        ASSERT_NE(child, nullptr) << "missing control " << expected.text;
        SCOPED_TRACE(std::string("control ") + std::to_string(expected.id) + " " + expected.text);
        char className[32] = "";
        GetClassNameA(child, className, sizeof className);
        EXPECT_STREQ(className, expected.className);
        EXPECT_EQ(static_cast<int>(static_cast<short>(GetDlgCtrlID(child))), expected.id);
        if (expected.id == -1 || std::string(expected.className) != "ComboBox") {
            char text[64] = "";
            GetWindowTextA(child, text, sizeof text);
            EXPECT_STREQ(text, expected.text);
        }
        DWORD style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
        EXPECT_EQ((style & WS_VISIBLE) != 0, expected.visible);
        EXPECT_EQ((style & WS_DISABLED) == 0, expected.enabled);
        // The dialog manager turns an edit control's border into a client edge.
        if (GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) {
            style |= WS_BORDER;
        }
        EXPECT_EQ(style & expected.styleBits, expected.styleBits);

        // The template's place and size are converted separately, as the dialog manager does.
        RECT place;
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, app.mainWindow, reinterpret_cast<POINT*>(&place), 2);
        const RECT& units = expected.dialogUnits;
        RECT wanted = {units.left, units.top, units.right - units.left, units.bottom - units.top};
        MapDialogRect(app.mainWindow, &wanted);
        EXPECT_EQ(place.left, wanted.left);
        EXPECT_EQ(place.top, wanted.top);
        EXPECT_EQ(place.right - place.left, wanted.right);
        if (std::string(expected.className) != "ComboBox") { // a closed drop-down is shorter
            EXPECT_EQ(place.bottom - place.top, wanted.bottom);
        }
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "more controls than the map has";
}

TEST_F(TemplateTest, OnlyThePathFieldAcceptsDroppedFilesAndStatusIsTransparent)
{
    EXPECT_TRUE(GetWindowLongA(control(IDC_PATH_FIELD), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_TRUE(GetWindowLongA(control(IDC_STATUS_LINE), GWL_EXSTYLE) & WS_EX_TRANSPARENT);
    EXPECT_FALSE(GetWindowLongA(control(IDC_STATUS_LINE), GWL_STYLE) & WS_BORDER);
    EXPECT_FALSE(GetWindowLongA(control(IDC_DEBUG_SCREEN_CHECK), GWL_STYLE) & WS_TABSTOP);
    EXPECT_FALSE(GetWindowLongA(control(IDC_LOG_VIEW), GWL_STYLE) & ES_READONLY);
}

TEST(ProgramResources, IconVersionAndManifestAreBuiltIn)
{
    HMODULE self = GetModuleHandleA(nullptr);
    HICON icon = static_cast<HICON>(
        LoadImageA(self, MAKEINTRESOURCEA(IDI_APP_ICON), IMAGE_ICON, 32, 32, 0));
    EXPECT_NE(icon, nullptr);
    HRSRC iconGroup = FindResourceA(self, MAKEINTRESOURCEA(IDI_APP_ICON), RT_GROUP_ICON);
    ASSERT_NE(iconGroup, nullptr);
    const BYTE* group = static_cast<const BYTE*>(LockResource(LoadResource(self, iconGroup)));
    EXPECT_EQ(group[4], 1) << "one image";
    EXPECT_EQ(group[6], 32);   // width
    EXPECT_EQ(group[7], 32);   // height
    EXPECT_EQ(group[8], 16);   // colours

    HRSRC version = FindResourceA(self, MAKEINTRESOURCEA(VS_VERSION_INFO), RT_VERSION);
    ASSERT_NE(version, nullptr);
    const BYTE* block = static_cast<const BYTE*>(LockResource(LoadResource(self, version)));
    // VS_FIXEDFILEINFO follows the "VS_VERSION_INFO" key, aligned to 4 bytes.
    const VS_FIXEDFILEINFO* fixed = reinterpret_cast<const VS_FIXEDFILEINFO*>(block + 40);
    ASSERT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);

    HRSRC manifest = FindResourceA(self, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(manifest, nullptr);
    std::string text(static_cast<const char*>(LockResource(LoadResource(self, manifest))),
                     SizeofResource(self, manifest));
    EXPECT_NE(text.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(text.find("uiAccess=\"false\""), std::string::npos);
}

} // namespace
