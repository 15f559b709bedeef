// Symbolic names and one-line descriptions of Windows, COM, DirectX and XAudio2 result
// codes, for the log. Exact 32-bit matches against constant tables: no allocation, no
// state, callable from any thread. The strings are UTF-16 holding only ASCII.
#pragma once

#include <cstdint>

// The code's macro name, or u"Unknown". Win32 error numbers are named both plain (2) and
// in their HRESULT form (0x80070002). Where DirectInput, DirectShow and DMO share a value
// the names are joined in that order: u"DIERR_CANCELLED & MS_E_SAMPLEALLOC".
const char16_t *resultCodeName(int32_t code);
// The code's one-line description (possibly empty), or u"n/a", also for many codes that
// have a name.
const char16_t *resultCodeDescription(int32_t code);
