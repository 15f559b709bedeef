// The multimedia timer: milliseconds from a monotonic clock, wrapping at 32 bits like
// Windows' timeGetTime. Tests can take the clock over and move it by hand; the reading
// is atomic, so any thread may read it while a test moves it.
#pragma once

#include "Win32Types.h"

// Milliseconds since an arbitrary fixed point, modulo 2^32; never goes backwards except
// by wrapping (or when a test sets it).
DWORD timeGetTime();

// --- Test control ------------------------------------------------------------------

// Stops following the system clock: timeGetTime returns `ms` until the next call below.
void softwareTimerSet(uint32_t ms);

// Moves the controlled clock forward by `ms`, wrapping at 32 bits. Takes control at the
// current reading first if the system clock was being followed.
void softwareTimerAdvance(uint32_t ms);

// Follows the monotonic system clock again.
void softwareTimerUseSystem();

// True while a test holds the clock.
bool softwareTimerIsControlled();
