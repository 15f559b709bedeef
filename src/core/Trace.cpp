#include "Trace.h"

#include "TraceLog.h"

namespace {

// The library's one log, numbered from the load of the library. Never destroyed, so a
// thread that writes while the process exits still finds it.
TraceLog &libraryLog() {
    static TraceLog *log = new TraceLog("qnv_log.txt");
    return *log;
}

} // namespace

void traceFailure(int32_t code, const char *file, int line, const char *callText) {
    libraryLog().failure(code, file, line, callText);
}

void traceWarning(const char *file, int line, const char *text) {
    libraryLog().warning(file, line, text);
}
