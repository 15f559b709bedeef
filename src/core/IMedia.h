// The interface every media object (audio, video) presents to the exports and to
// containers, and its placement on a container's timeline.
#pragma once

#include <memory>
#include <mutex>
#include <string>

class Container;
class ContainerClock;

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

    // Placement, set by the container on the host's thread.
    void setContainer(Container *container);
    void setStartTime(double startTime);
    double getStartTime() const;
    // The owning container's clock minus the start time, never below 0; 0 when not
    // attached. Safe to call from the object's own threads while the host drives, moves
    // or frees containers.
    double getLocalTime() const;
    // The owning container, or null; host's thread only.
    Container *container() const { return _container; }

private:
    Container *_container = nullptr;
    double _startTime = 0.0;
    // What getLocalTime reads from other threads: the container's clock, held so that it
    // outlives a container the host frees during a reading, and the start time. The host
    // writes them under the lock; getLocalTime copies them under it.
    mutable std::mutex _placementLock;
    std::shared_ptr<const ContainerClock> _clock;
};
