#include "gpu/GPUProcessor.h"

#include <cstring>

#include "gpu/EffectMessage.h"

namespace {

struct QuadVertex {
    float x, y, z;
    float u, v;
};
static_assert(sizeof(QuadVertex) == 20, "the vertex layout is 20 bytes");

// A triangle strip of two triangles covering the render target; v = 0 along the top.
const QuadVertex kQuad[4] = {
    {-1.0f, -1.0f, 1.0f, 0.0f, 1.0f},
    {1.0f, -1.0f, 1.0f, 1.0f, 1.0f},
    {-1.0f, 1.0f, 1.0f, 0.0f, 0.0f},
    {1.0f, 1.0f, 1.0f, 1.0f, 0.0f},
};

const D3DVERTEXELEMENT9 kQuadLayout[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    D3DDECL_END(),
};

const char kTechnique[] = "ycbcr2rgb";

template <class T> void releaseAndClear(T *&object) {
    if (!object) {
        return;
    }
    object->Release();
    object = nullptr;
}

} // namespace

GPUProcessor::GPUProcessor(IDirect3DDevice9 *pDevice, std::wstring effectFile) : _pDevice(pDevice) {
    if (!_pDevice) {
        return;
    }
    if (!effectFile.empty()) {
        loadEffect(effectFile);
    }
    if (!createQuad()) {
        releaseAndClear(_pEffect);
    }
}

GPUProcessor::~GPUProcessor() {
    releaseAndClear(_pEffect);
    releaseAndClear(_pVertexDecl);
    releaseAndClear(_pVertexBuffer);
}

void GPUProcessor::loadEffect(const std::wstring &effectFile) {
    ID3DXBuffer *errors = nullptr;
    HRESULT hr = D3DXCreateEffectFromFileW(_pDevice, effectFile.c_str(), nullptr, nullptr, 0,
                                           nullptr, &_pEffect, &errors);
    if (FAILED(hr)) {
        releaseAndClear(_pEffect);
        std::wstring text = effectLoadMessage(errors, effectFile, hr);
        MessageBoxW(nullptr, text.c_str(), L"Fx Compile Error", MB_OK | MB_ICONWARNING);
    }
    releaseAndClear(errors);
}

// The vertex declaration and the 80-byte vertex buffer holding the quad. False when either
// is missing or the quad could not be written into the buffer.
bool GPUProcessor::createQuad() {
    _pDevice->CreateVertexDeclaration(kQuadLayout, &_pVertexDecl);
    _pDevice->CreateVertexBuffer(sizeof(kQuad), D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0,
                                 D3DPOOL_DEFAULT, &_pVertexBuffer, nullptr);
    if (!_pVertexDecl || !_pVertexBuffer) {
        return false;
    }
    void *data = nullptr;
    if (FAILED(_pVertexBuffer->Lock(0, 0, &data, D3DLOCK_DISCARD)) || !data) {
        return false;
    }
    std::memcpy(data, kQuad, sizeof(kQuad));
    _pVertexBuffer->Unlock();
    return true;
}

void GPUProcessor::drawQuad() {
    if (!_pEffect) {
        return;
    }
    // The quad must not be depth- or stencil-tested against the host's scene, and the
    // destination may differ in size from the host's depth-stencil surface.
    IDirect3DSurface9 *savedDepthStencil = nullptr;
    _pDevice->GetDepthStencilSurface(&savedDepthStencil);
    _pDevice->SetDepthStencilSurface(nullptr);

    _pDevice->SetVertexDeclaration(_pVertexDecl);
    _pEffect->SetTechnique(kTechnique);
    UINT passes = 0;
    // Flags 0: the effect saves the state its passes change and End restores it. Any
    // result but S_OK (even a success code) means the passes are not to be run.
    if (_pEffect->Begin(&passes, 0) == S_OK) {
        for (UINT i = 0; i < passes; ++i) {
            _pEffect->BeginPass(i);
            _pDevice->SetStreamSource(0, _pVertexBuffer, 0, sizeof(QuadVertex));
            _pDevice->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
            _pEffect->EndPass();
        }
        _pEffect->End();
    }

    _pDevice->SetDepthStencilSurface(savedDepthStencil);
    if (savedDepthStencil) {
        savedDepthStencil->Release();
    }
}
