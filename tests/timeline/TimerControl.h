// Holds the millisecond timer for one test and gives it back to the system clock after.
#pragma once

#include <cstdint>

#include "Platform.h"

class TimerControl {
public:
    explicit TimerControl(uint32_t startMs) { softwareTimerSet(startMs); }
    ~TimerControl() { softwareTimerUseSystem(); }
    TimerControl(const TimerControl &) = delete;
    TimerControl &operator=(const TimerControl &) = delete;

    void set(uint32_t ms) { softwareTimerSet(ms); }
    void advance(uint32_t ms) { softwareTimerAdvance(ms); }
};
