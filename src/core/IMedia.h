// The interface every media object (audio, video) presents to the exports and to
// containers, and its placement on a container's timeline.
#pragma once

#include <atomic>
#include <string>

class Container;

class IMedia {
public:
    IMedia() = default;
    IMedia(const IMedia &) = delete;
    IMedia &operator=(const IMedia &) = delete;

    // Leaves the owning container (every member entry; pending starts then start nothing).
    virtual ~IMedia();

    // 1 when the file was opened and the object is ready, -1 when it failed.
    virtual int open(std::wstring path) = 0;
    // Releases what open set up; only the destructor may follow. Returns 1.
    virtual int close() = 0;
    virtual int play() = 0;
    virtual int pause() = 0;
    virtual int stop() = 0;
    // Per-frame work, on the host's thread, while the container plays.
    virtual int update() = 0;
    virtual double getLength() = 0;
    virtual double getPosition() = 0;
    virtual bool isReady() = 0;

    void setContainer(Container *container);
    void setStartTime(double startTime);
    double getStartTime() const;
    // The owning container's clock minus the start time, never below 0; 0 when not
    // attached. Safe to call from the object's own threads while the host drives the
    // container.
    double getLocalTime() const;
    Container *container() const { return _container.load(std::memory_order_acquire); }

private:
    // Both are written by the host's thread and read by the object's own threads through
    // getLocalTime, hence atomic.
    std::atomic<Container *> _container{nullptr};
    std::atomic<double> _startTime{0.0};
};
