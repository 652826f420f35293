// The programmer's output as the user sees it: the log view's lines however the pipe splits
// them, one line per progress bar, the status line's progress and the reason a failed run gives.
// The transcripts are avrdude's output through a pipe on Windows, where its "\n" arrive as "\r\n".
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "programming/programmerOutput.h"

namespace {

using Lines = std::vector<std::string>;

// Feeds bytes in pieces of chunk bytes, then finishes: every line the log view would get.
Lines linesOf(ProgrammerOutput& output, const std::string& bytes, size_t chunk)
{
    Lines lines;
    for (size_t at = 0; at < bytes.size(); at += chunk) {
        Lines more = output.feed(bytes.data() + at, std::min(chunk, bytes.size() - at));
        lines.insert(lines.end(), more.begin(), more.end());
    }
    Lines rest = output.finish();
    lines.insert(lines.end(), rest.begin(), rest.end());
    return lines;
}

Lines linesOf(const std::string& bytes, size_t chunk = 1)
{
    ProgrammerOutput output;
    return linesOf(output, bytes, chunk);
}

Lines feedText(ProgrammerOutput& output, const std::string& bytes)
{
    return output.feed(bytes.data(), bytes.size());
}

// A finished bar as avrdude writes it into a pipe.
std::string pipeBar(const std::string& phase, const std::string& time)
{
    return phase + " | " + std::string(50, '#') + " | 100% " + time;
}

// One drawing of a bar as avrdude draws it on a terminal: 50 places, one '#' per 2 % begun.
std::string terminalDrawing(const std::string& phase, int percent)
{
    std::string bar(50, ' ');
    bar.replace(0, (percent + 1) / 2, (percent + 1) / 2, '#');
    return "\r" + phase + " | " + bar + " | " + std::to_string(percent) + "% 0.0" +
           std::to_string(percent % 10) + "s";
}

const std::string kSuccessfulRun =
    "\r\n"
    "avrdude: AVR device initialized and ready to accept instructions\r\n"
    "\r\n" + pipeBar("Reading", "0.01s") + "\r\n"
    "\r\n"
    "avrdude: Device signature = 0x1e9801 (probably m2560)\r\n"
    "avrdude: reading input file \"C:\\fw\\gateway.cpp.hex\"\r\n"
    "avrdude: input file C:\\fw\\gateway.cpp.hex auto detected as Intel Hex\r\n"
    "avrdude: writing flash (850 bytes):\r\n"
    "\r\n" + pipeBar("Writing", "0.21s") + "\r\n"
    "\r\n"
    "avrdude: 850 bytes of flash written\r\n"
    "avrdude: verifying flash memory against C:\\fw\\gateway.cpp.hex:\r\n"
    "\r\n" + pipeBar("Reading", "0.15s") + "\r\n"
    "\r\n"
    "avrdude: 850 bytes of flash verified\r\n"
    "\r\n"
    "avrdude done.  Thank you.\r\n"
    "\r\n";

TEST(ProgrammerOutputLines, SuccessfulRunGivesTheSameLinesHoweverItIsSplit)
{
    const Lines expected = {
        "",
        "avrdude: AVR device initialized and ready to accept instructions",
        "",
        pipeBar("Reading", "0.01s"),
        "",
        "avrdude: Device signature = 0x1e9801 (probably m2560)",
        "avrdude: reading input file \"C:\\fw\\gateway.cpp.hex\"",
        "avrdude: input file C:\\fw\\gateway.cpp.hex auto detected as Intel Hex",
        "avrdude: writing flash (850 bytes):",
        "",
        pipeBar("Writing", "0.21s"),
        "",
        "avrdude: 850 bytes of flash written",
        "avrdude: verifying flash memory against C:\\fw\\gateway.cpp.hex:",
        "",
        pipeBar("Reading", "0.15s"),
        "",
        "avrdude: 850 bytes of flash verified",
        "",
        "avrdude done.  Thank you.",
        "",
    };
    for (size_t chunk : {size_t{1}, size_t{7}, kSuccessfulRun.size()}) {
        SCOPED_TRACE("pieces of " + std::to_string(chunk) + " bytes");
        ProgrammerOutput output;
        EXPECT_EQ(linesOf(output, kSuccessfulRun, chunk), expected);
        EXPECT_EQ(output.lastError(), "") << "a successful run has no error line";
        EXPECT_EQ(output.phase(), "Reading");
        EXPECT_EQ(output.percent(), 100);
    }
}

TEST(ProgrammerOutputLines, LineEndsSplitAnywhereGiveTheSameLines)
{
    // A '\r' that ends one piece is no redraw when the next piece starts with its '\n'.
    const std::string text = "one\r\ntwo\n\r\n" + pipeBar("Writing", "0.21s") + "\r\nthree\r\n";
    const Lines expected = {"one", "two", "", pipeBar("Writing", "0.21s"), "three"};
    for (size_t split = 0; split <= text.size(); ++split) {
        SCOPED_TRACE("split at " + std::to_string(split));
        ProgrammerOutput output;
        Lines lines = feedText(output, text.substr(0, split));
        Lines more = linesOf(output, text.substr(split), text.size());
        lines.insert(lines.end(), more.begin(), more.end());
        EXPECT_EQ(lines, expected);
    }
}

TEST(ProgrammerOutputLines, LongLineComesInPiecesAndWhole)
{
    std::string longLine;
    for (int i = 0; i < 10000; ++i) {
        longLine += static_cast<char>('a' + i % 26);
    }
    ProgrammerOutput output;
    Lines lines;
    for (size_t at = 0; at < longLine.size(); at += 1000) {
        Lines more = feedText(output, longLine.substr(at, 1000));
        lines.insert(lines.end(), more.begin(), more.end());
    }
    ASSERT_EQ(lines.size(), 2u) << "pieces are handed on before the line ends";
    EXPECT_EQ(lines[0].size(), ProgrammerOutput::kMaxLine);
    EXPECT_EQ(lines[1].size(), ProgrammerOutput::kMaxLine);
    Lines rest = linesOf(output, "\r\nnext\r\n", 1);
    ASSERT_EQ(rest.size(), 2u);
    EXPECT_EQ(lines[0] + lines[1] + rest[0], longLine);
    EXPECT_EQ(rest[1], "next");
}

TEST(ProgrammerOutputLines, NulIsDroppedAndEveryOtherByteKept)
{
    const std::string text("ab\0c \x80\xe9\xff\r\nd\r\n", 13);
    EXPECT_EQ(linesOf(text), (Lines{"ab" "c \x80\xe9\xff", "d"}));

    // Any bytes in any pieces: what is not a line end or NUL comes out, in order.
    std::mt19937 random(2560);
    std::string bytes;
    std::string kept;
    for (int i = 0; i < 20000; ++i) {
        char c = static_cast<char>(random() % 256);
        if (c == '|') {
            continue; // no progress bars here: a later drawing may replace an earlier one
        }
        bytes += c;
        if (c != '\0' && c != '\r' && c != '\n') {
            kept += c;
        }
    }
    ProgrammerOutput output;
    std::string shown;
    for (size_t at = 0; at < bytes.size();) {
        size_t count = std::min<size_t>(1 + random() % 64, bytes.size() - at);
        for (const std::string& line : output.feed(bytes.data() + at, count)) {
            shown += line;
        }
        at += count;
    }
    for (const std::string& line : output.finish()) {
        shown += line;
    }
    EXPECT_EQ(shown, kept);
}

TEST(ProgrammerOutputProgress, PhaseAndPercentFollowTheHashesMidBar)
{
    ProgrammerOutput output;
    EXPECT_EQ(output.phase(), "") << "no progress reported yet";
    EXPECT_EQ(feedText(output, "avrdude: writing flash (850 bytes):\r\n\r\nWriting | "),
              (Lines{"avrdude: writing flash (850 bytes):", ""}));
    EXPECT_EQ(output.phase(), "Writing");
    EXPECT_EQ(output.percent(), 0);
    for (int hash = 1; hash <= 25; ++hash) {
        EXPECT_EQ(feedText(output, "#"), Lines{}) << "no fragments while the bar grows";
        EXPECT_EQ(output.percent(), 2 * hash);
    }
    EXPECT_EQ(feedText(output, std::string(25, '#') + " | 100% 0.21s\r\n"),
              Lines{pipeBar("Writing", "0.21s")});
    EXPECT_EQ(output.percent(), 100);

    feedText(output, "\r\navrdude: verifying flash memory against x.hex:\r\n\r\nReading | ##");
    EXPECT_EQ(output.phase(), "Reading");
    EXPECT_EQ(output.percent(), 4) << "a new phase starts from nothing";
}

TEST(ProgrammerOutputProgress, TerminalDrawingsGiveOneLineAndTheirPercent)
{
    ProgrammerOutput output;
    Lines lines = feedText(output, "avrdude: writing flash (850 bytes):\r\n\r\n");
    for (const char* phase : {"Writing", "Reading"}) {
        for (int percent : {0, 8, 9, 50, 99, 100}) {
            Lines more = feedText(output, terminalDrawing(phase, percent));
            lines.insert(lines.end(), more.begin(), more.end());
            EXPECT_EQ(output.phase(), phase);
            EXPECT_EQ(output.percent(), percent) << "the drawing's own percent field";
        }
        Lines more = feedText(output, "\r\n\r\n");
        lines.insert(lines.end(), more.begin(), more.end());
    }
    EXPECT_EQ(lines, (Lines{"avrdude: writing flash (850 bytes):", "",
                            terminalDrawing("Writing", 100).substr(1), "",
                            terminalDrawing("Reading", 100).substr(1), ""}));
}

TEST(ProgrammerOutputProgress, BarCutShortIsOneLine)
{
    const std::string timeout = "avrdude: stk500v2_ReceiveMessage(): timeout";
    {
        SCOPED_TRACE("ended early by its own percent");
        ProgrammerOutput output;
        EXPECT_EQ(linesOf(output, "Writing | ######## | 16% 1.02s\r\n\r\n" + timeout + "\r\n", 1),
                  (Lines{"Writing | ######## | 16% 1.02s", "", timeout}));
        EXPECT_EQ(output.percent(), 16);
    }
    {
        SCOPED_TRACE("an error message cuts into it");
        ProgrammerOutput output;
        EXPECT_EQ(linesOf(output, "Writing | ########" + timeout + "\r\n", 1),
                  (Lines{"Writing | ########", timeout}));
        EXPECT_EQ(output.lastError(), timeout);
    }
    {
        SCOPED_TRACE("the output ends in it");
        EXPECT_EQ(linesOf("Writing | ######"), Lines{"Writing | ######"});
    }
    {
        SCOPED_TRACE("a terminal drawing overwritten by an error message");
        std::string drawing = terminalDrawing("Writing", 6);
        EXPECT_EQ(linesOf(drawing + "\r" + timeout + "\r\n"), (Lines{drawing.substr(1), timeout}));
    }
}

TEST(ProgrammerOutputProgress, StatusLineText)
{
    EXPECT_EQ(progressText("Writing", 42, 12), "Writing 42%, 12 s");
    EXPECT_EQ(progressText("", 0, 3), "Programming, 3 s");
    EXPECT_EQ(progressText("Reading", 130, 0), "Reading 100%, 0 s");
}

TEST(ProgrammerOutputErrors, LastErrorIsTheMostTellingLine)
{
    struct Run {
        const char* what;
        std::string output;
        std::string error;
    };
    const Run runs[] = {
        {"no board answered",
         "avrdude: stk500v2_ReceiveMessage(): timeout\r\n"
         "avrdude: stk500v2_ReceiveMessage(): timeout\r\n"
         "avrdude: stk500v2_getsync(): timeout communicating with programmer\r\n"
         "avrdude: initialization failed, rc=-1\r\n"
         "         Double check connections and try again, or use -F to override\r\n"
         "         this check.\r\n\r\navrdude done.  Thank you.\r\n\r\n",
         "avrdude: stk500v2_getsync(): timeout communicating with programmer"},
        {"missing file",
         "avrdude: Device signature = 0x1e9801 (probably m2560)\r\n"
         "avrdude: can't open input file C:\\x.hex: No such file or directory\r\n"
         "avrdude: read from file 'C:\\x.hex' failed\r\n\r\navrdude done.  Thank you.\r\n",
         "avrdude: can't open input file C:\\x.hex: No such file or directory"},
        {"verification",
         "avrdude: verifying flash memory against x.hex:\r\n\r\n" + pipeBar("Reading", "0.15s") +
             "\r\n\r\navrdude: verification error, first mismatch at byte 0x0000\r\n"
             "         0x0c != 0xff\r\n"
             "avrdude: verification error; content mismatch\r\n\r\n"
             "avrdude done.  Thank you.\r\n",
         "avrdude: verification error; content mismatch"},
        {"no known cause",
         "avrdude: Device signature = 0x1e9802\r\n"
         "    avrdude: Yikes!  Invalid device signature.   \r\n"
         "         Double check connections and try again, or use -F to override\r\n",
         "avrdude: Yikes!  Invalid device signature."},
    };
    for (const Run& run : runs) {
        SCOPED_TRACE(run.what);
        ProgrammerOutput output;
        linesOf(output, run.output, 5);
        EXPECT_EQ(output.lastError(), run.error);
    }
}

TEST(ProgrammerOutputErrors, FailureReasonGivesTheCauseAndAHint)
{
    const std::string noBoard = " No board answered: check that the right port is selected and "
                                "press the board's reset button, then try again.";
    const std::string badFile = " The programmer could not read the firmware file: check the "
                                "path and that it is an Intel HEX file.";
    const std::string mismatch = " What was written differs from the file: flash it again.";

    EXPECT_EQ(failureReason("avrdude: stk500v2_ReceiveMessage(): timeout", 1),
              "Programming failed: avrdude: stk500v2_ReceiveMessage(): timeout." + noBoard);
    EXPECT_EQ(failureReason("avrdude: ser_open(): can't open device \"\\\\.\\COM9\": The system "
                            "cannot find the file specified.", 1),
              "Programming failed: avrdude: ser_open(): can't open device \"\\\\.\\COM9\": The "
              "system cannot find the file specified." + noBoard);
    EXPECT_EQ(failureReason("avrdude: error: programmer did not respond to command: set addr", 1),
              "Programming failed: avrdude: error: programmer did not respond to command: set "
              "addr." + noBoard);
    EXPECT_EQ(failureReason("avrdude: can't open input file C:\\x.hex: No such file or "
                            "directory", 1),
              "Programming failed: avrdude: can't open input file C:\\x.hex: No such file or "
              "directory." + badFile);
    EXPECT_EQ(failureReason("avrdude: ihex2b(): record checksum mismatch at line 1 of \"x.hex\"",
                            1),
              "Programming failed: avrdude: ihex2b(): record checksum mismatch at line 1 of "
              "\"x.hex\"." + badFile);
    EXPECT_EQ(failureReason("avrdude: ERROR: address 0x40000 out of range at line 1 of x.hex", 1),
              "Programming failed: avrdude: ERROR: address 0x40000 out of range at line 1 of "
              "x.hex." + badFile);
    EXPECT_EQ(failureReason("avrdude: verification error; content mismatch", 1),
              "Programming failed: avrdude: verification error; content mismatch." + mismatch);
    EXPECT_EQ(failureReason("avrdude: Yikes!  Invalid device signature.", 1),
              "Programming failed: avrdude: Yikes!  Invalid device signature.");
    EXPECT_EQ(failureReason("", 1), "Programming failed: the programmer ended with exit code 1.");
    EXPECT_EQ(failureReason("", 3221225477ul),
              "Programming failed: the programmer ended with exit code 3221225477.");
}

} // namespace
