#include "KernelHandles.h"

#include <map>

namespace software {
namespace {

// Handles start well above 0 and step by 4 like Windows handles; none is ever reissued,
// so a stale handle can only ever miss.
constexpr uintptr_t kFirstHandle = 0x1000;
constexpr uintptr_t kHandleStep = 4;

struct HandleTable {
    std::mutex lock;
    uintptr_t nextHandle = kFirstHandle;
    std::map<uintptr_t, std::shared_ptr<KernelObject>> objects;
    std::map<SoftwareKernelCall, unsigned> pendingFailures; // call -> successful calls to skip
};

HandleTable &table() {
    static HandleTable instance;
    return instance;
}

} // namespace

HANDLE openHandle(std::shared_ptr<KernelObject> object) {
    HandleTable &handles = table();
    std::lock_guard<std::mutex> guard(handles.lock);
    uintptr_t value = handles.nextHandle;
    handles.nextHandle += kHandleStep;
    handles.objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> findHandle(HANDLE handle) {
    HandleTable &handles = table();
    std::lock_guard<std::mutex> guard(handles.lock);
    auto found = handles.objects.find(reinterpret_cast<uintptr_t>(handle));
    if (found == handles.objects.end())
        return nullptr;
    return found->second;
}

bool closeHandle(HANDLE handle) {
    std::shared_ptr<KernelObject> closed; // released after the table lock is dropped
    HandleTable &handles = table();
    std::lock_guard<std::mutex> guard(handles.lock);
    auto found = handles.objects.find(reinterpret_cast<uintptr_t>(handle));
    if (found == handles.objects.end())
        return false;
    closed = std::move(found->second);
    handles.objects.erase(found);
    return true;
}

bool takeInjectedFailure(SoftwareKernelCall call) {
    HandleTable &handles = table();
    std::lock_guard<std::mutex> guard(handles.lock);
    auto pending = handles.pendingFailures.find(call);
    if (pending == handles.pendingFailures.end())
        return false;
    if (pending->second > 0) {
        --pending->second;
        return false;
    }
    handles.pendingFailures.erase(pending);
    return true;
}

} // namespace software

using namespace software;

void softwareFailKernelCall(SoftwareKernelCall call, unsigned callsToSkip) {
    HandleTable &handles = table();
    std::lock_guard<std::mutex> guard(handles.lock);
    handles.pendingFailures[call] = callsToSkip;
}

void softwareClearKernelFaults() {
    HandleTable &handles = table();
    std::lock_guard<std::mutex> guard(handles.lock);
    handles.pendingFailures.clear();
}

size_t softwareOpenHandleCount() {
    HandleTable &handles = table();
    std::lock_guard<std::mutex> guard(handles.lock);
    return handles.objects.size();
}

BOOL CloseHandle(HANDLE handle) {
    return closeHandle(handle) ? TRUE : FALSE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    std::shared_ptr<KernelObject> object = findHandle(handle);
    if (!object)
        return WAIT_FAILED;
    return object->wait(milliseconds);
}
