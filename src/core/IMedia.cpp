#include "IMedia.h"

#include "timeline/Container.h"

IMedia::~IMedia() {
    if (Container *owner = container())
        owner->removeMember(this);
}

void IMedia::setContainer(Container *container) {
    _container.store(container, std::memory_order_release);
}

void IMedia::setStartTime(double startTime) {
    _startTime.store(startTime, std::memory_order_relaxed);
}

double IMedia::getStartTime() const {
    return _startTime.load(std::memory_order_relaxed);
}

double IMedia::getLocalTime() const {
    const Container *owner = container();
    if (!owner)
        return 0.0;
    const double local = owner->clock() - getStartTime();
    return local > 0.0 ? local : 0.0;
}
