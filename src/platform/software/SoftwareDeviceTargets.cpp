// Render targets, the depth-stencil surface, the viewport, Clear, off-screen surfaces and
// the copy of a render target into system memory.
#include <algorithm>
#include <cstring>

#include "PixelOutput.h"
#include "SoftwareDevice.h"

namespace software::d3d {

HRESULT SoftwareDevice::GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE,
                                      IDirect3DSurface9 **ppBackBuffer) {
    if (!ppBackBuffer)
        return D3DERR_INVALIDCALL;
    *ppBackBuffer = nullptr;
    if (iSwapChain != 0 || iBackBuffer != 0)
        return D3DERR_INVALIDCALL;
    _backBuffer->AddRef();
    *ppBackBuffer = _backBuffer.get();
    return D3D_OK;
}

HRESULT SoftwareDevice::CreateOffscreenPlainSurface(UINT Width, UINT Height, D3DFORMAT Format,
                                                    D3DPOOL Pool, IDirect3DSurface9 **ppSurface,
                                                    HANDLE *pSharedHandle) {
    if (!ppSurface)
        return D3DERR_INVALIDCALL;
    *ppSurface = nullptr;
    if (pSharedHandle || Width == 0 || Height == 0 || Width > 16384 || Height > 16384 ||
        Pool == D3DPOOL_MANAGED || Pool > D3DPOOL_SCRATCH)
        return D3DERR_INVALIDCALL;
    if (bytesPerPixel(Format) == 0 || isDepthFormat(Format))
        return D3DERR_NOTAVAILABLE;
    D3DSURFACE_DESC desc = {Format, D3DRTYPE_SURFACE, 0, Pool, D3DMULTISAMPLE_NONE, 0, Width,
                            Height};
    // Off-screen plain surfaces can always be locked, whatever their pool.
    *ppSurface = new SoftwareSurface(this, SoftwareSurface::Owner::Standalone, nullptr, desc, true);
    return D3D_OK;
}

HRESULT SoftwareDevice::GetRenderTargetData(IDirect3DSurface9 *pRenderTarget,
                                            IDirect3DSurface9 *pDestSurface) {
    SoftwareSurface *source = softwareSurface(pRenderTarget);
    SoftwareSurface *dest = softwareSurface(pDestSurface);
    if (!source || !dest || source == dest)
        return D3DERR_INVALIDCALL;
    const D3DSURFACE_DESC &from = source->desc();
    const D3DSURFACE_DESC &to = dest->desc();
    if (!source->isRenderTarget() || to.Pool != D3DPOOL_SYSTEMMEM || from.Width != to.Width ||
        from.Height != to.Height || from.Format != to.Format)
        return D3DERR_INVALIDCALL;
    size_t rowBytes = size_t(from.Width) * bytesPerPixel(from.Format);
    for (UINT y = 0; y < from.Height; ++y)
        std::memcpy(dest->memory().row(y), source->memory().row(y), rowBytes);
    return D3D_OK;
}

HRESULT SoftwareDevice::SetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9 *pRenderTarget) {
    // One render target: this device reports a single simultaneous target.
    SoftwareSurface *surface = softwareSurface(pRenderTarget);
    if (RenderTargetIndex != 0 || !surface || !surface->isRenderTarget())
        return D3DERR_INVALIDCALL;
    _renderTarget.reset(surface);
    // Setting render target 0 makes the viewport cover the whole new target.
    _viewport = {0, 0, surface->desc().Width, surface->desc().Height, 0.0f, 1.0f};
    return D3D_OK;
}

HRESULT SoftwareDevice::GetRenderTarget(DWORD RenderTargetIndex,
                                        IDirect3DSurface9 **ppRenderTarget) {
    if (!ppRenderTarget)
        return D3DERR_INVALIDCALL;
    *ppRenderTarget = nullptr;
    if (RenderTargetIndex >= 4)
        return D3DERR_INVALIDCALL;
    if (RenderTargetIndex != 0 || !_renderTarget)
        return D3DERR_NOTFOUND;
    _renderTarget.get()->AddRef();
    *ppRenderTarget = _renderTarget.get();
    return D3D_OK;
}

HRESULT SoftwareDevice::SetDepthStencilSurface(IDirect3DSurface9 *pNewZStencil) {
    SoftwareSurface *surface = softwareSurface(pNewZStencil);
    if (surface && !surface->isDepthStencil())
        return D3DERR_INVALIDCALL;
    _depthStencil.reset(surface);
    return D3D_OK;
}

HRESULT SoftwareDevice::GetDepthStencilSurface(IDirect3DSurface9 **ppZStencilSurface) {
    if (!ppZStencilSurface)
        return D3DERR_INVALIDCALL;
    *ppZStencilSurface = nullptr;
    if (!_depthStencil)
        return D3DERR_NOTFOUND;
    _depthStencil.get()->AddRef();
    *ppZStencilSurface = _depthStencil.get();
    return D3D_OK;
}

HRESULT SoftwareDevice::SetViewport(const D3DVIEWPORT9 *pViewport) {
    if (!pViewport || !_renderTarget)
        return D3DERR_INVALIDCALL;
    const D3DSURFACE_DESC &target = _renderTarget.get()->desc();
    const D3DVIEWPORT9 &vp = *pViewport;
    if (vp.Width == 0 || vp.Height == 0 || vp.X >= target.Width || vp.Y >= target.Height ||
        vp.Width > target.Width - vp.X || vp.Height > target.Height - vp.Y)
        return D3DERR_INVALIDCALL;
    if (!(vp.MinZ >= 0.0f && vp.MaxZ <= 1.0f && vp.MinZ <= vp.MaxZ))
        return D3DERR_INVALIDCALL;
    _viewport = vp;
    return D3D_OK;
}

HRESULT SoftwareDevice::GetViewport(D3DVIEWPORT9 *pViewport) {
    if (!pViewport)
        return D3DERR_INVALIDCALL;
    *pViewport = _viewport;
    return D3D_OK;
}

namespace {

// One rectangle of a Clear, already inside the viewport.
struct ClearRect {
    UINT left, top, right, bottom;
};

void fillRect(SurfaceMemory &memory, const ClearRect &rect, uint32_t value, uint32_t keepMask) {
    UINT bytes = bytesPerPixel(memory.format());
    for (UINT y = rect.top; y < rect.bottom; ++y) {
        uint8_t *p = memory.row(y) + size_t(rect.left) * bytes;
        for (UINT x = rect.left; x < rect.right; ++x, p += bytes) {
            uint32_t old = 0;
            std::memcpy(&old, p, bytes);
            uint32_t next = (old & keepMask) | (value & ~keepMask);
            std::memcpy(p, &next, bytes);
        }
    }
}

} // namespace

HRESULT SoftwareDevice::Clear(DWORD Count, const D3DRECT *pRects, DWORD Flags, D3DCOLOR Color,
                              float Z, DWORD Stencil) {
    if ((Count != 0 && !pRects) || (Flags & 0x7) == 0)
        return D3DERR_INVALIDCALL;
    SoftwareSurface *depth = _depthStencil.get();
    if ((Flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) != 0 && !depth)
        return D3DERR_INVALIDCALL;
    if ((Flags & D3DCLEAR_STENCIL) != 0 && depth->desc().Format != D3DFMT_D24S8)
        return D3DERR_INVALIDCALL;

    const ClearRect viewport = {_viewport.X, _viewport.Y, _viewport.X + _viewport.Width,
                                _viewport.Y + _viewport.Height};
    std::vector<ClearRect> rects;
    if (Count == 0)
        rects.push_back(viewport);
    for (DWORD i = 0; i < Count; ++i) {
        const D3DRECT &r = pRects[i];
        ClearRect rect = {UINT(std::max<LONG>(r.x1, LONG(viewport.left))),
                          UINT(std::max<LONG>(r.y1, LONG(viewport.top))),
                          UINT(std::min<LONG>(std::max<LONG>(r.x2, 0), LONG(viewport.right))),
                          UINT(std::min<LONG>(std::max<LONG>(r.y2, 0), LONG(viewport.bottom)))};
        if (rect.left < rect.right && rect.top < rect.bottom)
            rects.push_back(rect);
    }
    for (const ClearRect &rect : rects) {
        if ((Flags & D3DCLEAR_TARGET) != 0)
            fillRect(_renderTarget.get()->memory(), rect, Color, 0);
        if ((Flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) == 0)
            continue;
        SurfaceMemory &memory = depth->memory();
        // A depth surface smaller than the target is cleared where it exists.
        ClearRect inside = {rect.left, rect.top, std::min(rect.right, memory.width()),
                            std::min(rect.bottom, memory.height())};
        if (inside.left >= inside.right || inside.top >= inside.bottom)
            continue;
        uint32_t value = packDepth(Z, memory.format()) | (Stencil & 0xFF);
        uint32_t keep = 0;
        if ((Flags & D3DCLEAR_ZBUFFER) == 0)
            keep |= ~0xFFu;
        if ((Flags & D3DCLEAR_STENCIL) == 0 && memory.format() == D3DFMT_D24S8)
            keep |= 0xFFu;
        if (memory.format() == D3DFMT_D16)
            value = packDepth(Z, D3DFMT_D16);
        fillRect(memory, inside, value, keep);
    }
    return D3D_OK;
}

} // namespace software::d3d
