// An effect that records its calls into a shared list (the fake device's), so that the
// order of effect and device calls can be checked; Begin answers a chosen result and pass
// count. GPUVideoRenderWithEffect puts one into a pass in place of a loaded effect.
#pragma once

#include <string>
#include <vector>

#include "gpu/GPUVideoRender.h"

class FakeEffect : public ID3DXEffect {
public:
    explicit FakeEffect(std::vector<std::string> &calls) : _calls(calls) {}

    HRESULT beginResult = S_OK;
    UINT passes = 1;
    int references = 1;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void **) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++references); }
    ULONG STDMETHODCALLTYPE Release() override { return ULONG(--references); }
    D3DXHANDLE STDMETHODCALLTYPE GetParameterByName(D3DXHANDLE, LPCSTR name) override {
        return name;
    }
    D3DXHANDLE STDMETHODCALLTYPE GetTechnique(UINT) override { return nullptr; }
    D3DXHANDLE STDMETHODCALLTYPE GetTechniqueByName(LPCSTR name) override { return name; }
    HRESULT STDMETHODCALLTYPE SetFloat(D3DXHANDLE name, FLOAT f) override {
        return record("SetFloat(" + std::string(name) + ", " + std::to_string(int(f)) + ")");
    }
    HRESULT STDMETHODCALLTYPE GetFloat(D3DXHANDLE, FLOAT *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetTexture(D3DXHANDLE name, IDirect3DBaseTexture9 *) override {
        return record("SetTexture(" + std::string(name) + ")");
    }
    HRESULT STDMETHODCALLTYPE GetTexture(D3DXHANDLE, IDirect3DBaseTexture9 **) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetTechnique(D3DXHANDLE name) override {
        return record("SetTechnique(" + std::string(name) + ")");
    }
    D3DXHANDLE STDMETHODCALLTYPE GetCurrentTechnique() override { return nullptr; }
    HRESULT STDMETHODCALLTYPE Begin(UINT *pPasses, DWORD flags) override {
        *pPasses = passes;
        record("Begin(" + std::to_string(flags) + ")");
        return beginResult;
    }
    HRESULT STDMETHODCALLTYPE BeginPass(UINT pass) override {
        return record("BeginPass(" + std::to_string(pass) + ")");
    }
    HRESULT STDMETHODCALLTYPE CommitChanges() override { return record("CommitChanges"); }
    HRESULT STDMETHODCALLTYPE EndPass() override { return record("EndPass"); }
    HRESULT STDMETHODCALLTYPE End() override { return record("End"); }
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9 **) override { return E_NOTIMPL; }

private:
    HRESULT record(std::string call) {
        _calls.push_back(std::move(call));
        return S_OK;
    }

    std::vector<std::string> &_calls;
};

// A pass whose effect is the given one (it takes over one reference).
class GPUVideoRenderWithEffect : public GPUVideoRender {
public:
    GPUVideoRenderWithEffect(IDirect3DDevice9 *device, ID3DXEffect *effect)
        : GPUVideoRender(device, L"") {
        _pEffect = effect;
    }
};
