// End-to-end checks of the port list: the running program lists the ports mapped in its
// prefix at start-up, and "Scan Available Ports" picks up what changed since.
#include <gtest/gtest.h>

#include "intelHex.h"
#include "loaderApp.h"
#include "programmerStandIn.h"
#include "resource.h"
#include "serialPeer.h"
#include "systemPortDevice.h"

namespace {

using Ports = std::vector<std::string>;

TEST(PortList, ShowsThePortsOfThePrefixAndFollowsARescan)
{
    SerialPeer peer;
    peer.unmap("COM1");
    peer.mapPty("COM3");
    peer.mapPty("COM10");
    LoaderApp app;
    ASSERT_TRUE(app.start());
    EXPECT_EQ(app.listItems(IDC_PORT_LIST), (Ports{"COM10", "COM3"}));
    EXPECT_EQ(app.text(IDC_PORT_LIST), "COM10");

    // The port shown went away: it stays shown as gone, never replaced by another board's.
    peer.mapTo("COM4", "/"); // a port another program holds is listed too
    peer.unmap("COM10");
    app.click(IDC_SCAN_BUTTON);
    ASSERT_TRUE(app.settle());
    EXPECT_EQ(app.listItems(IDC_PORT_LIST), (Ports{"COM3", "COM4"}));
    EXPECT_EQ(app.text(IDC_PORT_LIST), "COM10 - not connected");
    EXPECT_EQ(app.text(IDC_STATUS_LINE), "OK");
    // An upload on it says the port is not there.
    ASSERT_TRUE(writeTextFile(app.workFolder() + "\\gateway.cpp.hex", kSmallImage));
    ASSERT_TRUE(app.setText(IDC_PATH_FIELD, app.workFolder() + "\\gateway.cpp.hex"));
    app.click(IDC_UPLOAD_BUTTON);
    MessageBoxInfo box = app.waitForMessageBox(kCatchUpMs, true);
    EXPECT_EQ(box.text, "Programming failed, Serial port is not found");
}

} // namespace

// Ports the system's device list knows are named by their device, whatever their number, and a
// Mega 2560 is picked for the user at start-up without being opened (that resets a board). A
// Mega plugged in later is the robot's to check.
TEST(PortList, NamesDevicesAndPicksAMegaWithoutOpeningIt)
{
    SerialPeer peer;
    peer.unmap("COM1");
    peer.mapPty("COM3");
    peer.mapPty("COM5");
    auto mega = SystemPortDevice::mega("COM5");
    SystemPortDevice clone("COM57", "USB-SERIAL CH340 (COM57)", "USB\\VID_1A86&PID_7523&REV_0254");
    ASSERT_TRUE(mega->added() && clone.added());
    LoaderApp app;
    ASSERT_TRUE(app.start());
    const std::string megaEntry = "COM5 - Arduino Mega 2560";
    const std::string cloneEntry = "COM57 - USB-SERIAL CH340 (possible Mega clone)";
    EXPECT_EQ(app.listItems(IDC_PORT_LIST), (Ports{"COM3", megaEntry, cloneEntry}));
    EXPECT_EQ(app.text(IDC_PORT_LIST), megaEntry);
    RECT list = {};
    GetWindowRect(app.control(IDC_PORT_LIST), &list);
    EXPECT_GT(SendMessageA(app.control(IDC_PORT_LIST), CB_GETDROPPEDWIDTH, 0, 0),
              list.right - list.left); // the clone's long name fits the drop-down

    EXPECT_EQ(peer.opens("COM5"), 0);
}
