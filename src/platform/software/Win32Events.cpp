// Win32 events: manual-reset events stay signalled until ResetEvent; auto-reset events
// stay signalled until exactly one wait consumes the signal.
#include "KernelHandles.h"

namespace software {
namespace {

class EventObject final : public KernelObject {
public:
    EventObject(bool manualReset, bool signalled)
        : _manualReset(manualReset), _signalled(signalled) {}

    DWORD wait(DWORD milliseconds) override {
        std::unique_lock<std::mutex> lock(_lock);
        if (!waitFor(_changed, lock, milliseconds, [this] { return _signalled; }))
            return WAIT_TIMEOUT;
        if (!_manualReset)
            _signalled = false;
        return WAIT_OBJECT_0;
    }

    void set() {
        std::lock_guard<std::mutex> guard(_lock);
        _signalled = true;
        // Every waiter rechecks; for an auto-reset event the first to run consumes it.
        _changed.notify_all();
    }

    void reset() {
        std::lock_guard<std::mutex> guard(_lock);
        _signalled = false;
    }

private:
    const bool _manualReset;
    std::mutex _lock;
    std::condition_variable _changed;
    bool _signalled;
};

} // namespace
} // namespace software

using namespace software;

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCWSTR) {
    if (takeInjectedFailure(SoftwareKernelCall::CreateEvent))
        return nullptr;
    return openHandle(std::make_shared<EventObject>(manualReset != FALSE, initialState != FALSE));
}

BOOL SetEvent(HANDLE event) {
    std::shared_ptr<EventObject> object = findHandleOf<EventObject>(event);
    if (!object)
        return FALSE;
    object->set();
    return TRUE;
}

BOOL ResetEvent(HANDLE event) {
    std::shared_ptr<EventObject> object = findHandleOf<EventObject>(event);
    if (!object)
        return FALSE;
    object->reset();
    return TRUE;
}
