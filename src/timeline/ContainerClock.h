// A container's clock: seconds of the system millisecond timer since play, not counting
// pauses, 0 while stopped.
//
// The host's thread moves the clock (play, pause, stop); any thread may read it. Each move
// is published as one atomic word, so a reader never mixes the fields of two states. The
// container shares the clock with its members, so a member's thread that is reading it
// keeps it alive even if the host frees the container meanwhile.
#pragma once

#include <atomic>
#include <cstdint>

class ContainerClock {
public:
    enum State : int32_t { Stopped = 0, Playing = 1, Paused = 2 };

    // Seconds; safe from any thread.
    double read() const;

    // The rest runs on the host's thread. `now` is the timer reading of the change.
    State state() const { return _state; }
    // Stopped: starts from 0. Paused: goes on from the held reading. Playing: unchanged.
    void play(uint32_t now);
    // Holds the reading (a paused clock stays as it is). A stopped clock has no run to
    // hold, so it holds 0 and the next play starts from 0.
    void pause(uint32_t now);
    void stop();

private:
    void set(State state, uint32_t startMs, uint32_t pauseMs);

    // Host-side fields.
    State _state = Stopped;
    uint32_t _startMs = 0; // timer reading at which the clock stood at 0
    uint32_t _pauseMs = 0; // timer reading taken at the last pause
    // What readers see: the state in the high word; the low word holds _startMs while
    // playing and the milliseconds held by the pause while paused.
    std::atomic<uint64_t> _published{0};
};
