// The image check that runs before the board is touched: what a damaged, cut, foreign or
// bootloader-carrying file is refused for, and the copy of a board's flash made flashable again.
#include <gtest/gtest.h>

#include <string>

#include "programming/hexImage.h"

namespace {

const std::string kEnd = ":00000001FF\n";
const std::string kTwoBytes = ":020000000102FB\n";        // 01 02 at 0x0000
const std::string kFourBytes = ":0400000011111111B8\n";   // 11 11 11 11 at 0x0000
const std::string kLinear3 = ":020000040003F7\n";         // base 0x30000
const std::string kSegment3E00 = ":020000023E00BE\n";     // base 0x3E000

TEST(HexImageTest, AValidImageIsTakenAndMeasured)
{
    // Windows line ends, blank lines and the old DOS end mark are no faults.
    ImageCheck check = checkImage(kFourBytes + "\r\n" + kLinear3 +
                                  ":10DFF000AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA81\r\n" +
                                  ":0400000500000000F7\r\n:00000001FF\r\n\x1A");
    EXPECT_EQ(check.fault, IMAGE_OK);
    EXPECT_EQ(check.dataBytes, 20u) << "the last 16 bytes below the bootloader count";
    EXPECT_EQ(imageSummary(check),
              "Image: 20 bytes, less than 1 % of the 253,952 bytes for firmware");
    // Overlapping records count each address once.
    EXPECT_EQ(checkImage(kFourBytes + kTwoBytes + kEnd).dataBytes, 4u);
    check.dataBytes = 140302;
    EXPECT_EQ(imageSummary(check), "Image: 140,302 bytes, 55 % of the 253,952 bytes for firmware");
}

TEST(HexImageTest, MalformedRecordsAreRefusedWithTheLineAndTheReason)
{
    const struct {
        std::string text;
        size_t line;
        const char* problem;
    } cases[] = {
        {kTwoBytes + kFourBytes + ":020000000102FC\n" + kEnd, 3, "the checksum does not match"},
        {kTwoBytes + "020000000102FB\n" + kEnd, 2, "the line does not start with a colon (:)"},
        {kTwoBytes + ":0200000001G2FB\n" + kEnd, 2,
         "the line has a character that is not a hexadecimal digit"},
        {kTwoBytes + ":020000000102F\n" + kEnd, 2, "the line has an odd number of digits"},
        {":0200\n" + kEnd, 1, "the record is too short"},
        {":040000000102F9\n" + kEnd, 1, "the record is shorter than its byte count says"},
        {":01000000010203FB\n" + kEnd, 1, "the record is longer than its byte count says"},
        {":00000006FA\n" + kEnd, 1, "unknown record type 06"},
        {kTwoBytes + ":0100000100FE\n", 2, "an end-of-file record holds no data"},
        {":0100000400FB\n" + kTwoBytes + kEnd, 1,
         "an extended linear address record holds 2 bytes"},
        {":03000003000000FA\n" + kEnd, 1, "a start address record holds 4 bytes"},
        {kTwoBytes + kEnd + kTwoBytes, 3, "a record follows the end-of-file record"},
    };
    for (const auto& c : cases) {
        ImageCheck check = checkImage(c.text);
        EXPECT_EQ(check.fault, IMAGE_BAD_RECORD) << c.text;
        EXPECT_EQ(check.line, c.line) << c.text;
        EXPECT_EQ(check.problem, c.problem) << c.text;
    }
}

TEST(HexImageTest, FilesThatAreNoImageToWriteAreRefused)
{
    const struct {
        std::string text;
        ImageFault fault;
    } cases[] = {
        {"", IMAGE_NOT_HEX},
        {"\r\n\r\n", IMAGE_NOT_HEX},
        {"<html><body>404 Not Found</body></html>\n", IMAGE_NOT_HEX},
        {std::string("\x0C\x94\x34\x00\x0C\x94", 6), IMAGE_NOT_HEX},
        {kTwoBytes + kFourBytes, IMAGE_NO_END},
        {kEnd, IMAGE_NO_DATA},
        {":0400000500000000F7\n" + kEnd, IMAGE_NO_DATA},
        {kTwoBytes + kLinear3 + ":02E0000001021B\n" + kEnd, IMAGE_BOOTLOADER},
        {kTwoBytes + kSegment3E00 + kTwoBytes + kEnd, IMAGE_BOOTLOADER},
        {std::string(kLargestImageFile + 1, ' '), IMAGE_TOO_LARGE},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(checkImage(c.text).fault, c.fault) << c.text.substr(0, 80);
    }
    EXPECT_EQ(checkImage(kTwoBytes + kSegment3E00 + kTwoBytes + kEnd).bootloaderAddress, 0x3E000ul);
    // A comparison with the whole board may include the bootloader.
    EXPECT_EQ(checkImage(kTwoBytes + kSegment3E00 + kTwoBytes + kEnd, true).fault, IMAGE_OK);
}

TEST(HexImageTest, TheBoardsFlashIsSavedAsItsFirmwareWithoutTheBootloaderOrTheErasedRest)
{
    // What a read-back gives: firmware at 0x0000 and past 64 KB, erased flash, the bootloader.
    std::string board = kFourBytes + ":020000040001F9\n:0100050055A5\n" +
                        ":10001000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF0\n" + kLinear3 +
                        ":02E0000001021B\n" + kEnd;
    std::string saved = firmwarePartOf(board);
    ImageCheck check = checkImage(saved);
    ASSERT_EQ(check.fault, IMAGE_OK) << saved;
    EXPECT_EQ(check.dataBytes, 0x10006u) << "everything up to the last byte that is not erased";
    EXPECT_EQ(saved.substr(0, saved.find('\n') + 1),
              ":1000000011111111FFFFFFFFFFFFFFFFFFFFFFFFB8\r\n");
    EXPECT_NE(saved.find("\r\n:020000040001F9\r\n:06000000FFFFFFFFFF55AA\r\n:00000001FF\r\n"),
              std::string::npos)
        << saved.substr(saved.size() - 80);
    EXPECT_EQ(firmwarePartOf(saved), saved);
    EXPECT_EQ(firmwarePartOf(kTwoBytes), "") << "a copy cut short is no copy";
}

TEST(HexImageTest, CountsAreWrittenWithThousandsSeparators)
{
    const struct {
        unsigned long long count;
        const char* text;
    } cases[] = {{0, "0"}, {999, "999"}, {1000, "1,000"}, {253952, "253,952"},
                 {1234567, "1,234,567"}};
    for (const auto& c : cases) {
        EXPECT_EQ(withThousands(c.count), c.text);
    }
}

} // namespace
