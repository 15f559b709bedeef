// A timeline: a clock driven by the system millisecond timer that the host plays,
// pauses and stops, a length at which it stops itself, and members that start at
// their offsets on the clock.
//
// Everything but clock() runs on the host's thread. The members' own threads read the
// clock through IMedia::getLocalTime, which holds the shared ContainerClock.
#pragma once

#include <cstdint>
#include <limits>
#include <list>
#include <memory>

#include "ContainerClock.h"
#include "StartQueue.h"

class IMedia;

class Container {
public:
    using State = ContainerClock::State;
    static constexpr State Stopped = ContainerClock::Stopped;
    static constexpr State Playing = ContainerClock::Playing;
    static constexpr State Paused = ContainerClock::Paused;

    Container();
    Container(const Container &) = delete;
    Container &operator=(const Container &) = delete;
    // Members are not destroyed (the media registry owns them); any still attached are
    // detached so that none points here afterwards.
    ~Container();

    // Seconds since play, not counting pauses; 0 while stopped. Safe from any thread.
    double clock() const { return _clock->read(); }
    // The clock itself, for members that read it from their own threads.
    std::shared_ptr<const ContainerClock> sharedClock() const { return _clock; }

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
    State state() const { return _clock->state(); }
    // Unlinks every member entry of m; its pending starts stay in the queue but start
    // nothing.
    void removeMember(IMedia *m);
    bool hasMembers() const { return !_members.empty(); }
    IMedia *firstMember() const { return _members.front(); }

private:
    const std::shared_ptr<ContainerClock> _clock;
    // No length until the host sets one.
    double _length = std::numeric_limits<double>::infinity();
    std::list<IMedia *> _members;
    StartQueue _startQueue;
};
