// The lifetime of the software device's objects. Each object has a public reference count
// (AddRef/Release) and a count of device bindings (render target, texture stage, stream,
// shader...). The object is deleted when both reach zero, so a resource the host has
// released stays valid while the device still uses it, and the device's bindings never
// keep the host's count from reaching zero (as in Direct3D 9, where bindings are
// internal references).
#pragma once

#include <atomic>

#include "D3D9.h"
#include "D3D9Hooks.h"
#include "Win32Types.h"

namespace software::d3d {

// Counts the objects of the device and the effect runtime alive in the process.
class LiveObject {
public:
    LiveObject();
    LiveObject(const LiveObject &) = delete;
    LiveObject &operator=(const LiveObject &) = delete;
    virtual ~LiveObject();
    static LONG count();
};

class ObjectLifetime : public LiveObject {
public:
    // `parent` (the device of a resource) is held while the public count is above zero,
    // and taken again when a bound object gets a reference back.
    explicit ObjectLifetime(IUnknown *parent = nullptr);
    ULONG addRef();
    ULONG release();
    virtual void bind();
    virtual void unbind();

protected:
    // The public count reached zero; the object may still be bound. Runs before the
    // parent is released.
    virtual void onUnreferenced() {}

private:
    void deleteIfUnused();

    IUnknown *_parent;

    std::atomic<ULONG> _refs{1};
    std::atomic<ULONG> _bindings{0};
};

// IUnknown's part of a COM object, over an ObjectLifetime.
template <class Interface> class ComObject : public Interface, public ObjectLifetime {
public:
    explicit ComObject(IUnknown *parent = nullptr) : ObjectLifetime(parent) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppvObject) override {
        if (!ppvObject)
            return E_POINTER;
        *ppvObject = nullptr;
        if (!isUnknownIid(riid))
            return E_NOINTERFACE;
        *ppvObject = static_cast<Interface *>(this);
        this->AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return addRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return release(); }

private:
    static bool isUnknownIid(REFIID riid) {
        static const GUID unknown = {
            0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
        return riid == unknown;
    }
};

// A device binding: holds one binding of an object and drops it when replaced or
// destroyed.
template <class T> class Binding {
public:
    Binding() = default;
    Binding(const Binding &) = delete;
    Binding &operator=(const Binding &) = delete;
    ~Binding() { reset(nullptr); }

    void reset(T *object) {
        if (object)
            object->bind();
        T *old = _object;
        _object = object;
        if (old)
            old->unbind();
    }
    T *get() const { return _object; }
    explicit operator bool() const { return _object != nullptr; }

private:
    T *_object = nullptr;
};

// GetDevice of every object: a new reference to the device it belongs to.
HRESULT handOutDevice(IDirect3DDevice9 *device, IDirect3DDevice9 **ppDevice);

// The injected failure for the next call of that kind, if one is due.
bool injectedFailure(SoftwareD3D9Call call, HRESULT *result);

} // namespace software::d3d
