// The rule that turns what the port list shows into the port the upload and log mode open.
#include <gtest/gtest.h>

#include "serial/portName.h"

TEST(PortName, ListTextNamesThePortOrNothing)
{
    const struct {
        const char* text;
        const char* port;
    } cases[] = {
        {"COM3", "COM3"},
        {"com10", "COM10"},
        {"  Com7\t ", "COM7"},
        {"COM5 - Arduino Mega 2560", "COM5"},
        {"COM256", "COM256"},
        {"COM1", "COM1"},
        {"", ""},
        {"   ", ""},
        {"my board", ""},
        {"COM", ""},
        {"COM0", ""},
        {"COM257", ""},
        {"COM05", ""},
        {"COM1000", ""},
        {"COM5x", ""},
        {"COM-5", ""},
        {"LPT1", ""},
        {"\\\\.\\COM5", ""},
        {"Arduino COM5", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(portNameFromText(c.text), c.port) << "\"" << c.text << "\"";
    }
}
