#include "FrameQueue.h"

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

void FrameQueue::push(std::unique_ptr<VideoFrame> frame) {
    Lock lock(_hMutex);
    _frames.push_back(std::move(frame));
    _count = static_cast<int>(_frames.size());
}

VideoFrame *FrameQueue::oldest() {
    Lock lock(_hMutex);
    return _frames.empty() ? nullptr : _frames.front().get();
}

std::unique_ptr<VideoFrame> FrameQueue::removeOldest() {
    std::unique_ptr<VideoFrame> frame;
    Lock lock(_hMutex);
    if (_frames.empty())
        return frame;
    frame = std::move(_frames.front());
    _frames.pop_front();
    _count = static_cast<int>(_frames.size());
    return frame;
}

void FrameQueue::clear() {
    std::deque<std::unique_ptr<VideoFrame>> taken;
    {
        Lock lock(_hMutex);
        taken.swap(_frames);
        _count = 0;
    }
    // The frames are freed here, outside the lock.
}
