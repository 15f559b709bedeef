// A timeline: a clock driven by the system millisecond timer that the host plays,
// pauses and stops, a length at which it stops itself, and members that start at
// their offsets on the clock.
//
// Everything but clock() runs on the host's thread. clock() is also read by the members'
// own threads (through IMedia::getLocalTime) while the host changes the state, so the
// host publishes each change of the clock as one atomic word that a reader takes whole.
#pragma once

#include <atomic>
#include <cstdint>
#include <limits>
#include <list>

#include "StartQueue.h"

class IMedia;

class Container {
public:
    enum State : int32_t { Stopped = 0, Playing = 1, Paused = 2 };

    Container();
    Container(const Container &) = delete;
    Container &operator=(const Container &) = delete;
    // Members are not destroyed (the media registry owns them); any still attached are
    // detached so that none points here afterwards.
    ~Container();

    // Seconds since play, not counting pauses; 0 while stopped. Safe from any thread.
    double clock() const;

    // Makes m a member starting at startTime seconds on the clock. An object already
    // attached (here or elsewhere) leaves that container first, so it is in one member
    // list at most. Returns 1.
    int attach(IMedia *m, double startTime);
    void play();
    void pause();
    void stop();
    // The per-frame work: stop at the length, start the members that are due, update the
    // started ones. Does nothing unless playing.
    void update();
    void setLength(double length) { _length = length; }
    double length() const { return _length; }
    State state() const { return _state; }
    // Unlinks every member entry of m; its pending starts stay in the queue but start
    // nothing.
    void removeMember(IMedia *m);
    bool hasMembers() const { return !_members.empty(); }
    IMedia *firstMember() const { return _members.front(); }

private:
    // Stores the clock fields and publishes them to clock() readers.
    void setClock(State state, uint32_t startMs, uint32_t pauseMs);
    // Calls play on every member whose start time has come.
    void playDueMembers();

    // Host-side copies of the clock fields.
    State _state = Stopped;
    uint32_t _startMs = 0; // timer reading at which the clock stood at 0
    uint32_t _pauseMs = 0; // timer reading taken at the last pause
    // No length until the host sets one.
    double _length = std::numeric_limits<double>::infinity();
    std::list<IMedia *> _members;
    StartQueue _startQueue;
    // The state in the high word; the low word holds _startMs while playing and the
    // milliseconds held by the pause while paused.
    std::atomic<uint64_t> _published{0};
};
