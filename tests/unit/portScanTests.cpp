// Port discovery and the port probe, with ports mapped into the prefix by the serial peer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "appState.h"
#include "platform/trace.h"
#include "portListControl.h"
#include "resource.h"
#include "serial/portScan.h"
#include "serialPeer.h"
#include "testWindow.h"

namespace {

class PortScanTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        // Start from a prefix without any port; the peer puts the usual ones back afterwards.
        for (int n = 1; n <= 50; ++n) {
            peer.unmap("COM" + std::to_string(n));
        }
    }

    std::vector<std::string> listedPorts() const
    {
        std::vector<std::string> names;
        LRESULT count = SendMessageA(control(IDC_PORT_LIST), CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            char name[32] = "";
            SendMessageA(control(IDC_PORT_LIST), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(name));
            names.push_back(name);
        }
        return names;
    }

    SerialPeer peer;
};

TEST_F(PortScanTest, ListsPresentPortsInTextOrderAndSelectsTheFirst)
{
    peer.mapPty("COM3");
    peer.mapPty("COM10");
    peer.mapTo("COM12", "/"); // held by another program: present all the same
    peer.mapPty("COM50");     // beyond the range the scan tries
    for (int round = 0; round < 2; ++round) {
        scanPorts(app.mainWindow);
        EXPECT_EQ(listedPorts(), (std::vector<std::string>{"COM10", "COM12", "COM3"}))
            << "round " << round;
        EXPECT_EQ(text(IDC_PORT_LIST), "COM10");
        EXPECT_EQ(text(IDC_STATUS_LINE), "OK");
    }
}

TEST_F(PortScanTest, NoPortsLeaveAnEmptyListAndNothingSelected)
{
    SendMessageA(control(IDC_PORT_LIST), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("COM9"));
    scanPorts(app.mainWindow);
    EXPECT_TRUE(listedPorts().empty());
    EXPECT_EQ(SendMessageA(control(IDC_PORT_LIST), CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(text(IDC_STATUS_LINE), "OK");
}

TEST_F(PortScanTest, TracesEachFoundPortInOrder)
{
    peer.mapPty("COM7");
    peer.mapPty("COM3");
    setTracing(true);
    CapturedOutput output;
    scanPorts(app.mainWindow);
    setTracing(false);
    EXPECT_EQ(output.finish(), std::string(30, '-') +
                                   "\nSerial port detection:\nCOM3 found\nCOM7 found\n"
                                   "Serial port detection done\n");
}

TEST_F(PortScanTest, ProbeTellsFreeInUseAndNotFound)
{
    peer.mapPty("COM4");
    peer.mapTo("COM5", "/");
    setTracing(true);
    CapturedOutput output;
    EXPECT_EQ(probePort("COM4"), PORT_FREE);
    EXPECT_EQ(probePort("COM5"), PORT_IN_USE);
    EXPECT_EQ(probePort("COM6"), PORT_NOT_FOUND);
    setTracing(false);
    std::string section = std::string(30, '-') + "\nSerial port test:\n";
    EXPECT_EQ(output.finish(), section + "Serial port ok\nSerial port test done\n" + section +
                                   "Serial port already in use\nSerial port test done\n" +
                                   section + "Serial port not found\nSerial port test done\n");
}

TEST_F(PortScanTest, ProbeTakesAnyNameWithoutOverrunning)
{
    std::string longName(200, 'C');
    EXPECT_EQ(probePort(longName.c_str()), PORT_NOT_FOUND);
    std::string longest(79, 'C'); // exactly fills the path buffer
    EXPECT_EQ(probePort(longest.c_str()), PORT_NOT_FOUND);
    int empty = probePort("");
    EXPECT_TRUE(empty == PORT_IN_USE || empty == PORT_NOT_FOUND);
}

} // namespace
