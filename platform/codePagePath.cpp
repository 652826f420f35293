// Paths for a program of the code page. A component whose name the code page can write keeps
// it, so the file name the user chose stays readable; only the others take their short names.
//
// Ground floor (platform/): knows no feature, includes nothing of the program; every floor may
// use it.
#include "codePagePath.h"

#include <vector>

namespace {

bool isSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// The components of path, each with the separators that follow it.
std::vector<std::wstring> componentsOf(const std::wstring& path)
{
    std::vector<std::wstring> components;
    size_t start = 0;
    while (start < path.size()) {
        size_t end = start;
        while (end < path.size() && !isSeparator(path[end])) {
            ++end;
        }
        while (end < path.size() && isSeparator(path[end])) {
            ++end;
        }
        components.push_back(path.substr(start, end - start));
        start = end;
    }
    return components;
}

// path with the components the code page cannot write taken from shortened, component by
// component; shortened itself when the two do not line up.
std::wstring withShortNames(const std::wstring& path, const std::wstring& shortened)
{
    std::vector<std::wstring> full = componentsOf(path);
    std::vector<std::wstring> brief = componentsOf(shortened);
    if (full.size() != brief.size()) {
        return shortened;
    }
    std::wstring mixed;
    for (size_t i = 0; i < full.size(); ++i) {
        mixed += fitsCodePage(full[i]) ? full[i] : brief[i];
    }
    return mixed;
}

} // namespace

std::wstring wideText(const std::string& text, UINT codePage)
{
    int size = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()),
                                   nullptr, 0);
    std::wstring wide(size, L'\0');
    if (size > 0) {
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                            size);
    }
    return wide;
}

std::string narrowText(const std::wstring& text, UINT codePage)
{
    int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                   nullptr, 0, nullptr, nullptr);
    std::string narrow(size, '\0');
    if (size > 0) {
        WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &narrow[0],
                            size, nullptr, nullptr);
    }
    return narrow;
}

bool fitsCodePage(const std::wstring& text)
{
    // The way back tells: a look-alike (Ł written as L) would name another file.
    return wideText(narrowText(text)) == text;
}

std::wstring shortPathOf(const std::wstring& path)
{
    DWORD size = GetShortPathNameW(path.c_str(), nullptr, 0);
    std::wstring shortened(size, L'\0');
    DWORD length = size != 0 ? GetShortPathNameW(path.c_str(), &shortened[0], size) : 0;
    shortened.resize(length < size ? length : 0);
    return shortened;
}

CodePagePath codePagePathOf(const std::wstring& path,
                            std::wstring (*shortForm)(const std::wstring&))
{
    CodePagePath result;
    result.path = narrowText(path);
    result.passable = fitsCodePage(path);
    if (result.passable) {
        return result;
    }
    // Without short names on its volume, the long names come back: those do not fit either.
    std::wstring shortened = shortForm(path);
    if (!shortened.empty()) {
        std::wstring usable = withShortNames(path, shortened);
        if (fitsCodePage(usable)) {
            result.path = narrowText(usable);
            result.passable = true;
        }
    }
    return result;
}
