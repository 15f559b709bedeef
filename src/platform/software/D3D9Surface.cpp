#include "D3D9Surface.h"

namespace software::d3d {

UINT bytesPerPixel(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_L8:
    case D3DFMT_A8:
        return 1;
    case D3DFMT_D16:
        return 2;
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_D24S8:
    case D3DFMT_D24X8:
        return 4;
    default:
        return 0;
    }
}

bool isDepthFormat(D3DFORMAT format) {
    return format == D3DFMT_D24S8 || format == D3DFMT_D24X8 || format == D3DFMT_D16;
}

namespace {

// Rows are padded past the next 16-byte boundary, so code that assumes pitch == width
// writes visibly wrong pictures.
UINT paddedPitch(UINT width, D3DFORMAT format) {
    UINT rowBytes = width * bytesPerPixel(format);
    return ((rowBytes + 15u) & ~15u) + 16u;
}

} // namespace

SurfaceMemory::SurfaceMemory(UINT width, UINT height, D3DFORMAT format)
    : _width(width), _height(height), _format(format), _pitch(paddedPitch(width, format)),
      _bytes(size_t(_pitch) * height, 0) {}

SoftwareSurface::SoftwareSurface(IDirect3DDevice9 *device, Owner ownerKind, ObjectLifetime *owner,
                                 const D3DSURFACE_DESC &desc, bool lockable)
    : ComObject(ownerKind == Owner::Standalone ? device : nullptr), _device(device),
      _ownerKind(ownerKind), _owner(owner), _desc(desc), _lockable(lockable),
      _memory(desc.Width, desc.Height, desc.Format) {}

ULONG SoftwareSurface::AddRef() {
    return _ownerKind == Owner::Standalone ? addRef() : _owner->addRef();
}

ULONG SoftwareSurface::Release() {
    return _ownerKind == Owner::Standalone ? release() : _owner->release();
}

void SoftwareSurface::bind() {
    if (_ownerKind == Owner::Standalone)
        ObjectLifetime::bind();
    else if (_ownerKind == Owner::Texture)
        _owner->bind();
    // The device's own surfaces live as long as the device.
}

void SoftwareSurface::unbind() {
    if (_ownerKind == Owner::Standalone)
        ObjectLifetime::unbind();
    else if (_ownerKind == Owner::Texture)
        _owner->unbind();
}

HRESULT SoftwareSurface::GetDevice(IDirect3DDevice9 **ppDevice) {
    return handOutDevice(_device, ppDevice);
}

HRESULT SoftwareSurface::GetDesc(D3DSURFACE_DESC *pDesc) {
    if (!pDesc)
        return D3DERR_INVALIDCALL;
    *pDesc = _desc;
    return D3D_OK;
}

HRESULT SoftwareSurface::LockRect(D3DLOCKED_RECT *pLockedRect, const RECT *pRect, DWORD) {
    HRESULT injected;
    if (injectedFailure(SoftwareD3D9Call::LockRect, &injected))
        return injected;
    if (!pLockedRect || !_lockable || _locked)
        return D3DERR_INVALIDCALL;
    RECT whole = {0, 0, LONG(_desc.Width), LONG(_desc.Height)};
    const RECT &rect = pRect ? *pRect : whole;
    if (rect.left < 0 || rect.top < 0 || rect.left >= rect.right || rect.top >= rect.bottom ||
        rect.right > whole.right || rect.bottom > whole.bottom)
        return D3DERR_INVALIDCALL;
    _locked = true;
    pLockedRect->Pitch = INT(_memory.pitch());
    pLockedRect->pBits =
        _memory.row(UINT(rect.top)) + size_t(rect.left) * bytesPerPixel(_desc.Format);
    return D3D_OK;
}

HRESULT SoftwareSurface::UnlockRect() {
    if (!_locked)
        return D3DERR_INVALIDCALL;
    _locked = false;
    return D3D_OK;
}

SoftwareSurface *softwareSurface(IDirect3DSurface9 *surface) {
    return static_cast<SoftwareSurface *>(surface);
}

} // namespace software::d3d
