// The library's log, "qnv_log.txt" in the current directory, as lines of text.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> readLogLines(const char *path = "qnv_log.txt");

// The lines that contain `fragment`.
std::vector<std::string> logLinesWith(const std::string &fragment,
                                      const char *path = "qnv_log.txt");
