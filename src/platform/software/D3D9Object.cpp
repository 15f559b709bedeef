#include "D3D9Object.h"

#include <array>
#include <mutex>

namespace software::d3d {
namespace {

std::atomic<LONG> liveObjects{0};

struct PendingFailure {
    UINT callsLeft = 0; // 0: none pending
    HRESULT result = S_OK;
};

std::mutex failureMutex;
std::array<PendingFailure, 8> pendingFailures;

} // namespace

LiveObject::LiveObject() {
    ++liveObjects;
}
LiveObject::~LiveObject() {
    --liveObjects;
}
LONG LiveObject::count() {
    return liveObjects.load();
}

ObjectLifetime::ObjectLifetime(IUnknown *parent) : _parent(parent) {
    if (_parent)
        _parent->AddRef();
}

ULONG ObjectLifetime::addRef() {
    ULONG refs = ++_refs;
    if (refs == 1 && _parent)
        _parent->AddRef();
    return refs;
}

ULONG ObjectLifetime::release() {
    // A release beyond zero is the caller's bug; ignoring it beats freeing twice.
    ULONG refs = _refs.load();
    do {
        if (refs == 0)
            return 0;
    } while (!_refs.compare_exchange_weak(refs, refs - 1));
    if (refs - 1 != 0)
        return refs - 1;
    // Releasing the device here may end the device, whose bindings then let go of this
    // object; the extra binding keeps it alive until this call is done with it.
    ++_bindings;
    onUnreferenced();
    if (_parent)
        _parent->Release();
    if (--_bindings == 0)
        deleteIfUnused();
    return 0;
}

void ObjectLifetime::bind() {
    ++_bindings;
}

void ObjectLifetime::unbind() {
    if (--_bindings == 0)
        deleteIfUnused();
}

void ObjectLifetime::deleteIfUnused() {
    if (_refs.load() == 0 && _bindings.load() == 0)
        delete this;
}

HRESULT handOutDevice(IDirect3DDevice9 *device, IDirect3DDevice9 **ppDevice) {
    if (!ppDevice)
        return D3DERR_INVALIDCALL;
    device->AddRef();
    *ppDevice = device;
    return D3D_OK;
}

bool injectedFailure(SoftwareD3D9Call call, HRESULT *result) {
    std::lock_guard<std::mutex> lock(failureMutex);
    PendingFailure &pending = pendingFailures.at(static_cast<size_t>(call));
    if (pending.callsLeft == 0)
        return false;
    if (--pending.callsLeft != 0)
        return false;
    *result = pending.result;
    return true;
}

} // namespace software::d3d

LONG SoftwareD3D9LiveObjects() {
    return software::d3d::LiveObject::count();
}

void SoftwareD3D9FailCall(SoftwareD3D9Call call, UINT nth, HRESULT result) {
    std::lock_guard<std::mutex> lock(software::d3d::failureMutex);
    software::d3d::pendingFailures.at(static_cast<size_t>(call)) = {nth, result};
}

void SoftwareD3D9ClearFailures() {
    std::lock_guard<std::mutex> lock(software::d3d::failureMutex);
    software::d3d::pendingFailures.fill({});
}
