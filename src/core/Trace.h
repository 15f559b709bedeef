// The failure trace: numbered entries about failed platform calls (and the one warning)
// written to "qnv_log.txt" in the current directory. Callable from any thread.
#pragma once

#include <cstdint>

// Writes "\n<n>> <file>.cpp(<line>) : Failed <callText>: <name>\n\t\t<description>".
// Callers test the result themselves and call this only for a negative code.
void traceFailure(int32_t code, const char *file, int line, const char *callText);

// Writes "\n<n>> <file>.cpp(<line>) : Warning <text>".
void traceWarning(const char *file, int line, const char *text);
