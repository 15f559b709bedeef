// Reads a render-target texture back into host memory the Direct3D 9 way: its top level
// copied with GetRenderTargetData into a system-memory surface, which is then locked.
#pragma once

#include "ComRef.h"
#include "Image.h"
#include "quenvo_software.h"

class TextureReadback {
public:
    explicit TextureReadback(IDirect3DDevice9 *device) : _device(device) {}

    // Copies `texture` (A8R8G8B8) into `image`, resizing it to the texture. The staging
    // surface is made once and kept while the size stays the same. False when a
    // Direct3D call fails; `image` is then unchanged.
    bool read(IDirect3DTexture9 *texture, Image &image);

private:
    bool ensureStaging(UINT width, UINT height);

    IDirect3DDevice9 *_device;
    ComRef<IDirect3DSurface9> _staging;
    UINT _width = 0;
    UINT _height = 0;
};
