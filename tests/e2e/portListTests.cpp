// End-to-end checks of the port list: the running program lists the ports mapped in its
// prefix at start-up, and "Scan Available Ports" picks up what changed since.
#include <gtest/gtest.h>

#include "loaderApp.h"
#include "resource.h"
#include "serialPeer.h"

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

    peer.mapTo("COM4", "/"); // a port another program holds is listed too
    peer.unmap("COM10");
    app.click(IDC_SCAN_BUTTON);
    ASSERT_TRUE(app.settle());
    EXPECT_EQ(app.listItems(IDC_PORT_LIST), (Ports{"COM3", "COM4"}));
    EXPECT_EQ(app.text(IDC_PORT_LIST), "COM3");
    EXPECT_EQ(app.text(IDC_STATUS_LINE), "OK");
}

} // namespace
