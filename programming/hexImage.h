// Reading a firmware image before anything touches the board. The programmer would take any file
// and find its faults only after it had reset the board; this reads the Intel HEX records
// first, so a truncated download, a damaged line or an export with the bootloader is refused
// with a reason the user can act on. Plain text in, results out: no file, no window.
//
// Subsystem floor (programming/): knows no window; includes serial/ and platform/ only.
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

// The Mega 2560's stock bootloader owns the top 8 KB of its 256 KB flash: firmware ends below.
constexpr unsigned long kFirmwareEnd = 0x3E000;
// A HEX file of a full board is under a megabyte; one far larger is no image for this board.
constexpr size_t kLargestImageFile = 8 * 1024 * 1024;

enum ImageFault {
    IMAGE_OK,
    IMAGE_NOT_HEX,     // not Intel HEX at all (empty, binary, a web page)
    IMAGE_BAD_RECORD,  // a line that is not a valid record
    IMAGE_NO_END,      // no end-of-file record: the file was cut short
    IMAGE_BOOTLOADER,  // data at kFirmwareEnd or above
    IMAGE_NO_DATA,     // valid, but nothing to write
    IMAGE_TOO_LARGE,   // larger than kLargestImageFile
};

struct ImageCheck {
    ImageFault fault = IMAGE_OK;
    size_t line = 0;       // the line at fault (from 1) for IMAGE_BAD_RECORD
    std::string problem;   // what is wrong with that line: "the checksum does not match"
    size_t dataBytes = 0;  // bytes of firmware below kFirmwareEnd, each address counted once
    unsigned long bootloaderAddress = 0; // the first address of data there, for IMAGE_BOOTLOADER
};

// Reads text as an Intel HEX image for the board: records of types 00 to 05 with their byte
// counts and checksums, an end-of-file record last, data only below kFirmwareEnd unless
// bootloaderAllowed (a comparison with the whole board may include it). Lines may end in
// "\r\n" or "\n"; blank lines are passed over.
ImageCheck checkImage(const std::string& text, bool bootloaderAllowed = false);

// The firmware part of a HEX image that is valid but for its bootloader data (what the board's
// whole flash reads back as): the data below kFirmwareEnd up to its last byte that is not 0xFF
// (erased flash), as HEX text of 16-byte records with Windows line ends. Empty when text is
// no valid image.
std::string firmwarePartOf(const std::string& text);

// The line the log view shows before a flash: "Image: 140,302 bytes, 55 % of the 253,952
// bytes for firmware".
std::string imageSummary(const ImageCheck& check);

// "140,302": a count as the program's texts write it.
std::string withThousands(unsigned long long count);
