#include "D3D9Texture.h"

#include <algorithm>

namespace software::d3d {
namespace {

UINT fullChainLength(UINT width, UINT height) {
    UINT levels = 1;
    for (UINT size = std::max(width, height); size > 1; size /= 2)
        ++levels;
    return levels;
}

bool isTextureFormat(D3DFORMAT format) {
    return format == D3DFMT_L8 || format == D3DFMT_A8 || format == D3DFMT_A8R8G8B8 ||
           format == D3DFMT_X8R8G8B8;
}

bool isRenderTargetFormat(D3DFORMAT format) {
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8;
}

} // namespace

HRESULT SoftwareTexture::create(IDirect3DDevice9 *device, UINT width, UINT height, UINT levels,
                                DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                IDirect3DTexture9 **ppTexture) {
    if (!ppTexture)
        return D3DERR_INVALIDCALL;
    *ppTexture = nullptr;
    HRESULT injected;
    if (injectedFailure(SoftwareD3D9Call::CreateTexture, &injected))
        return injected;
    if (width == 0 || height == 0 || width > 16384 || height > 16384)
        return D3DERR_INVALIDCALL;
    if (pool > D3DPOOL_SCRATCH)
        return D3DERR_INVALIDCALL;
    if (!isTextureFormat(format))
        return D3DERR_NOTAVAILABLE;
    bool renderTarget = (usage & D3DUSAGE_RENDERTARGET) != 0;
    if (renderTarget && pool != D3DPOOL_DEFAULT)
        return D3DERR_INVALIDCALL;
    if (renderTarget && !isRenderTargetFormat(format))
        return D3DERR_NOTAVAILABLE;
    if ((usage & D3DUSAGE_DEPTHSTENCIL) != 0)
        return D3DERR_NOTAVAILABLE;
    if ((usage & D3DUSAGE_DYNAMIC) != 0 && pool == D3DPOOL_MANAGED)
        return D3DERR_INVALIDCALL;
    UINT chain = fullChainLength(width, height);
    if (levels == 0)
        levels = chain;
    if (levels > chain)
        return D3DERR_INVALIDCALL;
    *ppTexture = new SoftwareTexture(device, width, height, levels, usage, format, pool);
    return D3D_OK;
}

SoftwareTexture::SoftwareTexture(IDirect3DDevice9 *device, UINT width, UINT height, UINT levels,
                                 DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : ComObject(device), _device(device) {
    // A default-pool texture lives in video memory: only a dynamic one can be locked.
    bool lockable = pool != D3DPOOL_DEFAULT || (usage & D3DUSAGE_DYNAMIC) != 0;
    for (UINT i = 0; i < levels; ++i) {
        D3DSURFACE_DESC desc = {format,
                                D3DRTYPE_SURFACE,
                                usage,
                                pool,
                                D3DMULTISAMPLE_NONE,
                                0,
                                std::max(1u, width >> i),
                                std::max(1u, height >> i)};
        _levels.push_back(std::make_unique<SoftwareSurface>(device, SoftwareSurface::Owner::Texture,
                                                            this, desc, lockable));
    }
}

HRESULT SoftwareTexture::GetDevice(IDirect3DDevice9 **ppDevice) {
    return handOutDevice(_device, ppDevice);
}

HRESULT SoftwareTexture::GetLevelDesc(UINT Level, D3DSURFACE_DESC *pDesc) {
    if (Level >= _levels.size())
        return D3DERR_INVALIDCALL;
    return _levels[Level]->GetDesc(pDesc);
}

HRESULT SoftwareTexture::GetSurfaceLevel(UINT Level, IDirect3DSurface9 **ppSurfaceLevel) {
    if (!ppSurfaceLevel)
        return D3DERR_INVALIDCALL;
    *ppSurfaceLevel = nullptr;
    HRESULT injected;
    if (injectedFailure(SoftwareD3D9Call::GetSurfaceLevel, &injected))
        return injected;
    if (Level >= _levels.size())
        return D3DERR_INVALIDCALL;
    _levels[Level]->AddRef();
    *ppSurfaceLevel = _levels[Level].get();
    return D3D_OK;
}

HRESULT SoftwareTexture::LockRect(UINT Level, D3DLOCKED_RECT *pLockedRect, const RECT *pRect,
                                  DWORD Flags) {
    if (Level >= _levels.size())
        return D3DERR_INVALIDCALL;
    return _levels[Level]->LockRect(pLockedRect, pRect, Flags);
}

HRESULT SoftwareTexture::UnlockRect(UINT Level) {
    if (Level >= _levels.size())
        return D3DERR_INVALIDCALL;
    return _levels[Level]->UnlockRect();
}

SoftwareTexture *softwareTexture(IDirect3DBaseTexture9 *texture) {
    return static_cast<SoftwareTexture *>(texture);
}

} // namespace software::d3d
