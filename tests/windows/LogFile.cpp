#include "LogFile.h"

#include <fstream>

std::vector<std::string> readLogLines(const char *path) {
    std::vector<std::string> lines;
    std::ifstream file(path, std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> logLinesWith(const std::string &fragment, const char *path) {
    std::vector<std::string> matching;
    for (const std::string &line : readLogLines(path))
        if (line.find(fragment) != std::string::npos)
            matching.push_back(line);
    return matching;
}
