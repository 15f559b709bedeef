// The decoded frames waiting to be shown, oldest first, under a mutex of their own. The
// decode thread appends; the host's thread looks at the oldest, removes it and empties
// the queue. The mutex is held for the list operation alone.
#pragma once

#include <atomic>
#include <deque>
#include <memory>

#include "Platform.h"
#include "VideoFrame.h"

class FrameQueue {
public:
    FrameQueue();
    ~FrameQueue();
    FrameQueue(const FrameQueue &) = delete;
    FrameQueue &operator=(const FrameQueue &) = delete;

    // False when the mutex could not be created.
    bool ok() const { return _hMutex != nullptr; }

    void push(std::unique_ptr<VideoFrame> frame);
    // The oldest frame, left in the queue; null when empty. It stays valid until the
    // host's thread removes it, because no other thread removes frames.
    VideoFrame *oldest();
    // Takes the oldest frame out; null when empty.
    std::unique_ptr<VideoFrame> removeOldest();
    void clear();
    // Readable without the mutex, from either thread.
    int count() const { return _count.load(); }

private:
    // Holds the mutex for one list operation.
    class Lock;

    HANDLE _hMutex;
    std::deque<std::unique_ptr<VideoFrame>> _frames;
    std::atomic<int> _count{0};
};
