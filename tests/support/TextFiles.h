// Whole files in tests: read back as bytes in a string (empty when there is none),
// written from one, and texts searched for how often a piece occurs.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

namespace testsupport {

inline std::string readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::string &path, const std::string &bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Occurrences that do not overlap, counted from the start.
inline int countOccurrences(const std::string &text, const std::string &needle) {
    int count = 0;
    for (size_t at = text.find(needle); at != std::string::npos;
         at = text.find(needle, at + needle.size())) {
        ++count;
    }
    return count;
}

} // namespace testsupport
