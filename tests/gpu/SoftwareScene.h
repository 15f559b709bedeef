// A host's side of the GPU pass on the software device: the device with its back buffer,
// plane textures filled from byte planes, the RGB destination, and read-back of surfaces.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Platform.h"
#include "quenvo_software.h"
#include "software/D3D9Hooks.h"

// The folder of the built effect and its variants, as a wide path to a file in it.
std::wstring effectPath(const char *fileName);

// One 8-bit plane, row-major, width * height bytes.
struct Plane {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bytes;

    uint8_t at(int x, int y) const { return bytes[size_t(y) * size_t(width) + size_t(x)]; }
};

// A8R8G8B8 pixels read back from a surface, row-major.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> argb;

    uint32_t at(int x, int y) const { return argb[size_t(y) * size_t(width) + size_t(x)]; }
};

// Releases a COM pointer at the end of a scope.
template <class T> class ComRef {
public:
    ComRef() = default;
    explicit ComRef(T *object) : _object(object) {}
    ~ComRef() { reset(); }
    ComRef(const ComRef &) = delete;
    ComRef &operator=(const ComRef &) = delete;

    T *get() const { return _object; }
    T *operator->() const { return _object; }
    T **out() {
        reset();
        return &_object;
    }
    void reset() {
        if (_object) {
            _object->Release();
        }
        _object = nullptr;
    }

private:
    T *_object = nullptr;
};

// A software device of the given size, as a host would have it.
class SoftwareScene {
public:
    SoftwareScene(int width, int height, bool depthStencil = true);
    ~SoftwareScene();
    SoftwareScene(const SoftwareScene &) = delete;
    SoftwareScene &operator=(const SoftwareScene &) = delete;

    IDirect3DDevice9 *device() const { return _device; }

    // A managed D3DFMT_L8 texture holding the plane.
    IDirect3DTexture9 *planeTexture(const Plane &plane);
    // A default-pool A8R8G8B8 render-target texture, cleared to `fill`.
    IDirect3DTexture9 *rgbTarget(int width, int height, D3DCOLOR fill);

    Pixels readTexture(IDirect3DTexture9 *texture);
    Pixels readSurface(IDirect3DSurface9 *surface);
    Pixels readBackBuffer();

private:
    IDirect3DDevice9 *_device;
};

// Fills a surface with one colour by making it render target 0 and clearing it; the
// device's previous render target 0 is put back.
void clearSurface(IDirect3DDevice9 *device, IDirect3DSurface9 *surface, D3DCOLOR colour);
