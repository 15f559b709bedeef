#include "Readback.h"

#include <cstring>

#include "Released.h"

ArgbImage readSurface(IDirect3DDevice9 *device, IDirect3DSurface9 *surface) {
    ArgbImage image;
    D3DSURFACE_DESC desc;
    if (FAILED(surface->GetDesc(&desc)))
        return image;
    if (desc.Format != D3DFMT_A8R8G8B8 && desc.Format != D3DFMT_X8R8G8B8)
        return image;

    Released<IDirect3DSurface9> copy;
    if (FAILED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format,
                                                   D3DPOOL_SYSTEMMEM, &copy.pointer, nullptr)))
        return image;
    if (FAILED(device->GetRenderTargetData(surface, copy.pointer)))
        return image;
    D3DLOCKED_RECT locked;
    if (FAILED(copy.pointer->LockRect(&locked, nullptr, D3DLOCK_READONLY)))
        return image;

    image.width = desc.Width;
    image.height = desc.Height;
    image.pixels.resize(size_t(desc.Width) * desc.Height);
    for (UINT y = 0; y < desc.Height; ++y)
        std::memcpy(&image.pixels[size_t(y) * desc.Width],
                    static_cast<const char *>(locked.pBits) + size_t(y) * locked.Pitch,
                    desc.Width * 4);
    copy.pointer->UnlockRect();
    return image;
}

ArgbImage readTexture(IDirect3DDevice9 *device, IDirect3DTexture9 *texture) {
    Released<IDirect3DSurface9> level;
    if (!texture || FAILED(texture->GetSurfaceLevel(0, &level.pointer)))
        return ArgbImage();
    return readSurface(device, level.pointer);
}

ArgbImage readRenderTarget(IDirect3DDevice9 *device) {
    Released<IDirect3DSurface9> target;
    if (FAILED(device->GetRenderTarget(0, &target.pointer)))
        return ArgbImage();
    return readSurface(device, target.pointer);
}
