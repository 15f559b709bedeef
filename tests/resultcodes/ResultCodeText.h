// Result-code texts as 8-bit strings, so that failures print readably.
#pragma once

#include <cstdint>
#include <string>

#include "core/ResultCodes.h"

inline std::string narrowText(const char16_t *text) {
    std::string out;
    for (; *text; ++text)
        out.push_back(*text < 0x80 ? char(*text) : '?');
    return out;
}

inline std::string nameOf(uint32_t code) {
    return narrowText(resultCodeName(static_cast<int32_t>(code)));
}

inline std::string descriptionOf(uint32_t code) {
    return narrowText(resultCodeDescription(static_cast<int32_t>(code)));
}
