#include "FrameQueue.h"

#include <new>
#include <utility>

class FrameQueue::Lock {
public:
    explicit Lock(HANDLE mutex) : _mutex(mutex) { WaitForSingleObject(_mutex, INFINITE); }
    ~Lock() { ReleaseMutex(_mutex); }
    Lock(const Lock &) = delete;
    Lock &operator=(const Lock &) = delete;

private:
    HANDLE _mutex;
};

FrameQueue::FrameQueue() : _hMutex(CreateMutexW(nullptr, FALSE, nullptr)) {}

FrameQueue::~FrameQueue() {
    clear();
    if (_hMutex != nullptr)
        CloseHandle(_hMutex);
}

std::unique_ptr<VideoFrame> FrameQueue::spareFrame() {
    {
        Lock lock(_hMutex);
        if (_spareCount > 0)
            return std::move(_spares[--_spareCount]);
    }
    return std::unique_ptr<VideoFrame>(new (std::nothrow) VideoFrame);
}

void FrameQueue::push(std::unique_ptr<VideoFrame> frame) {
    Lock lock(_hMutex);
    _frames.push_back(std::move(frame));
    _count = static_cast<int>(_frames.size());
}

VideoFrame *FrameQueue::oldest() {
    Lock lock(_hMutex);
    return _frames.empty() ? nullptr : _frames.front().get();
}

void FrameQueue::recycleOldest() {
    std::unique_ptr<VideoFrame> surplus;
    Lock lock(_hMutex);
    if (_frames.empty())
        return;
    std::unique_ptr<VideoFrame> &frame = _frames.front();
    if (_spareCount < kMaxSpares)
        _spares[_spareCount++] = std::move(frame);
    else
        surplus = std::move(frame);
    _frames.pop_front();
    _count = static_cast<int>(_frames.size());
    // A surplus frame is freed after the lock is released (locals end in reverse order).
}

void FrameQueue::clear() {
    std::deque<std::unique_ptr<VideoFrame>> taken;
    std::unique_ptr<VideoFrame> spares[kMaxSpares];
    {
        Lock lock(_hMutex);
        taken.swap(_frames);
        _count = 0;
        for (int i = 0; i < _spareCount; ++i)
            spares[i] = std::move(_spares[i]);
        _spareCount = 0;
    }
    // The frames are freed here, outside the lock.
}

int FrameQueue::spares() {
    Lock lock(_hMutex);
    return _spareCount;
}
