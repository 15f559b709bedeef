#include "gpu/GPUVideoRender.h"

#include <utility>

#include "core/Trace.h"

namespace {

const char kSource[] = "GPUVideoRender";

// Release results are reference counts, but a failing object may hand back an error code:
// it is negative read as a signed 32-bit number.
void releaseChecked(IDirect3DSurface9 *surface, int line, const char *callText) {
    auto result = static_cast<int32_t>(surface->Release());
    if (result < 0) {
        traceFailure(result, kSource, line, callText);
    }
}

} // namespace

GPUVideoRender::GPUVideoRender(IDirect3DDevice9 *pDevice, std::wstring effectFile)
    : GPUProcessor(pDevice, std::move(effectFile)), _width(0.0f), _height(0.0f) {}

void GPUVideoRender::setSize(int width, int height) {
    _width = static_cast<float>(width);
    _height = static_cast<float>(height);
}

void GPUVideoRender::render(IDirect3DTexture9 *texY, IDirect3DTexture9 *texCb,
                            IDirect3DTexture9 *texCr, IDirect3DTexture9 *destTex) {
    if (!_pDevice) {
        return;
    }
    IDirect3DSurface9 *oldRT = nullptr;
    _pDevice->GetRenderTarget(0, &oldRT);

    IDirect3DSurface9 *destSurf = nullptr;
    if (destTex) {
        HRESULT hr = destTex->GetSurfaceLevel(0, &destSurf);
        if (FAILED(hr)) {
            traceFailure(hr, kSource, 22, "destTex->GetSurfaceLevel(0, &destSurf)");
            destSurf = nullptr;
        }
    }
    // Without a destination there is nothing to draw into; drawing anyway would paint the
    // host's own render target.
    if (destSurf) {
        if (targetDestination(destSurf, texY, texCb, texCr)) {
            drawQuad();
        }
        releaseChecked(destSurf, 30, "destSurf->Release()");
    }

    if (oldRT) {
        _pDevice->SetRenderTarget(0, oldRT);
        releaseChecked(oldRT, 32, "oldRT->Release()");
    }
}

// Hands the inputs to the effect and makes destSurf render target 0. False when there is
// no effect or the device refused the surface as a render target.
bool GPUVideoRender::targetDestination(IDirect3DSurface9 *destSurf, IDirect3DTexture9 *texY,
                                       IDirect3DTexture9 *texCb, IDirect3DTexture9 *texCr) {
    if (!_pEffect) {
        return false;
    }
    _pEffect->SetTexture("g_texY", texY);
    _pEffect->SetTexture("g_texCb", texCb);
    _pEffect->SetTexture("g_texCr", texCr);
    _pEffect->SetFloat("width", _width);
    _pEffect->SetFloat("height", _height);
    return SUCCEEDED(_pDevice->SetRenderTarget(0, destSurf));
}
