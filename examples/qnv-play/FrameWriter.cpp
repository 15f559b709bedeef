#include "FrameWriter.h"

#include "PngFile.h"

FrameWriter::FrameWriter() : _thread(&FrameWriter::run, this) {}

FrameWriter::~FrameWriter() {
    {
        std::lock_guard<std::mutex> lock(_mutex);
        _quit = true;
    }
    _wake.notify_one();
    _thread.join();
}

void FrameWriter::write(const std::string &path, const Image &image) {
    {
        std::unique_lock<std::mutex> lock(_mutex);
        _idle.wait(lock, [this] { return _jobs.size() < kMaxQueued; });
        _jobs.push_back({path, image});
    }
    _wake.notify_one();
}

void FrameWriter::finish(int &written, int &failed) {
    std::unique_lock<std::mutex> lock(_mutex);
    _idle.wait(lock, [this] { return _jobs.empty() && !_busy; });
    written = _written;
    failed = _failed;
}

void FrameWriter::run() {
    std::unique_lock<std::mutex> lock(_mutex);
    for (;;) {
        _wake.wait(lock, [this] { return _quit || !_jobs.empty(); });
        if (_jobs.empty()) {
            return; // asked to quit with nothing left to write
        }
        Job job = std::move(_jobs.front());
        _jobs.pop_front();
        _busy = true;
        lock.unlock();
        const bool ok = writePng(job.path, job.image);
        lock.lock();
        _busy = false;
        ++(ok ? _written : _failed);
        _idle.notify_all();
    }
}
