#include "TraceLog.h"

#include <cstdio>
#include <string>

#include "ResultCodes.h"

namespace {

// The result-code tables hold ASCII only; anything else would be a table fault and is
// shown as '?' rather than written as a broken byte.
std::string narrow(const char16_t *text) {
    std::string out;
    for (; text && *text; ++text)
        out.push_back(*text < 0x80 ? char(*text) : '?');
    return out;
}

const char *orEmpty(const char *text) {
    return text ? text : "";
}

} // namespace

void TraceLog::failure(int32_t code, const char *file, int line, const char *callText) {
    const std::string name = narrow(resultCodeName(code));
    const std::string description = narrow(resultCodeDescription(code));
    std::lock_guard<std::mutex> hold(_lock);
    char entry[kEntryCapacity];
    const int formatted = std::snprintf(
        entry, sizeof entry, "\n%d> %s.cpp(%d) : Failed %s: %s\n\t\t%s", int(++_count),
        orEmpty(file), line, orEmpty(callText), name.c_str(), description.c_str());
    writeEntry(entry, formatted);
}

void TraceLog::warning(const char *file, int line, const char *text) {
    std::lock_guard<std::mutex> hold(_lock);
    char entry[kEntryCapacity];
    const int formatted = std::snprintf(entry, sizeof entry, "\n%d> %s.cpp(%d) : Warning %s",
                                        int(++_count), orEmpty(file), line, orEmpty(text));
    writeEntry(entry, formatted);
}

void TraceLog::writeEntry(const char *entry, int formatted) {
    if (formatted < 0)
        return;
    const int length = formatted < kEntryCapacity ? formatted : kEntryCapacity - 1;
    // Text mode, so each line break becomes the platform's line end.
    std::FILE *file = std::fopen(_fileName, _count == 1 ? "w" : "a");
    if (!file)
        return;
    std::fwrite(entry, 1, size_t(length), file);
    std::fclose(file);
}
