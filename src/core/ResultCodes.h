// Symbolic names and one-line descriptions of Windows, COM, DirectX and XAudio2 result
// codes, for the log. Exact 32-bit matches against constant tables: no allocation, no
// state, callable from any thread. The strings are UTF-16 holding only ASCII.
#pragma once

#include <cstdint>

// The code's macro name, or u"Unknown".
const char16_t *resultCodeName(int32_t code);
// The code's description (possibly empty), or u"n/a".
const char16_t *resultCodeDescription(int32_t code);
