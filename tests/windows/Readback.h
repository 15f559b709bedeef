// Reading a render target back the Direct3D 9 way: GetRenderTargetData into a
// system-memory surface of the same size and format, then LockRect.
#pragma once

#include <cstdint>
#include <vector>

#include <d3d9.h>

struct ArgbImage {
    UINT width = 0;
    UINT height = 0;
    std::vector<uint32_t> pixels; // rows of `width` A8R8G8B8 (or X8R8G8B8) pixels

    bool empty() const { return pixels.empty(); }
    uint32_t at(UINT x, UINT y) const { return pixels[size_t(y) * width + x]; }
    // The bytes of the image, rows `pitch()` bytes apart, as the frame pattern reads them.
    const void *rows() const { return pixels.data(); }
    int pitch() const { return int(width * 4); }
};

// Level 0 of a render-target texture; empty when any step fails.
ArgbImage readTexture(IDirect3DDevice9 *device, IDirect3DTexture9 *texture);

// A render-target surface (for example the back buffer); empty when any step fails.
ArgbImage readSurface(IDirect3DDevice9 *device, IDirect3DSurface9 *surface);

// The device's current render target 0.
ArgbImage readRenderTarget(IDirect3DDevice9 *device);

inline int red(uint32_t argb) {
    return int(argb >> 16 & 0xFF);
}
inline int green(uint32_t argb) {
    return int(argb >> 8 & 0xFF);
}
inline int blue(uint32_t argb) {
    return int(argb & 0xFF);
}
