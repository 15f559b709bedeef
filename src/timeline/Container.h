// A timeline: a clock driven by the system millisecond timer that the host plays,
// pauses and stops, a length at which it stops itself, and members that start at
// their offsets on the clock.
#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <vector>

#include "StartQueue.h"

class IMedia;

class Container {
public:
    enum State : int32_t { Stopped = 0, Playing = 1, Paused = 2 };

    Container() = default;
    Container(const Container &) = delete;
    Container &operator=(const Container &) = delete;
    ~Container();

    // Seconds since play, not counting pauses; 0 while stopped. Safe from any thread.
    double clock() const;

    // Makes m a member starting at startTime seconds; an object already attached
    // elsewhere leaves its old container first. Returns 1.
    int attach(IMedia *m, double startTime);
    void play();
    void pause();
    void stop();
    void update();
    void setLength(double length);
    double length() const { return _length; }
    State state() const { return _state.load(); }
    // Unlinks every member entry and pending start of m.
    void removeMember(IMedia *m);
    bool hasMembers() const { return !_members.empty(); }
    IMedia *firstMember() const { return _members.front(); }

private:
    // Written by the host's thread, read by feeder threads through clock().
    std::atomic<State> _state{Stopped};
    double _length;
    std::atomic<uint32_t> _startMs{0};
    std::atomic<uint32_t> _pauseMs{0};
    std::list<IMedia *> _members;
    StartQueue _startQueue;
};
