#include "StartQueue.h"

#include <utility>

void StartQueue::push(double time, IMedia *media) {
    _heap.push_back(Entry{time, media});
    rise(_heap.size() - 1);
}

void StartQueue::removeRoot() {
    if (_heap.empty())
        return;
    const Entry last = _heap.back();
    _heap.pop_back();
    const size_t count = _heap.size();
    if (count == 0)
        return;

    size_t hole = 0;
    for (;;) {
        const size_t left = 2 * hole + 1;
        if (left >= count)
            break;
        const size_t right = left + 1;
        size_t child = left;
        if (right < count && _heap[left].time > _heap[right].time)
            child = right;
        _heap[hole] = _heap[child];
        hole = child;
    }
    _heap[hole] = last;
    rise(hole);
}

void StartQueue::forget(const IMedia *media) {
    for (Entry &entry : _heap) {
        if (entry.media == media)
            entry.media = nullptr;
    }
}

void StartQueue::rise(size_t index) {
    while (index > 0) {
        const size_t parent = (index - 1) / 2;
        if (_heap[index].time > _heap[parent].time)
            return;
        std::swap(_heap[index], _heap[parent]);
        index = parent;
    }
}
