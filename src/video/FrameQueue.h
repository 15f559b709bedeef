// The decoded frames waiting to be shown, oldest first, under a mutex of their own. The
// decode thread appends; the host's thread looks at the oldest, removes it and empties
// the queue. The mutex is held for the list operation alone.
//
// Shown frames are kept, up to kMaxSpares of them, for the decode thread to fill again.
// A 1280x720 frame is 1.4 MB; a heap that gives blocks that large a fresh mapping of
// their own (the Windows heap does) makes every new frame's pages fault in again, which
// costs the decode thread about as much as decoding a simple frame. A record is only made
// when no spare is left, so a decode thread that keeps at most N frames queued has at
// most N records alive.
#pragma once

#include <atomic>
#include <deque>
#include <memory>

#include "Platform.h"
#include "VideoFrame.h"

class FrameQueue {
public:
    static constexpr int kMaxSpares = 2;

    FrameQueue();
    ~FrameQueue();
    FrameQueue(const FrameQueue &) = delete;
    FrameQueue &operator=(const FrameQueue &) = delete;

    // False when the mutex could not be created.
    bool ok() const { return _hMutex != nullptr; }

    // A record for the decode thread to fill: a spare when there is one, else a new one;
    // null when memory runs out.
    std::unique_ptr<VideoFrame> spareFrame();
    void push(std::unique_ptr<VideoFrame> frame);
    // The oldest frame, left in the queue; null when empty. It stays valid until the
    // host's thread removes it, because no other thread removes frames.
    VideoFrame *oldest();
    // Takes the oldest frame out (if any) and keeps it as a spare, or frees it when
    // enough spares are kept.
    void recycleOldest();
    // Frees the queued frames and the spares.
    void clear();
    // Readable without the mutex, from either thread.
    int count() const { return _count.load(); }
    // The number of shown frames kept for reuse.
    int spares();

private:
    // Holds the mutex for one list operation.
    class Lock;

    HANDLE _hMutex;
    std::deque<std::unique_ptr<VideoFrame>> _frames;
    std::atomic<int> _count{0};
    std::unique_ptr<VideoFrame> _spares[kMaxSpares];
    int _spareCount = 0;
};
