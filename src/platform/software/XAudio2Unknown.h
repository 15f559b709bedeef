// IUnknown's part of an XAudio2 engine object: the interfaces it answers to (IXAudio2 in
// its 2.7 layout, and IUnknown) and a reference count that starts at 1 for its maker.
// What the last Release does is the engine's choice: the FAudio engine deletes itself,
// the tests' scripted engine, which the test owns, only counts.
#pragma once

#include <atomic>

#include "XAudio2.h"

namespace software {

class XAudio2Unknown : public IXAudio2 {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    ULONG refCount() const { return _refCount.load(); }

protected:
    // The count has just reached zero.
    virtual void lastReleased() {}

private:
    std::atomic<ULONG> _refCount{1};
};

} // namespace software
