#include "VideoTextures.h"

#include <cstring>

#include "VideoFrame.h"
#include "core/Trace.h"

namespace {

const char *const kSource = "TheoraVideo";

void createTexture(IDirect3DDevice9 *device, UINT width, UINT height, DWORD usage, D3DFORMAT format,
                   D3DPOOL pool, IDirect3DTexture9 **texture, int line, const char *callText) {
    HRESULT hr = device->CreateTexture(width, height, 1, usage, format, pool, texture, 0);
    if (FAILED(hr)) {
        traceFailure(hr, kSource, line, callText);
        *texture = nullptr;
    }
}

// Where a plane's upload is written to the log when its lock or unlock fails.
struct PlaneTrace {
    int lockLine;
    const char *lockText;
    int unlockLine;
    const char *unlockText;
};

const PlaneTrace kPlaneTraces[3] = {
    {315, "_pMovieYTex->LockRect(0, &tex, 0, 0)", 322, "_pMovieYTex->UnlockRect(0)"},
    {324, "_pMovieCbTex->LockRect(0, &tex, 0, 0)", 330, "_pMovieCbTex->UnlockRect(0)"},
    {332, "_pMovieCrTex->LockRect(0, &tex, 0, 0)", 338, "_pMovieCrTex->UnlockRect(0)"},
};

// Texture rows are `Pitch` bytes apart and plane rows `stride` bytes apart, and the two
// differ in general, so each row is copied on its own.
void uploadPlane(IDirect3DTexture9 *texture, const th_img_plane &plane, const PlaneTrace &trace) {
    if (texture == nullptr)
        return;
    D3DLOCKED_RECT tex;
    HRESULT hr = texture->LockRect(0, &tex, 0, 0);
    if (FAILED(hr)) {
        traceFailure(hr, kSource, trace.lockLine, trace.lockText);
        return;
    }
    auto *rows = static_cast<unsigned char *>(tex.pBits);
    for (int i = 0; i < plane.height; ++i)
        std::memcpy(rows + static_cast<ptrdiff_t>(i) * tex.Pitch,
                    plane.data + static_cast<ptrdiff_t>(i) * plane.stride, plane.width);
    hr = texture->UnlockRect(0);
    if (FAILED(hr))
        traceFailure(hr, kSource, trace.unlockLine, trace.unlockText);
}

// The pointer is cleared whatever count Release returns: this object's reference is gone,
// and a second Release through it would take someone else's.
void releaseTexture(IDirect3DTexture9 *&texture) {
    if (texture != nullptr)
        texture->Release();
    texture = nullptr;
}

} // namespace

void VideoTextures::create(IDirect3DDevice9 *device, int width, int height,
                           th_pixel_fmt pixelFormat) {
    const int deciX = pixelFormat == TH_PF_444 ? 1 : 2;
    const int deciY = pixelFormat == TH_PF_420 ? 2 : 1;
    const UINT w = static_cast<UINT>(width);
    const UINT h = static_cast<UINT>(height);
    const UINT cw = static_cast<UINT>(width / deciX);
    const UINT ch = static_cast<UINT>(height / deciY);
    createTexture(device, w, h, 0, D3DFMT_L8, D3DPOOL_MANAGED, &_pMovieYTex, 162,
                  "_pDevice->CreateTexture(_width, _height, 1, 0, D3DFMT_L8, D3DPOOL_MANAGED, "
                  "&_pMovieYTex, 0)");
    createTexture(device, cw, ch, 0, D3DFMT_L8, D3DPOOL_MANAGED, &_pMovieCbTex, 163,
                  "_pDevice->CreateTexture(_width/deciX, _height/deciY, 1, 0, D3DFMT_L8, "
                  "D3DPOOL_MANAGED, &_pMovieCbTex, 0)");
    createTexture(device, cw, ch, 0, D3DFMT_L8, D3DPOOL_MANAGED, &_pMovieCrTex, 164,
                  "_pDevice->CreateTexture(_width/deciX, _height/deciY, 1, 0, D3DFMT_L8, "
                  "D3DPOOL_MANAGED, &_pMovieCrTex, 0)");
    createTexture(device, w, h, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                  &_pMovieTex, 165,
                  "_pDevice->CreateTexture(_width, _height, 1, (0x00000001L), D3DFMT_A8R8G8B8, "
                  "D3DPOOL_DEFAULT, &_pMovieTex, 0)");
}

void VideoTextures::upload(const VideoFrame &frame) {
    IDirect3DTexture9 *const planes[3] = {_pMovieYTex, _pMovieCbTex, _pMovieCrTex};
    for (int i = 0; i < 3; ++i)
        uploadPlane(planes[i], frame.planes[i], kPlaneTraces[i]);
}

bool VideoTextures::complete() const {
    return _pMovieYTex && _pMovieCbTex && _pMovieCrTex && _pMovieTex;
}

void VideoTextures::release() {
    releaseTexture(_pMovieYTex);
    releaseTexture(_pMovieCbTex);
    releaseTexture(_pMovieCrTex);
    releaseTexture(_pMovieTex);
}
