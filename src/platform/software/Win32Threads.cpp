// Win32 threads over std::thread: the thread runs detached and owns a share of its
// object, so the handle may be closed (or waited on) at any time.
#include <atomic>
#include <system_error>
#include <thread>

#include "KernelHandles.h"

namespace software {
namespace {

std::atomic<DWORD> g_nextThreadId{1};
thread_local DWORD t_threadId = 0;

DWORD newThreadId() {
    return g_nextThreadId.fetch_add(1);
}

class ThreadObject final : public KernelObject {
public:
    DWORD wait(DWORD milliseconds) override {
        std::unique_lock<std::mutex> lock(_lock);
        return waitFor(_ended, lock, milliseconds, [this] { return _finished; }) ? WAIT_OBJECT_0
                                                                                 : WAIT_TIMEOUT;
    }

    void finish(DWORD exitCode) {
        std::lock_guard<std::mutex> guard(_lock);
        _exitCode = exitCode;
        _finished = true;
        _ended.notify_all();
    }

    DWORD exitCode() {
        std::lock_guard<std::mutex> guard(_lock);
        return _exitCode;
    }

private:
    std::mutex _lock;
    std::condition_variable _ended;
    bool _finished = false;
    DWORD _exitCode = STILL_ACTIVE;
};

} // namespace
} // namespace software

using namespace software;

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                    DWORD flags, DWORD *threadId) {
    if (!start || (flags & CREATE_SUSPENDED) != 0)
        return nullptr;
    if (takeInjectedFailure(SoftwareKernelCall::CreateThread))
        return nullptr;
    auto thread = std::make_shared<ThreadObject>();
    const DWORD id = newThreadId();
    try {
        std::thread([thread, start, parameter, id] {
            t_threadId = id;
            const DWORD exitCode = start(parameter);
            // Mutexes are abandoned before the thread counts as ended, as on Windows.
            abandonOwnedMutexes();
            thread->finish(exitCode);
        }).detach();
    } catch (const std::system_error &) {
        return nullptr;
    }
    if (threadId)
        *threadId = id;
    return openHandle(thread);
}

BOOL GetExitCodeThread(HANDLE handle, DWORD *exitCode) {
    std::shared_ptr<ThreadObject> thread = findHandleOf<ThreadObject>(handle);
    if (!thread || !exitCode)
        return FALSE;
    *exitCode = thread->exitCode();
    return TRUE;
}

void Sleep(DWORD milliseconds) {
    if (milliseconds == 0) {
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

DWORD GetCurrentThreadId() {
    if (t_threadId == 0)
        t_threadId = newThreadId();
    return t_threadId;
}
