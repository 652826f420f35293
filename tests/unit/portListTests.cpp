// What the port list names each port, and which entry it selects as ports come and go.
#include <gtest/gtest.h>

#include "serial/portList.h"

namespace {

std::string nameOf(const std::string& hardwareIds, bool expectMega)
{
    bool isMega = !expectMega;
    std::string name = deviceNameOf(hardwareIds, isMega);
    EXPECT_EQ(isMega, expectMega) << hardwareIds;
    return name;
}

SystemPort port(const std::string& name, const std::string& ids, const std::string& device,
                const std::string& friendly = std::string())
{
    return SystemPort{name, friendly, ids, device};
}

const std::string megaIds = "USB\\VID_2341&PID_0042&REV_0001";

} // namespace

TEST(PortList, HardwareIdsNameTheBoardOrItsBridge)
{
    for (const char* ids : {"USB\\VID_2341&PID_0010&REV_0001", "usb\\vid_2a03&pid_0042",
                            "USB\\VID_2A03&PID_0010"}) {
        EXPECT_EQ(nameOf(ids, true), "Arduino Mega 2560");
    }
    EXPECT_EQ(nameOf(std::string("USB\\COMPOSITE\0USB\\VID_1A86&PID_7523&REV_0254", 44), false),
              "USB-SERIAL CH340 (possible Mega clone)");
    EXPECT_EQ(nameOf("FTDIBUS\\COMPORT&VID_0403&PID_6001", false),
              "FTDI USB serial (possible Mega clone)");
    EXPECT_EQ(nameOf("USB\\VID_10C4&PID_EA60", false), "CP210x USB serial (possible Mega clone)");
    for (const char* ids : {"", "USB\\VID_2341&PID_0043", "USB\\VID_2341", "VID_23&PID_0042",
                            "USB\\VID_G341&PID_0042", "ACPI\\PNP0501"}) {
        EXPECT_EQ(nameOf(ids, false), "") << ids;
    }
}

TEST(PortList, EachPortOnceNamedByItsDeviceOrFriendlyName)
{
    std::vector<PortEntry> ports = listedPorts(
        {port("COM5", megaIds, "USB\\1", "Arduino Mega 2560 (COM5)"),
         port("COM57", "", "PCI\\2", "Communications Port (COM57)"),
         port("com8", "", "ROOT\\3", "Virtual link"), port("COM9", "", "ROOT\\4"),
         port("LPT1", "", "ACPI\\5", "Printer Port (LPT1)"), port("COM5", "", "ROOT\\6", "Again")},
        {"COM3", "COM5"});
    std::vector<std::string> texts;
    for (const PortEntry& entry : ports) {
        texts.push_back(entry.text);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"COM5 - Arduino Mega 2560",
                                               "COM57 - Communications Port", "COM8 - Virtual link",
                                               "COM9", "COM3"}));
    EXPECT_TRUE(ports[0].isMega);
    EXPECT_EQ(ports[0].deviceId, "USB\\1");
    EXPECT_EQ(ports[4].deviceId, "");
}

TEST(PortList, StartUpPicksTheRememberedBoardThenTheOnlyMega)
{
    std::vector<PortEntry> ports =
        listedPorts({port("COM7", megaIds, "USB\\A"), port("COM4", "", "PCI\\B")}, {"COM3"});
    EXPECT_EQ(startingSelection(ports, "COM9", "USB\\A"), 0); // renumbered: found by its device
    EXPECT_EQ(startingSelection(ports, "COM4", ""), 1);
    EXPECT_EQ(startingSelection(ports, "COM9", "USB\\Z"), 0); // remembered one gone: the Mega
    std::vector<PortEntry> twoMegas =
        listedPorts({port("COM7", megaIds, "USB\\A"), port("COM8", megaIds, "USB\\C")}, {});
    EXPECT_EQ(startingSelection(twoMegas, "", ""), -1);
}

// The selection rule after the entries changed, as a table: whether a choice is in force, the
// port shown present or gone, a Mega arriving or not.
TEST(PortList, TheChoiceIsTheUsersAndOnlyAnArrivingMegaIsPickedWhenNoneIsInForce)
{
    const std::string ch340 = "USB\\VID_1A86&PID_7523";
    std::vector<PortEntry> before =
        listedPorts({port("COM7", ch340, "USB\\C"), port("COM4", "", "PCI\\B")}, {"COM3"});
    std::vector<PortEntry> megaCame = listedPorts({port("COM7", ch340, "USB\\C"),
                                                   port("COM4", "", "PCI\\B"),
                                                   port("COM12", megaIds, "USB\\M")},
                                                  {"COM3"});
    std::vector<PortEntry> com7Gone = listedPorts({port("COM4", "", "PCI\\B")}, {"COM3"});
    std::vector<PortEntry> com7GoneMegaCame =
        listedPorts({port("COM4", "", "PCI\\B"), port("COM12", megaIds, "USB\\M")}, {"COM3"});
    struct Case {
        const char* what;
        const std::vector<PortEntry>& after;
        std::string shown;
        bool chosen;
        int index;
        std::string text;
        bool chosenAfter;
        bool announce;
    } cases[] = {
        {"chosen, present, Mega comes", megaCame, "COM7 - USB-SERIAL CH340 (possible Mega clone)",
         true, 0, "", true, false},
        {"picked by the program, Mega comes", megaCame, "COM3", false, 2, "", false, true},
        {"nothing shown, Mega comes", megaCame, "", false, 2, "", false, true},
        {"chosen, gone", com7Gone, "COM7 - USB-SERIAL CH340 (possible Mega clone)", true, -1,
         "COM7 - not connected", true, false},
        {"picked by the program, gone", com7Gone, "COM7", false, -1, "COM7 - not connected",
         false, false},
        {"chosen, gone, Mega comes", com7GoneMegaCame, "COM7", true, 1, "", false, true},
        {"gone before, still gone", com7Gone, "COM7 - not connected", true, -1,
         "COM7 - not connected", true, false},
        {"gone before, back", before, "COM7 - not connected", true, 0, "", true, false},
        {"typed over a present port", com7Gone, " com4 ", true, -1, " com4 ", true, false},
        {"typed text naming no port, Mega comes", megaCame, "my board", true, 2, "", false, true},
        {"typed a port never listed", com7Gone, "COM10", true, -1, "COM10", true, false},
        {"nothing shown, nothing came", com7Gone, "", false, -1, "", false, false},
    };
    for (const Case& c : cases) {
        PortShown shown = refreshedSelection(c.after, before, c.shown, c.chosen);
        EXPECT_EQ(shown.index, c.index) << c.what;
        EXPECT_EQ(shown.text, c.text) << c.what;
        EXPECT_EQ(shown.chosen, c.chosenAfter) << c.what;
        EXPECT_EQ(shown.announce, c.announce) << c.what;
    }
    EXPECT_EQ(arrivedMegaStatus(megaCame[2]),
              "COM12 - Arduino Mega 2560 was plugged in and is now the selected port");
    EXPECT_TRUE(sameEntries(before, listedPorts({port("COM7", ch340, "USB\\C"),
                                                 port("COM4", "", "PCI\\B")}, {"COM3"})));
    EXPECT_FALSE(sameEntries(before, com7Gone));
}
