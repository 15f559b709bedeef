#include "Container.h"

#include "Platform.h"
#include "core/IMedia.h"

namespace {

uint64_t packClock(Container::State state, uint32_t ms) {
    return (uint64_t(uint32_t(state)) << 32) | ms;
}

// Unsigned 32-bit difference, so a wrap of the timer between the readings does not matter.
double secondsBetween(uint32_t fromMs, uint32_t toMs) {
    return double(uint32_t(toMs - fromMs)) / 1000.0;
}

} // namespace

Container::Container() = default;

Container::~Container() {
    for (IMedia *m : _members)
        m->setContainer(nullptr);
}

double Container::clock() const {
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

void Container::setClock(State state, uint32_t startMs, uint32_t pauseMs) {
    _state = state;
    _startMs = startMs;
    _pauseMs = pauseMs;
    const uint32_t ms = state == Playing ? startMs : state == Paused ? pauseMs - startMs : 0;
    _published.store(packClock(state, ms));
}

int Container::attach(IMedia *m, double startTime) {
    if (Container *previous = m->container())
        previous->removeMember(m);
    m->setContainer(this);
    m->setStartTime(startTime);
    _members.push_back(m);
    // A member starting at 0 needs no queue entry: play starts it.
    if (startTime != 0.0)
        _startQueue.push(startTime, m);
    return 1;
}

void Container::play() {
    const uint32_t now = timeGetTime();
    switch (_state) {
    case Stopped:
        setClock(Playing, now, _pauseMs);
        break;
    case Paused:
        // Move the zero point by the length of the pause, so the clock goes on from the
        // reading the pause held.
        setClock(Playing, _startMs + (now - _pauseMs), _pauseMs);
        break;
    case Playing:
        break;
    }
    playDueMembers();
}

void Container::playDueMembers() {
    for (IMedia *m : _members) {
        if (m->getStartTime() <= clock())
            m->play();
    }
}

void Container::pause() {
    if (_state == Paused)
        return;
    const uint32_t now = timeGetTime();
    // A stopped container has no run to hold: its pause holds 0, and the next play
    // starts the clock from 0.
    const uint32_t startMs = _state == Stopped ? now : _startMs;
    setClock(Paused, startMs, now);
    for (IMedia *m : _members)
        m->pause();
}

void Container::stop() {
    setClock(Stopped, _startMs, _pauseMs);
    _startQueue.clear();
    for (IMedia *m : _members) {
        if (m->getStartTime() != 0.0)
            _startQueue.push(m->getStartTime(), m);
        m->stop();
    }
}

void Container::update() {
    if (_state != Playing)
        return;
    if (clock() >= _length) {
        stop();
        return;
    }
    while (!_startQueue.empty() && clock() >= _startQueue.root().time) {
        if (IMedia *m = _startQueue.root().media)
            m->play();
        _startQueue.removeRoot();
    }
    for (IMedia *m : _members) {
        if (m->getStartTime() <= clock())
            m->update();
    }
}

void Container::removeMember(IMedia *m) {
    _members.remove(m);
    _startQueue.forget(m);
    if (m->container() == this)
        m->setContainer(nullptr);
}
