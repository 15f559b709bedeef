#include "SoftwareScene.h"

#include <cstring>
#include <stdexcept>

std::wstring effectPath(const char *fileName) {
    std::string path = std::string(QNV_EFFECT_DIR) + "/" + fileName;
    return std::wstring(path.begin(), path.end());
}

SoftwareScene::SoftwareScene(int width, int height, bool depthStencil)
    : _device(CreateSoftwareDevice9(UINT(width), UINT(height), depthStencil ? TRUE : FALSE)) {
    if (!_device) {
        throw std::runtime_error("no software device");
    }
}

SoftwareScene::~SoftwareScene() {
    _device->Release();
}

IDirect3DTexture9 *SoftwareScene::planeTexture(const Plane &plane) {
    IDirect3DTexture9 *texture = nullptr;
    if (FAILED(_device->CreateTexture(UINT(plane.width), UINT(plane.height), 1, 0, D3DFMT_L8,
                                      D3DPOOL_MANAGED, &texture, nullptr))) {
        throw std::runtime_error("CreateTexture of a plane failed");
    }
    D3DLOCKED_RECT rect;
    if (FAILED(texture->LockRect(0, &rect, nullptr, 0))) {
        texture->Release();
        throw std::runtime_error("LockRect of a plane failed");
    }
    for (int y = 0; y < plane.height; ++y) {
        std::memcpy(static_cast<uint8_t *>(rect.pBits) + y * rect.Pitch,
                    &plane.bytes[size_t(y) * size_t(plane.width)], size_t(plane.width));
    }
    texture->UnlockRect(0);
    return texture;
}

IDirect3DTexture9 *SoftwareScene::rgbTarget(int width, int height, D3DCOLOR fill) {
    IDirect3DTexture9 *texture = nullptr;
    if (FAILED(_device->CreateTexture(UINT(width), UINT(height), 1, D3DUSAGE_RENDERTARGET,
                                      D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &texture, nullptr))) {
        throw std::runtime_error("CreateTexture of a render target failed");
    }
    ComRef<IDirect3DSurface9> level;
    texture->GetSurfaceLevel(0, level.out());
    clearSurface(_device, level.get(), fill);
    return texture;
}

Pixels SoftwareScene::readTexture(IDirect3DTexture9 *texture) {
    ComRef<IDirect3DSurface9> level;
    if (FAILED(texture->GetSurfaceLevel(0, level.out()))) {
        throw std::runtime_error("GetSurfaceLevel failed");
    }
    return readSurface(level.get());
}

Pixels SoftwareScene::readSurface(IDirect3DSurface9 *surface) {
    D3DSURFACE_DESC desc;
    surface->GetDesc(&desc);
    ComRef<IDirect3DSurface9> copy;
    if (FAILED(_device->CreateOffscreenPlainSurface(desc.Width, desc.Height, D3DFMT_A8R8G8B8,
                                                    D3DPOOL_SYSTEMMEM, copy.out(), nullptr)) ||
        FAILED(_device->GetRenderTargetData(surface, copy.get()))) {
        throw std::runtime_error("reading a render target back failed");
    }
    D3DLOCKED_RECT rect;
    if (FAILED(copy->LockRect(&rect, nullptr, D3DLOCK_READONLY))) {
        throw std::runtime_error("LockRect of the copy failed");
    }
    Pixels pixels;
    pixels.width = int(desc.Width);
    pixels.height = int(desc.Height);
    pixels.argb.resize(size_t(desc.Width) * desc.Height);
    for (UINT y = 0; y < desc.Height; ++y) {
        std::memcpy(&pixels.argb[size_t(y) * desc.Width],
                    static_cast<const uint8_t *>(rect.pBits) + y * rect.Pitch, desc.Width * 4);
    }
    copy->UnlockRect();
    return pixels;
}

Pixels SoftwareScene::readBackBuffer() {
    ComRef<IDirect3DSurface9> backBuffer;
    _device->GetRenderTarget(0, backBuffer.out());
    return readSurface(backBuffer.get());
}

void clearSurface(IDirect3DDevice9 *device, IDirect3DSurface9 *surface, D3DCOLOR colour) {
    ComRef<IDirect3DSurface9> previous;
    device->GetRenderTarget(0, previous.out());
    device->SetRenderTarget(0, surface);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0);
    device->SetRenderTarget(0, previous.get());
}
