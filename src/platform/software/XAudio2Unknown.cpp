#include "XAudio2Unknown.h"

#include "Com.h"

namespace software {

HRESULT XAudio2Unknown::QueryInterface(REFIID iid, void **object) {
    if (!object)
        return E_POINTER;
    if (iid != IID_IXAudio27 && iid != IID_IUnknown) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    *object = static_cast<IXAudio2 *>(this);
    return S_OK;
}

ULONG XAudio2Unknown::AddRef() {
    return _refCount.fetch_add(1) + 1;
}

ULONG XAudio2Unknown::Release() {
    const ULONG remaining = _refCount.fetch_sub(1) - 1;
    if (remaining == 0)
        lastReleased();
    return remaining;
}

} // namespace software
