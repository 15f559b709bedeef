// Reading a log file back in tests: its bytes, and its entries one by one.
#pragma once

#include <cctype>
#include <string>
#include <vector>

#include "core/ResultCodes.h"
#include "support/TextFiles.h"

using testsupport::readFile;
using testsupport::writeFile;

// Splits at each "\n<digits>> ", the start of an entry; each piece keeps its leading "\n".
inline std::vector<std::string> logEntries(const std::string &text) {
    std::vector<size_t> starts;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n')
            continue;
        size_t j = i + 1;
        while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j])))
            ++j;
        if (j > i + 1 && text.compare(j, 2, "> ") == 0)
            starts.push_back(i);
    }
    std::vector<std::string> entries;
    for (size_t k = 0; k < starts.size(); ++k) {
        const size_t end = k + 1 < starts.size() ? starts[k + 1] : text.size();
        entries.push_back(text.substr(starts[k], end - starts[k]));
    }
    return entries;
}

inline std::string ascii(const char16_t *text) {
    std::string out;
    for (; *text; ++text)
        out.push_back(char(*text));
    return out;
}

// The failure entry the trace writes, built from its parts.
inline std::string failureEntry(int number, const std::string &file, int line,
                                const std::string &callText, int32_t code) {
    return "\n" + std::to_string(number) + "> " + file + ".cpp(" + std::to_string(line) +
           ") : Failed " + callText + ": " + ascii(resultCodeName(code)) + "\n\t\t" +
           ascii(resultCodeDescription(code));
}
