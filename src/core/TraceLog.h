// A numbered log of failure and warning entries, written to one text file.
//
// Each entry is numbered (1, 2, 3, ... for the life of the object), formatted into a
// fixed buffer and written at once: the file is opened, written and closed for every
// entry, so it is complete on disk even if the process ends abruptly. The first entry
// truncates the file; later ones append. A log that is never written to leaves the file
// as it was.
//
// Entries may come from several threads at once (the host's and the audio feeder
// threads); one lock around numbering, formatting and writing keeps each entry whole and
// numbered once. Nothing here is on a hot path.
#pragma once

#include <cstdint>
#include <mutex>

class TraceLog {
public:
    // Room for one formatted entry, its terminating NUL included. A longer entry is cut
    // to the first kEntryCapacity - 1 bytes.
    static constexpr int kEntryCapacity = 1024;

    // `fileName` must outlive the log (the library passes a literal).
    explicit TraceLog(const char *fileName) : _fileName(fileName) {}
    TraceLog(const TraceLog &) = delete;
    TraceLog &operator=(const TraceLog &) = delete;

    // "\n<n>> <file>.cpp(<line>) : Failed <callText>: <code name>\n\t\t<code description>"
    void failure(int32_t code, const char *file, int line, const char *callText);
    // "\n<n>> <file>.cpp(<line>) : Warning <text>"
    void warning(const char *file, int line, const char *text);

private:
    // Opens, writes, closes; `formatted` is snprintf's result for `entry`. The caller
    // holds _lock. Failures lose the entry and are not reported.
    void writeEntry(const char *entry, int formatted);

    const char *const _fileName;
    std::mutex _lock;
    int32_t _count = 0;
};
