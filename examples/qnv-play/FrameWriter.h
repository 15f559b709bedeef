// Writes frames as PNG files on a thread of its own, so that compressing them does not
// hold up the host's frame loop (a late host frame would make the video late).
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "Image.h"

class FrameWriter {
public:
    FrameWriter();
    // Writes what is still queued, then ends the thread.
    ~FrameWriter();
    FrameWriter(const FrameWriter &) = delete;
    FrameWriter &operator=(const FrameWriter &) = delete;

    // Queues a copy of `image` to be written to `path`. Waits while kMaxQueued frames are
    // already waiting, so memory stays bounded when compression cannot keep up (the wait
    // then shows as late frames rather than as frames missing from the output).
    void write(const std::string &path, const Image &image);

    static constexpr size_t kMaxQueued = 64;
    // Waits until every queued frame is written; returns how many were written and how
    // many failed so far.
    void finish(int &written, int &failed);

private:
    struct Job {
        std::string path;
        Image image;
    };
    void run();

    std::mutex _mutex;
    std::condition_variable _wake;
    std::condition_variable _idle; // the queue shrank or emptied
    std::deque<Job> _jobs;
    bool _busy = false;
    bool _quit = false;
    int _written = 0;
    int _failed = 0;
    std::thread _thread;
};
