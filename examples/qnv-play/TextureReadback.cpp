#include "TextureReadback.h"

#include <cstring>

bool TextureReadback::ensureStaging(UINT width, UINT height) {
    if (_staging && width == _width && height == _height) {
        return true;
    }
    _width = width;
    _height = height;
    return _device->CreateOffscreenPlainSurface(width, height, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                _staging.out(), 0) >= 0;
}

bool TextureReadback::read(IDirect3DTexture9 *texture, Image &image) {
    if (texture == nullptr) {
        return false;
    }
    D3DSURFACE_DESC desc;
    if (texture->GetLevelDesc(0, &desc) < 0 || desc.Format != D3DFMT_A8R8G8B8 ||
        !ensureStaging(desc.Width, desc.Height)) {
        return false;
    }
    ComRef<IDirect3DSurface9> level;
    if (texture->GetSurfaceLevel(0, level.out()) < 0 ||
        _device->GetRenderTargetData(level.get(), _staging.get()) < 0) {
        return false;
    }
    D3DLOCKED_RECT locked;
    if (_staging->LockRect(&locked, nullptr, D3DLOCK_READONLY) < 0) {
        return false;
    }
    if (image.width != static_cast<int>(desc.Width) ||
        image.height != static_cast<int>(desc.Height)) {
        image = Image(static_cast<int>(desc.Width), static_cast<int>(desc.Height));
    }
    // The surface's rows are Pitch bytes apart, which may be wider than a row.
    const auto *source = static_cast<const uint8_t *>(locked.pBits);
    for (int y = 0; y < image.height; ++y) {
        std::memcpy(image.pixel(0, y), source + static_cast<size_t>(y) * locked.Pitch,
                    static_cast<size_t>(image.pitch()));
    }
    _staging->UnlockRect();
    return true;
}
