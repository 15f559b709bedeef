// Opening a file named by a wide-character path for binary reading, with other processes
// free to read and write it.
#pragma once

#include <cstdio>
#include <string>

// Null when the file cannot be opened. Elsewhere than on Windows, characters up to U+00FF
// stand for the bytes of the same value (the way the exports widen an 8-bit path), and
// higher ones are written in UTF-8.
std::FILE *openWidePathForReading(const std::wstring &path);
