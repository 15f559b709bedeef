#include "Timer.h"

#include <atomic>
#include <ctime>

namespace {

std::atomic<bool> g_controlled{false};
std::atomic<uint32_t> g_controlledMs{0};

// Milliseconds of CLOCK_MONOTONIC (time since boot, like Windows' timer), cut to 32 bits.
uint32_t systemMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t ms =
        static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

} // namespace

DWORD timeGetTime() {
    if (g_controlled.load())
        return g_controlledMs.load();
    return systemMilliseconds();
}

void softwareTimerSet(uint32_t ms) {
    g_controlledMs.store(ms);
    g_controlled.store(true);
}

void softwareTimerAdvance(uint32_t ms) {
    if (!g_controlled.load())
        softwareTimerSet(systemMilliseconds());
    g_controlledMs.fetch_add(ms); // unsigned: wraps at 32 bits like the real timer
}

void softwareTimerUseSystem() {
    g_controlled.store(false);
}

bool softwareTimerIsControlled() {
    return g_controlled.load();
}
