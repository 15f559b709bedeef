#include "ContainerClock.h"

#include "Platform.h"

namespace {

uint64_t pack(ContainerClock::State state, uint32_t ms) {
    return (uint64_t(uint32_t(state)) << 32) | ms;
}

// Unsigned 32-bit difference, so a wrap of the timer between the readings does not matter.
double secondsBetween(uint32_t fromMs, uint32_t toMs) {
    return double(uint32_t(toMs - fromMs)) / 1000.0;
}

} // namespace

double ContainerClock::read() const {
    for (;;) {
        const uint64_t published = _published.load();
        const uint32_t ms = uint32_t(published);
        switch (State(published >> 32)) {
        case Stopped:
            return 0.0;
        case Paused:
            return double(ms) / 1000.0;
        case Playing:
            break;
        }
        // The timer reading must belong to the state just read: if the host paused or
        // stopped in between, read again rather than run the old state on past it.
        const uint32_t now = timeGetTime();
        if (_published.load() == published)
            return secondsBetween(ms, now);
    }
}

void ContainerClock::play(uint32_t now) {
    switch (_state) {
    case Stopped:
        set(Playing, now, _pauseMs);
        break;
    case Paused:
        // Move the zero point by the length of the pause.
        set(Playing, _startMs + (now - _pauseMs), _pauseMs);
        break;
    case Playing:
        break;
    }
}

void ContainerClock::pause(uint32_t now) {
    if (_state == Paused)
        return;
    set(Paused, _state == Stopped ? now : _startMs, now);
}

void ContainerClock::stop() {
    set(Stopped, _startMs, _pauseMs);
}

void ContainerClock::set(State state, uint32_t startMs, uint32_t pauseMs) {
    _state = state;
    _startMs = startMs;
    _pauseMs = pauseMs;
    const uint32_t ms = state == Playing ? startMs : state == Paused ? pauseMs - startMs : 0;
    _published.store(pack(state, ms));
}
