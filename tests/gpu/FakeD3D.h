// Test doubles for the calls whose results the software device never gets wrong: a
// surface whose Release hands back a chosen value, a texture that lends such a surface,
// and a device that records the calls the pass makes and lends such a surface as its
// render target 0. Creation calls of the fake device fail, so a pass built on it has no
// effect and no quad.
#pragma once

#include <string>
#include <vector>

#include "Platform.h"

class FakeSurface : public IDirect3DSurface9 {
public:
    // Release returns this value instead of a reference count.
    ULONG releaseResult = 0;
    int releases = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void **) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override {
        ++releases;
        return releaseResult;
    }
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9 **) override { return E_NOTIMPL; }
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_SURFACE; }
    HRESULT STDMETHODCALLTYPE GetDesc(D3DSURFACE_DESC *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockRect(D3DLOCKED_RECT *, const RECT *, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE UnlockRect() override { return E_NOTIMPL; }
};

class FakeTexture : public IDirect3DTexture9 {
public:
    FakeSurface level;
    HRESULT getSurfaceLevelResult = S_OK;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void **) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9 **) override { return E_NOTIMPL; }
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD STDMETHODCALLTYPE GetLevelCount() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT, D3DSURFACE_DESC *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSurfaceLevel(UINT, IDirect3DSurface9 **surface) override {
        if (FAILED(getSurfaceLevelResult)) {
            return getSurfaceLevelResult;
        }
        *surface = &level;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE LockRect(UINT, D3DLOCKED_RECT *, const RECT *, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE UnlockRect(UINT) override { return E_NOTIMPL; }
};

class FakeDevice : public IDirect3DDevice9 {
public:
    FakeSurface renderTarget;
    FakeSurface depthStencil; // lent only when hasDepthStencil
    bool hasDepthStencil = false;
    // "GetRenderTarget", "SetRenderTarget(rt)", "SetRenderTarget(other)", ...
    std::vector<std::string> calls;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void **) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Present(const RECT *, const RECT *, HWND, const RGNDATA *) override {
        return record("Present");
    }
    HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT, UINT, D3DBACKBUFFER_TYPE,
                                            IDirect3DSurface9 **) override {
        return record("GetBackBuffer", E_NOTIMPL);
    }
    HRESULT STDMETHODCALLTYPE CreateTexture(UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL,
                                            IDirect3DTexture9 **, HANDLE *) override {
        return record("CreateTexture", E_OUTOFMEMORY);
    }
    HRESULT STDMETHODCALLTYPE CreateVertexBuffer(UINT, DWORD, DWORD, D3DPOOL,
                                                 IDirect3DVertexBuffer9 **, HANDLE *) override {
        return record("CreateVertexBuffer", E_OUTOFMEMORY);
    }
    HRESULT STDMETHODCALLTYPE CreateOffscreenPlainSurface(UINT, UINT, D3DFORMAT, D3DPOOL,
                                                          IDirect3DSurface9 **, HANDLE *) override {
        return record("CreateOffscreenPlainSurface", E_OUTOFMEMORY);
    }
    HRESULT STDMETHODCALLTYPE GetRenderTargetData(IDirect3DSurface9 *,
                                                  IDirect3DSurface9 *) override {
        return record("GetRenderTargetData", E_NOTIMPL);
    }
    HRESULT STDMETHODCALLTYPE SetRenderTarget(DWORD index, IDirect3DSurface9 *surface) override {
        return record("SetRenderTarget(" + std::to_string(index) + ", " +
                      (surface == &renderTarget ? "rt" : "other") + ")");
    }
    HRESULT STDMETHODCALLTYPE GetRenderTarget(DWORD, IDirect3DSurface9 **surface) override {
        *surface = &renderTarget;
        return record("GetRenderTarget");
    }
    HRESULT STDMETHODCALLTYPE SetDepthStencilSurface(IDirect3DSurface9 *surface) override {
        return record(std::string("SetDepthStencilSurface(") +
                      (surface == &depthStencil ? "ds"
                       : surface                ? "other"
                                                : "null") +
                      ")");
    }
    HRESULT STDMETHODCALLTYPE GetDepthStencilSurface(IDirect3DSurface9 **surface) override {
        *surface = hasDepthStencil ? &depthStencil : nullptr;
        return record("GetDepthStencilSurface", hasDepthStencil ? S_OK : D3DERR_NOTFOUND);
    }
    HRESULT STDMETHODCALLTYPE BeginScene() override { return record("BeginScene"); }
    HRESULT STDMETHODCALLTYPE EndScene() override { return record("EndScene"); }
    HRESULT STDMETHODCALLTYPE Clear(DWORD, const D3DRECT *, DWORD, D3DCOLOR, float,
                                    DWORD) override {
        return record("Clear");
    }
    HRESULT STDMETHODCALLTYPE SetViewport(const D3DVIEWPORT9 *) override {
        return record("SetViewport");
    }
    HRESULT STDMETHODCALLTYPE GetViewport(D3DVIEWPORT9 *) override { return record("GetViewport"); }
    HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE, DWORD) override {
        return record("SetRenderState");
    }
    HRESULT STDMETHODCALLTYPE GetRenderState(D3DRENDERSTATETYPE, DWORD *) override {
        return record("GetRenderState");
    }
    HRESULT STDMETHODCALLTYPE GetTexture(DWORD, IDirect3DBaseTexture9 **) override {
        return record("GetTexture");
    }
    HRESULT STDMETHODCALLTYPE SetTexture(DWORD, IDirect3DBaseTexture9 *) override {
        return record("SetTexture");
    }
    HRESULT STDMETHODCALLTYPE GetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD *) override {
        return record("GetSamplerState");
    }
    HRESULT STDMETHODCALLTYPE SetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD) override {
        return record("SetSamplerState");
    }
    HRESULT STDMETHODCALLTYPE DrawPrimitive(D3DPRIMITIVETYPE type, UINT start,
                                            UINT count) override {
        return record("DrawPrimitive(" + std::to_string(type) + ", " + std::to_string(start) +
                      ", " + std::to_string(count) + ")");
    }
    HRESULT STDMETHODCALLTYPE CreateVertexDeclaration(const D3DVERTEXELEMENT9 *,
                                                      IDirect3DVertexDeclaration9 **) override {
        return record("CreateVertexDeclaration", E_OUTOFMEMORY);
    }
    HRESULT STDMETHODCALLTYPE SetVertexDeclaration(IDirect3DVertexDeclaration9 *) override {
        return record("SetVertexDeclaration");
    }
    HRESULT STDMETHODCALLTYPE GetVertexDeclaration(IDirect3DVertexDeclaration9 **) override {
        return record("GetVertexDeclaration");
    }
    HRESULT STDMETHODCALLTYPE CreateVertexShader(const DWORD *,
                                                 IDirect3DVertexShader9 **) override {
        return record("CreateVertexShader", E_OUTOFMEMORY);
    }
    HRESULT STDMETHODCALLTYPE SetVertexShader(IDirect3DVertexShader9 *) override {
        return record("SetVertexShader");
    }
    HRESULT STDMETHODCALLTYPE GetVertexShader(IDirect3DVertexShader9 **) override {
        return record("GetVertexShader");
    }
    HRESULT STDMETHODCALLTYPE SetVertexShaderConstantF(UINT, const float *, UINT) override {
        return record("SetVertexShaderConstantF");
    }
    HRESULT STDMETHODCALLTYPE GetVertexShaderConstantF(UINT, float *, UINT) override {
        return record("GetVertexShaderConstantF");
    }
    HRESULT STDMETHODCALLTYPE SetStreamSource(UINT stream, IDirect3DVertexBuffer9 *, UINT offset,
                                              UINT stride) override {
        return record("SetStreamSource(" + std::to_string(stream) + ", " + std::to_string(offset) +
                      ", " + std::to_string(stride) + ")");
    }
    HRESULT STDMETHODCALLTYPE GetStreamSource(UINT, IDirect3DVertexBuffer9 **, UINT *,
                                              UINT *) override {
        return record("GetStreamSource");
    }
    HRESULT STDMETHODCALLTYPE CreatePixelShader(const DWORD *, IDirect3DPixelShader9 **) override {
        return record("CreatePixelShader", E_OUTOFMEMORY);
    }
    HRESULT STDMETHODCALLTYPE SetPixelShader(IDirect3DPixelShader9 *) override {
        return record("SetPixelShader");
    }
    HRESULT STDMETHODCALLTYPE GetPixelShader(IDirect3DPixelShader9 **) override {
        return record("GetPixelShader");
    }
    HRESULT STDMETHODCALLTYPE SetPixelShaderConstantF(UINT, const float *, UINT) override {
        return record("SetPixelShaderConstantF");
    }
    HRESULT STDMETHODCALLTYPE GetPixelShaderConstantF(UINT, float *, UINT) override {
        return record("GetPixelShaderConstantF");
    }

private:
    HRESULT record(std::string call, HRESULT result = S_OK) {
        calls.push_back(std::move(call));
        return result;
    }
};
