#include "IMedia.h"

#include "timeline/Container.h"

IMedia::~IMedia() {
    if (_container)
        _container->removeMember(this);
}

void IMedia::setContainer(Container *container) {
    std::shared_ptr<const ContainerClock> clock;
    if (container)
        clock = container->sharedClock();
    _container = container;
    std::lock_guard<std::mutex> hold(_placementLock);
    _clock.swap(clock);
    // The old clock, now in `clock`, is let go of outside the lock.
}

void IMedia::setStartTime(double startTime) {
    std::lock_guard<std::mutex> hold(_placementLock);
    _startTime = startTime;
}

// Only the host's thread writes the start time, so it reads it without the lock.
double IMedia::getStartTime() const {
    return _startTime;
}

double IMedia::getLocalTime() const {
    std::shared_ptr<const ContainerClock> clock;
    double startTime;
    {
        std::lock_guard<std::mutex> hold(_placementLock);
        clock = _clock;
        startTime = _startTime;
    }
    if (!clock)
        return 0.0;
    const double local = clock->read() - startTime;
    return local > 0.0 ? local : 0.0;
}
