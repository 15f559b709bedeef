// 2D textures of the software device: a chain of levels, each a surface that shares the
// texture's references.
#pragma once

#include <memory>
#include <vector>

#include "D3D9.h"
#include "D3D9Surface.h"

namespace software::d3d {

class SoftwareTexture final : public ComObject<IDirect3DTexture9> {
public:
    // Checks the arguments of CreateTexture the way Direct3D 9 does and makes the texture.
    static HRESULT create(IDirect3DDevice9 *device, UINT width, UINT height, UINT levels,
                          DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture9 **ppTexture);

    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9 **ppDevice) override;
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD STDMETHODCALLTYPE GetLevelCount() override { return DWORD(_levels.size()); }
    HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT Level, D3DSURFACE_DESC *pDesc) override;
    HRESULT STDMETHODCALLTYPE GetSurfaceLevel(UINT Level,
                                              IDirect3DSurface9 **ppSurfaceLevel) override;
    HRESULT STDMETHODCALLTYPE LockRect(UINT Level, D3DLOCKED_RECT *pLockedRect, const RECT *pRect,
                                       DWORD Flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect(UINT Level) override;

    SoftwareSurface &level(UINT index) { return *_levels[index]; }

private:
    SoftwareTexture(IDirect3DDevice9 *device, UINT width, UINT height, UINT levels, DWORD usage,
                    D3DFORMAT format, D3DPOOL pool);

    IDirect3DDevice9 *_device;
    std::vector<std::unique_ptr<SoftwareSurface>> _levels;
};

// The software texture behind a base-texture pointer of this platform, or null.
SoftwareTexture *softwareTexture(IDirect3DBaseTexture9 *texture);

} // namespace software::d3d
