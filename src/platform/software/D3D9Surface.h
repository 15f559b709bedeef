// Surfaces of the software device: pixel memory with a row pitch wider than the row, and
// the IDirect3DSurface9 over it. A surface is a level of a texture (its references are
// the texture's), a surface of the device itself (back buffer, automatic depth-stencil;
// its references are the device's), or a standalone surface with its own count.
#pragma once

#include <cstdint>
#include <vector>

#include "D3D9.h"
#include "D3D9Object.h"

namespace software::d3d {

// Bytes per pixel of the formats the device stores; 0 for the others.
UINT bytesPerPixel(D3DFORMAT format);
bool isDepthFormat(D3DFORMAT format);

class SurfaceMemory {
public:
    SurfaceMemory(UINT width, UINT height, D3DFORMAT format);
    UINT width() const { return _width; }
    UINT height() const { return _height; }
    D3DFORMAT format() const { return _format; }
    UINT pitch() const { return _pitch; }
    uint8_t *row(UINT y) { return _bytes.data() + size_t(y) * _pitch; }
    const uint8_t *row(UINT y) const { return _bytes.data() + size_t(y) * _pitch; }

private:
    UINT _width;
    UINT _height;
    D3DFORMAT _format;
    UINT _pitch;
    std::vector<uint8_t> _bytes;
};

class SoftwareSurface final : public ComObject<IDirect3DSurface9> {
public:
    enum class Owner { Standalone, Texture, Device };

    // `owner` is the texture or device whose references the surface shares (null when
    // standalone). A standalone surface holds a reference to `device` while referenced.
    SoftwareSurface(IDirect3DDevice9 *device, Owner ownerKind, ObjectLifetime *owner,
                    const D3DSURFACE_DESC &desc, bool lockable);

    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    void bind() override;
    void unbind() override;

    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9 **ppDevice) override;
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_SURFACE; }
    HRESULT STDMETHODCALLTYPE GetDesc(D3DSURFACE_DESC *pDesc) override;
    HRESULT STDMETHODCALLTYPE LockRect(D3DLOCKED_RECT *pLockedRect, const RECT *pRect,
                                       DWORD Flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect() override;

    const D3DSURFACE_DESC &desc() const { return _desc; }
    SurfaceMemory &memory() { return _memory; }
    bool isRenderTarget() const { return (_desc.Usage & D3DUSAGE_RENDERTARGET) != 0; }
    bool isDepthStencil() const { return (_desc.Usage & D3DUSAGE_DEPTHSTENCIL) != 0; }

private:
    IDirect3DDevice9 *_device;
    Owner _ownerKind;
    ObjectLifetime *_owner;
    D3DSURFACE_DESC _desc;
    bool _lockable;
    bool _locked = false;
    SurfaceMemory _memory;
};

// The software surface behind an interface pointer of this platform.
SoftwareSurface *softwareSurface(IDirect3DSurface9 *surface);

} // namespace software::d3d
