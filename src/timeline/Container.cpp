#include "Container.h"

#include "Platform.h"
#include "core/IMedia.h"

Container::Container() : _clock(std::make_shared<ContainerClock>()) {}

Container::~Container() {
    for (IMedia *m : _members)
        m->setContainer(nullptr);
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
    _clock->play(timeGetTime());
    for (IMedia *m : _members) {
        if (m->getStartTime() <= clock())
            m->play();
    }
}

void Container::pause() {
    if (state() == Paused)
        return;
    _clock->pause(timeGetTime());
    for (IMedia *m : _members)
        m->pause();
}

void Container::stop() {
    _clock->stop();
    _startQueue.clear();
    for (IMedia *m : _members) {
        if (m->getStartTime() != 0.0)
            _startQueue.push(m->getStartTime(), m);
        m->stop();
    }
}

void Container::update() {
    if (state() != Playing)
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
