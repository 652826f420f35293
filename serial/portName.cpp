// Port names: the name a text names, and the device path that opens it.
//
// Lower floor (serial/): knows no window; includes platform/ only.
#include "portName.h"

#include <ctype.h>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

std::string portNameFromText(const std::string& text)
{
    size_t start = 0;
    while (start < text.size() && isBlank(text[start])) {
        ++start;
    }
    size_t end = start;
    while (end < text.size() && !isBlank(text[end])) {
        ++end;
    }
    std::string word = text.substr(start, end - start);
    if (word.size() < 4 || word.size() > 6 || toupper(static_cast<unsigned char>(word[0])) != 'C' ||
        toupper(static_cast<unsigned char>(word[1])) != 'O' ||
        toupper(static_cast<unsigned char>(word[2])) != 'M' || word[3] == '0') {
        return std::string();
    }
    int number = 0;
    for (size_t i = 3; i < word.size(); ++i) {
        if (!isdigit(static_cast<unsigned char>(word[i]))) {
            return std::string();
        }
        number = number * 10 + (word[i] - '0');
    }
    if (number < 1 || number > kHighestPortNumber) {
        return std::string();
    }
    return "COM" + word.substr(3);
}

std::string devicePathOf(const std::string& portName)
{
    return "\\\\.\\" + portName;
}
