// Intel HEX, as the programmer reads it: a line per record, ":" then hexadecimal pairs, the
// byte count, a 16-bit offset, the type, the data and a checksum that makes all bytes add up
// to zero. Extended segment (02) and linear (04) address records move the base of later data;
// start address records (03, 05) only name where a program starts and are checked for form.
//
// Subsystem floor (programming/): knows no window; includes serial/ and platform/ only.
#include "hexImage.h"

#include <stdio.h>

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

bool isBlank(char c)
{
    // 0x1A: the end-of-file mark old DOS tools put after the last line.
    return c == ' ' || c == '\t' || c == '\r' || c == '\x1A';
}

std::string trimmed(const std::string& line)
{
    size_t first = 0;
    while (first < line.size() && isBlank(line[first])) {
        ++first;
    }
    size_t last = line.size();
    while (last > first && isBlank(line[last - 1])) {
        --last;
    }
    return line.substr(first, last - first);
}

std::string twoDigits(unsigned value)
{
    char text[4];
    snprintf(text, sizeof text, "%02X", value & 0xFF);
    return text;
}

// One record's bytes from its line (colon included); the problem when it has none.
std::string recordBytes(const std::string& line, std::vector<unsigned char>& bytes)
{
    bytes.clear();
    if (line[0] != ':') {
        return "the line does not start with a colon (:)";
    }
    for (size_t i = 1; i < line.size(); ++i) {
        if (hexDigit(line[i]) < 0) {
            return "the line has a character that is not a hexadecimal digit";
        }
    }
    if ((line.size() - 1) % 2 != 0) {
        return "the line has an odd number of digits";
    }
    for (size_t i = 1; i < line.size(); i += 2) {
        bytes.push_back(static_cast<unsigned char>(hexDigit(line[i]) * 16 + hexDigit(line[i + 1])));
    }
    if (bytes.size() < 5) {
        return "the record is too short";
    }
    size_t count = bytes[0];
    if (bytes.size() < count + 5) {
        return "the record is shorter than its byte count says";
    }
    if (bytes.size() > count + 5) {
        return "the record is longer than its byte count says";
    }
    unsigned sum = 0;
    for (unsigned char byte : bytes) {
        sum += byte;
    }
    if ((sum & 0xFF) != 0) {
        return "the checksum does not match";
    }
    return "";
}

// The record's form for its type, and what it does to the base address of later data.
std::string takeRecord(const std::vector<unsigned char>& bytes, unsigned long long& base,
                       bool& ended)
{
    size_t count = bytes[0];
    unsigned value = count >= 2 ? (bytes[4] << 8) | bytes[5] : 0;
    switch (bytes[3]) {
    case 0x00:
        return "";
    case 0x01:
        ended = true;
        return count == 0 ? "" : "an end-of-file record holds no data";
    case 0x02:
        base = static_cast<unsigned long long>(value) << 4;
        return count == 2 ? "" : "an extended segment address record holds 2 bytes";
    case 0x04:
        base = static_cast<unsigned long long>(value) << 16;
        return count == 2 ? "" : "an extended linear address record holds 2 bytes";
    case 0x03:
    case 0x05:
        return count == 4 ? "" : "a start address record holds 4 bytes";
    default:
        return "unknown record type " + twoDigits(bytes[3]);
    }
}

// Reads every record of text; the firmware's bytes go to firmware (kFirmwareEnd bytes) when
// one is given.
ImageCheck readImage(const std::string& text, bool bootloaderAllowed,
                     std::vector<unsigned char>* firmware)
{
    ImageCheck check;
    if (text.size() > kLargestImageFile) {
        check.fault = IMAGE_TOO_LARGE;
        return check;
    }
    std::vector<bool> present(kFirmwareEnd, false);
    std::vector<unsigned char> bytes;
    unsigned long long base = 0;
    bool ended = false;
    bool anyRecord = false;
    bool anyData = false;
    bool inBootloader = false;
    size_t lineNumber = 0;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        std::string line = trimmed(text.substr(start, end - start));
        start = end + 1;
        ++lineNumber;
        if (line.empty()) {
            continue;
        }
        if (!anyRecord && line[0] != ':') {
            check.fault = IMAGE_NOT_HEX;
            return check;
        }
        anyRecord = true;
        std::string problem = ended ? "a record follows the end-of-file record"
                                    : recordBytes(line, bytes);
        if (problem.empty()) {
            problem = takeRecord(bytes, base, ended);
        }
        if (!problem.empty()) {
            check.fault = IMAGE_BAD_RECORD;
            check.line = lineNumber;
            check.problem = problem;
            return check;
        }
        if (bytes[3] != 0x00) {
            continue;
        }
        unsigned offset = (bytes[1] << 8) | bytes[2];
        for (size_t i = 0; i < bytes[0]; ++i) {
            unsigned long long address = base + offset + i;
            anyData = true;
            if (address >= kFirmwareEnd) {
                if (!inBootloader || address < check.bootloaderAddress) {
                    check.bootloaderAddress = static_cast<unsigned long>(address);
                }
                inBootloader = true;
                continue;
            }
            if (!present[address]) {
                present[address] = true;
                ++check.dataBytes;
            }
            if (firmware != nullptr) {
                (*firmware)[address] = bytes[4 + i];
            }
        }
    }
    if (!anyRecord) {
        check.fault = IMAGE_NOT_HEX;
    } else if (!ended) {
        check.fault = IMAGE_NO_END;
    } else if (inBootloader && !bootloaderAllowed) {
        check.fault = IMAGE_BOOTLOADER;
    } else if (!anyData) {
        check.fault = IMAGE_NO_DATA;
    }
    return check;
}

std::string recordLine(unsigned type, unsigned offset, const unsigned char* data, size_t count)
{
    unsigned sum = static_cast<unsigned>(count) + (offset >> 8) + (offset & 0xFF) + type;
    std::string line = ":" + twoDigits(static_cast<unsigned>(count)) + twoDigits(offset >> 8) +
                       twoDigits(offset) + twoDigits(type);
    for (size_t i = 0; i < count; ++i) {
        line += twoDigits(data[i]);
        sum += data[i];
    }
    return line + twoDigits(0x100 - (sum & 0xFF)) + "\r\n";
}

} // namespace

ImageCheck checkImage(const std::string& text, bool bootloaderAllowed)
{
    return readImage(text, bootloaderAllowed, nullptr);
}

std::string firmwarePartOf(const std::string& text)
{
    std::vector<unsigned char> firmware(kFirmwareEnd, 0xFF);
    ImageCheck check = readImage(text, true, &firmware);
    if (check.fault != IMAGE_OK && check.fault != IMAGE_NO_DATA) {
        return "";
    }
    size_t used = firmware.size();
    while (used > 0 && firmware[used - 1] == 0xFF) {
        --used;
    }
    std::string hex;
    constexpr size_t kRecordBytes = 16;
    for (size_t address = 0; address < used; address += kRecordBytes) {
        if (address % 0x10000 == 0 && address != 0) {
            unsigned char upper[2] = {static_cast<unsigned char>(address >> 24),
                                      static_cast<unsigned char>(address >> 16)};
            hex += recordLine(0x04, 0, upper, 2);
        }
        size_t count = used - address < kRecordBytes ? used - address : kRecordBytes;
        hex += recordLine(0x00, address & 0xFFFF, &firmware[address], count);
    }
    return hex + recordLine(0x01, 0, nullptr, 0);
}

std::string withThousands(unsigned long long count)
{
    std::string digits = std::to_string(count);
    for (size_t at = digits.size(); at > 3; at -= 3) {
        digits.insert(at - 3, ",");
    }
    return digits;
}

std::string imageSummary(const ImageCheck& check)
{
    unsigned long long percent = (check.dataBytes * 100ull + kFirmwareEnd / 2) / kFirmwareEnd;
    std::string share = percent == 0 && check.dataBytes > 0 ? "less than 1"
                                                              : std::to_string(percent);
    return "Image: " + withThousands(check.dataBytes) + " bytes, " + share + " % of the " +
           withThousands(kFirmwareEnd) + " bytes for firmware";
}
