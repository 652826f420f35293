// Finding text in the log view's text. The view holds at most a few hundred kilobytes, so a
// plain scan over a folded copy is far within what a key press may take.
//
// Top floor (app/, the window): may include every floor below it.
#include "logSearch.h"

#include <windows.h>

#include <algorithm>

namespace {

// Each byte as the code page writes it in lower case.
const unsigned char* lowerCaseTable()
{
    static unsigned char table[256];
    static bool made = false;
    if (!made) {
        for (int c = 0; c < 256; ++c) {
            table[c] = static_cast<unsigned char>(c);
        }
        // Byte by byte: the table stays the byte's own for a character of two bytes.
        for (int c = 1; c < 256; ++c) {
            CharLowerBuffA(reinterpret_cast<char*>(&table[c]), 1);
        }
        made = true;
    }
    return table;
}

std::string folded(const std::string& text)
{
    const unsigned char* lower = lowerCaseTable();
    std::string result(text);
    for (char& c : result) {
        c = static_cast<char>(lower[static_cast<unsigned char>(c)]);
    }
    return result;
}

} // namespace

size_t findInLog(const std::string& text, size_t from, const LogSearch& search)
{
    const std::string& wanted = search.wanted;
    if (wanted.empty() || wanted.size() > text.size()) {
        return std::string::npos;
    }
    from = std::min(from, text.size());
    std::string foldedText;
    std::string foldedWanted;
    if (!search.matchCase) {
        foldedText = folded(text);
        foldedWanted = folded(wanted);
    }
    const std::string& haystack = search.matchCase ? text : foldedText;
    const std::string& needle = search.matchCase ? wanted : foldedWanted;
    if (search.down) {
        return haystack.find(needle, from);
    }
    return from == 0 ? std::string::npos : haystack.rfind(needle, from - 1);
}
