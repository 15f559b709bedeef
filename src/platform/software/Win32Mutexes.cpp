// Win32 mutexes: owned by one thread, re-entrant for it (every successful wait needs its
// own ReleaseMutex), released only by the owner, and abandoned when the owner ends.
#include <algorithm>
#include <vector>

#include "KernelHandles.h"

namespace software {
namespace {

class MutexObject;

// The mutexes a thread owns, so that they can be abandoned when the thread ends.
class OwnedMutexes {
public:
    ~OwnedMutexes() { abandonAll(); }
    void add(const std::shared_ptr<MutexObject> &mutex) { _mutexes.push_back(mutex); }
    void remove(const MutexObject *mutex);
    void abandonAll();

private:
    std::vector<std::weak_ptr<MutexObject>> _mutexes;
};

thread_local OwnedMutexes t_ownedMutexes;

class MutexObject final : public KernelObject, public std::enable_shared_from_this<MutexObject> {
public:
    DWORD wait(DWORD milliseconds) override {
        const DWORD self = GetCurrentThreadId();
        std::unique_lock<std::mutex> lock(_lock);
        if (_owner == self) {
            ++_depth;
            return WAIT_OBJECT_0;
        }
        if (!waitFor(_released, lock, milliseconds, [this] { return _owner == 0; }))
            return WAIT_TIMEOUT;
        _owner = self;
        _depth = 1;
        const bool wasAbandoned = _abandoned;
        _abandoned = false;
        lock.unlock();
        t_ownedMutexes.add(shared_from_this());
        return wasAbandoned ? WAIT_ABANDONED : WAIT_OBJECT_0;
    }

    // Makes the calling thread the owner of a mutex nobody can have seen yet.
    void takeInitialOwnership() {
        {
            std::lock_guard<std::mutex> guard(_lock);
            _owner = GetCurrentThreadId();
            _depth = 1;
        }
        t_ownedMutexes.add(shared_from_this());
    }

    bool release() {
        const DWORD self = GetCurrentThreadId();
        {
            std::lock_guard<std::mutex> guard(_lock);
            if (_owner != self)
                return false;
            if (--_depth > 0)
                return true;
            _owner = 0;
            _released.notify_all();
        }
        t_ownedMutexes.remove(this);
        return true;
    }

    // Frees the mutex if `thread` still owns it; the next owner is told it was abandoned.
    void abandon(DWORD thread) {
        std::lock_guard<std::mutex> guard(_lock);
        if (_owner != thread)
            return;
        _owner = 0;
        _depth = 0;
        _abandoned = true;
        _released.notify_all();
    }

private:
    std::mutex _lock;
    std::condition_variable _released;
    DWORD _owner = 0; // thread id; 0 when free
    unsigned _depth = 0;
    bool _abandoned = false;
};

void OwnedMutexes::remove(const MutexObject *mutex) {
    _mutexes.erase(std::remove_if(_mutexes.begin(), _mutexes.end(),
                                  [mutex](const std::weak_ptr<MutexObject> &owned) {
                                      std::shared_ptr<MutexObject> alive = owned.lock();
                                      return !alive || alive.get() == mutex;
                                  }),
                   _mutexes.end());
}

void OwnedMutexes::abandonAll() {
    std::vector<std::weak_ptr<MutexObject>> owned;
    owned.swap(_mutexes);
    const DWORD self = GetCurrentThreadId();
    for (const std::weak_ptr<MutexObject> &entry : owned) {
        if (std::shared_ptr<MutexObject> mutex = entry.lock())
            mutex->abandon(self);
    }
}

} // namespace

void abandonOwnedMutexes() {
    t_ownedMutexes.abandonAll();
}

} // namespace software

using namespace software;

HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCWSTR) {
    if (takeInjectedFailure(SoftwareKernelCall::CreateMutex))
        return nullptr;
    auto mutex = std::make_shared<MutexObject>();
    if (initialOwner)
        mutex->takeInitialOwnership();
    return openHandle(mutex);
}

BOOL ReleaseMutex(HANDLE mutex) {
    std::shared_ptr<MutexObject> object = findHandleOf<MutexObject>(mutex);
    if (!object)
        return FALSE;
    return object->release() ? TRUE : FALSE;
}
