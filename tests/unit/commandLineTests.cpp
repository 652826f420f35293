// The command line's options: what starts the window, what flashes, what is refused and why.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "programming/flashCommandLine.h"

namespace {

CommandLine parse(std::vector<const char*> options)
{
    options.insert(options.begin(), "VexlorLoader.exe");
    return parseCommandLine(static_cast<int>(options.size()), options.data());
}

TEST(CommandLineTest, NoOptionsStartTheWindow)
{
    EXPECT_FALSE(parse({}).given);
}

// "Open with" and a file dropped on the program's icon hand over the file's path alone.
TEST(CommandLineTest, AFileAloneOpensTheWindowWithIt)
{
    CommandLine options = parse({"C:\\fw\\a b.cpp.hex"});
    EXPECT_FALSE(options.given);
    EXPECT_EQ(options.openFile, "C:\\fw\\a b.cpp.hex");
    EXPECT_EQ(parse({"--verbose"}).openFile, "") << "an option is no file";
    EXPECT_TRUE(parse({"a.cpp.hex", "b.cpp.hex"}).given) << "two files are refused as options";
}

TEST(CommandLineTest, FlashAndPortInEitherOrder)
{
    for (const CommandLine& options : {parse({"--flash", "C:\\fw\\a b.cpp.hex", "--port", "COM5"}),
                                       parse({"--port", "\\\\.\\com12", "--flash", "C:\\fw\\a b.cpp.hex"})}) {
        EXPECT_TRUE(options.given);
        EXPECT_FALSE(options.help);
        EXPECT_EQ(options.error, "");
        EXPECT_EQ(options.file, "C:\\fw\\a b.cpp.hex");
    }
    EXPECT_EQ(parse({"--flash", "x.hex", "--port", "COM5"}).port, "COM5");
    EXPECT_EQ(parse({"--port", "\\\\.\\com12", "--flash", "x.hex"}).port, "com12");
}

TEST(CommandLineTest, ReadAndVerifyTakeTheFileAsFlashDoesButOnlyOneTaskAtATime)
{
    EXPECT_EQ(parse({"--read", "copy.hex", "--port", "COM5"}).task, TASK_READ);
    EXPECT_EQ(parse({"--port", "COM5", "--verify", "x.hex"}).task, TASK_VERIFY);
    EXPECT_EQ(parse({"--verify", "x.hex", "--port", "COM5"}).file, "x.hex");
    EXPECT_EQ(parse({"--flash", "x.hex", "--read", "y.hex", "--port", "COM5"}).error,
              "give only one of --flash, --read and --verify");
    EXPECT_EQ(parse({"--port", "COM5", "--read"}).error, "--read needs a value");
}

TEST(CommandLineTest, HelpWinsOverEverythingElse)
{
    EXPECT_TRUE(parse({"--help"}).help);
    EXPECT_TRUE(parse({"/?"}).help);
    EXPECT_EQ(parse({"--port", "COM3", "-h"}).error, "");
}

TEST(CommandLineTest, IncompleteOrUnknownOptionsAreRefusedWithTheReason)
{
    EXPECT_EQ(parse({"--flash", "x.hex"}).error, "--port COMn is missing");
    EXPECT_EQ(parse({"--port", "COM3"}).error, "--flash FILE is missing");
    EXPECT_EQ(parse({"--flash", "x.hex", "--port"}).error, "--port needs a value");
    EXPECT_EQ(parse({"--verbose"}).error, "unknown option --verbose");
    for (const char* port : {"LPT1", "COM", "COM0", "COMX", "COM1234567", "COM3 "}) {
        EXPECT_EQ(parse({"--flash", "x.hex", "--port", port}).error,
                  std::string("not a port name: ") + port);
    }
}

} // namespace
