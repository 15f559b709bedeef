// The handle table behind the Win32 kernel objects of this platform (threads, events,
// mutexes): handles are numbers issued once and never reused, each naming a shared
// object, so a wait in progress keeps its object alive when another thread closes the
// handle. Internal to the software platform.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "Win32Threads.h"

namespace software {

class KernelObject {
public:
    virtual ~KernelObject() = default;
    // WaitForSingleObject on this object, with its Win32 results.
    virtual DWORD wait(DWORD milliseconds) = 0;
};

// Enters `object` in the table and returns its new handle.
HANDLE openHandle(std::shared_ptr<KernelObject> object);

// The object `handle` names, or null when the handle is not open.
std::shared_ptr<KernelObject> findHandle(HANDLE handle);

// The object `handle` names if it is of kind T, else null.
template <class T> std::shared_ptr<T> findHandleOf(HANDLE handle) {
    return std::dynamic_pointer_cast<T>(findHandle(handle));
}

// Removes `handle` from the table; false when it was not open.
bool closeHandle(HANDLE handle);

// True when a test asked this call of `call` to fail (and counts the call otherwise).
bool takeInjectedFailure(SoftwareKernelCall call);

// Gives up the mutexes the calling thread still owns, as abandoned; called when a thread
// ends so that their next waiter gets WAIT_ABANDONED instead of waiting for ever.
void abandonOwnedMutexes();

// Waits on `condition` until `ready()` holds or `milliseconds` pass (INFINITE: no limit);
// returns ready().
template <class Ready>
bool waitFor(std::condition_variable &condition, std::unique_lock<std::mutex> &lock,
             DWORD milliseconds, Ready ready) {
    if (milliseconds == INFINITE) {
        condition.wait(lock, ready);
        return true;
    }
    return condition.wait_for(lock, std::chrono::milliseconds(milliseconds), ready);
}

} // namespace software
