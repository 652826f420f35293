// The serial connection against real pseudo-terminals mapped as COM ports of the prefix.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <memory>
#include <string>

#include "platform/trace.h"
#include "serial/portScan.h"
#include "serial/serial.h"
#include "serialPeer.h"
#include "testWindow.h"
#include "waitFor.h"

namespace {

const char* const kPort = "COM7";
const char* const kDevicePath = "\\\\.\\COM7";

class SerialTest : public ::testing::Test {
protected:
    void SetUp() override { setTracing(false); }
    void TearDown() override { setTracing(false); }

    // Constructs a connection with debug mode on and returns its trace lines.
    std::string openTraced(std::unique_ptr<Serial>& connection, DWORD baudRate = 57600)
    {
        setTracing(true);
        CapturedOutput output;
        connection.reset(new Serial(kDevicePath, baudRate));
        setTracing(false);
        return output.finish();
    }

    std::string deleteTraced(std::unique_ptr<Serial>& connection)
    {
        setTracing(true);
        CapturedOutput output;
        connection.reset();
        setTracing(false);
        return output.finish();
    }

    // Reads until count bytes came or the wait gave up; reads never wait by themselves.
    std::string readAll(Serial& connection, size_t count)
    {
        std::string bytes;
        char buffer[4096];
        waitFor([&] {
            int got = connection.read(buffer, sizeof buffer, false);
            bytes.append(buffer, static_cast<size_t>(got));
            return bytes.size() >= count;
        });
        return bytes;
    }

    SerialPeer peer;
};

// The handle value a trace line such as "Serial port open: 0000012C\n" shows.
HANDLE handleIn(const std::string& line)
{
    size_t colon = line.find(": ");
    return reinterpret_cast<HANDLE>(strtoul(line.c_str() + colon + 2, nullptr, 16));
}

TEST_F(SerialTest, MissingPortGivesStatusOneWithOneTraceLine)
{
    peer.unmap(kPort);
    std::unique_ptr<Serial> connection;
    EXPECT_EQ(openTraced(connection), "ERROR: Could not open com port\n");
    EXPECT_EQ(connection->status(), PORT_STATUS_NOT_OPENED);
    EXPECT_EQ(deleteTraced(connection), "") << "nothing was open, nothing is closed";
}

TEST_F(SerialTest, PortInUseGivesStatusTwo)
{
    peer.mapTo(kPort, "/"); // a directory answers access denied, like a port another program holds
    std::unique_ptr<Serial> connection;
    EXPECT_EQ(openTraced(connection),
              "ERROR: Could not open com port\nERROR: Port access denied\n");
    EXPECT_EQ(connection->status(), PORT_STATUS_ACCESS_DENIED);
    EXPECT_EQ(deleteTraced(connection), "");
}

TEST_F(SerialTest, RefusedTimeOutsGiveStatusThreeAndCloseOnce)
{
    peer.mapTo(kPort, "/dev/null");
    std::unique_ptr<Serial> connection;
    std::string lines = openTraced(connection);
    EXPECT_EQ(connection->status(), PORT_STATUS_TIMEOUTS_REFUSED);
    size_t end = lines.find('\n');
    ASSERT_NE(end, std::string::npos);
    std::string closing = lines.substr(0, end);
    EXPECT_EQ(closing.substr(0, 21), "Closing serial port: ");
    EXPECT_EQ(closing.size(), 21u + 8u);
    EXPECT_EQ(lines.substr(end + 1), "ERROR: Could not set com port time-outs\n");

    // The closed handle's value may be handed out again; releasing the failed connection
    // must not close whatever now has it.
    HANDLE reused = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(deleteTraced(connection), "");
    DWORD flags = 0;
    EXPECT_TRUE(GetHandleInformation(reused, &flags));
    CloseHandle(reused);
}

TEST_F(SerialTest, OpenPortTracesTheHandleItLaterCloses)
{
    peer.mapPty(kPort);
    std::unique_ptr<Serial> connection;
    std::string opened = openTraced(connection);
    EXPECT_EQ(connection->status(), PORT_STATUS_OPEN);
    ASSERT_EQ(opened.substr(0, 18), "Serial port open: ");
    EXPECT_EQ(opened.size(), 18u + 8u + 1u);
    DWORD flags = 0;
    EXPECT_TRUE(GetHandleInformation(handleIn(opened), &flags));
    // The peer learns of opens and closes through inotify, a moment later.
    EXPECT_TRUE(waitFor([&] { return peer.opens(kPort) == 1; }));
    EXPECT_EQ(peer.closes(kPort), 0);

    std::string closed = deleteTraced(connection);
    EXPECT_EQ(closed, "Closing serial port: " + opened.substr(18));
    EXPECT_TRUE(waitFor([&] { return peer.closes(kPort) == 1; }))
        << "deleting the connection releases the port";
    EXPECT_EQ(probePort(kPort), PORT_FREE);
}

TEST_F(SerialTest, ReadOnSilenceReturnsAtOnceWithNothing)
{
    peer.mapPty(kPort);
    Serial connection(kDevicePath, 57600);
    ASSERT_EQ(connection.status(), PORT_STATUS_OPEN);
    char buffer[64];
    memset(buffer, 'x', sizeof buffer);
    DWORD start = GetTickCount();
    EXPECT_EQ(connection.read(buffer, sizeof buffer, true), 0);
    EXPECT_LT(GetTickCount() - start, kCatchUpMs) << "a read that waits for data waits for ever here";
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], 'x');
}

TEST_F(SerialTest, ReadStopsAtCapacityWithAndWithoutTerminator)
{
    peer.mapPty(kPort);
    Serial connection(kDevicePath, 57600);
    ASSERT_EQ(connection.status(), PORT_STATUS_OPEN);
    peer.send(kPort, "0123456789ABCDEFGHIJ");
    ASSERT_TRUE(waitFor([&] { return peer.queued(kPort) == 20; }));

    char buffer[16];
    memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(connection.read(buffer, 8, true), 7);
    EXPECT_EQ(std::string(buffer), "0123456");

    memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(connection.read(buffer, 8, false), 8);
    EXPECT_EQ(std::string(buffer, 9), "789ABCDEx") << "no terminator without terminate";
}

TEST_F(SerialTest, WritesReachThePeerExactly)
{
    peer.mapPty(kPort);
    Serial connection(kDevicePath, 57600);
    ASSERT_EQ(connection.status(), PORT_STATUS_OPEN);
    EXPECT_EQ(connection.writeText("10;version;\n"), 12);
    EXPECT_EQ(peer.waitForReceived(kPort, 12, kCatchUpMs), "10;version;\n");

    const char counted[] = {'a', '\0', 'b', '\n', 'c'};
    EXPECT_EQ(connection.write(counted, 4), 4);
    EXPECT_EQ(peer.waitForReceived(kPort, 4, kCatchUpMs), std::string("a\0b\n", 4));
}

TEST_F(SerialTest, EveryByteThePeerSendsArrivesWhole)
{
    peer.mapPty(kPort);
    Serial connection(kDevicePath, 57600);
    ASSERT_EQ(connection.status(), PORT_STATUS_OPEN);
    std::string sent;
    for (int i = 0; i < 3000; ++i) {
        sent += static_cast<char>(i % 256);
    }
    peer.send(kPort, sent);
    std::string got = readAll(connection, sent.size());
    EXPECT_EQ(got.size(), sent.size());
    EXPECT_TRUE(got == sent) << "the bytes differ";
}

// Windows refuses line settings whose Xon and Xoff characters are equal; the port is given
// distinct ones while software flow control stays off.
TEST_F(SerialTest, PortGetsTheLineSettingsWithDistinctXonAndXoff)
{
    peer.mapPty(kPort);
    std::unique_ptr<Serial> connection;
    std::string opened = openTraced(connection);
    ASSERT_EQ(connection->status(), PORT_STATUS_OPEN);
    DCB settings = {};
    settings.DCBlength = sizeof settings;
    ASSERT_TRUE(GetCommState(handleIn(opened), &settings));
    EXPECT_EQ(settings.XonChar, 0x11);
    EXPECT_EQ(settings.XoffChar, 0x13);
    EXPECT_EQ(settings.BaudRate, 57600u);
    EXPECT_EQ(settings.ByteSize, 8);
    EXPECT_EQ(settings.Parity, NOPARITY);
    EXPECT_EQ(settings.StopBits, ONESTOPBIT);
    EXPECT_FALSE(settings.fOutX);
    EXPECT_FALSE(settings.fInX);
    EXPECT_FALSE(settings.fOutxCtsFlow);
}

TEST_F(SerialTest, BaudRateIsPassedOnUnchecked)
{
    peer.mapPty(kPort);
    for (DWORD rate : {57600ul, 115200ul, 12345ul}) {
        Serial connection(kDevicePath, rate);
        EXPECT_EQ(connection.status(), PORT_STATUS_OPEN) << rate;
    }
}

} // namespace
