#include "WidePathFile.h"

#ifdef _WIN32
#include <share.h>

std::FILE *openWidePathForReading(const std::wstring &path) {
    return _wfsopen(path.c_str(), L"rb", _SH_DENYNO);
}

#else

namespace {

void appendUtf8(std::string &out, char32_t c) {
    if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | ((c >> 18) & 0x07)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    }
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
}

} // namespace

std::FILE *openWidePathForReading(const std::wstring &path) {
    std::string narrow;
    for (wchar_t c : path) {
        if (c == 0)
            return nullptr; // a path with a NUL inside names no file
        if (static_cast<char32_t>(c) < 0x100)
            narrow.push_back(static_cast<char>(c));
        else
            appendUtf8(narrow, static_cast<char32_t>(c));
    }
    return std::fopen(narrow.c_str(), "rb");
}

#endif
