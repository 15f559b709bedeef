// GPUVideoRender: the Y'CbCr-to-RGB pass of a Theora video object. It feeds the three
// plane textures and the frame size to the effect and draws the quad into the RGB
// destination texture, leaving the host's render target 0 and depth-stencil surface as
// they were.
//
//     GPUVideoRender gpuRender(device, L"ycbcr2rgb.fxo");   // once per video object
//     gpuRender._width = 640.0f;                             // when a file is opened
//     gpuRender._height = 480.0f;
//     gpuRender.render(texY, texCb, texCr, rgbTexture);     // once per shown frame
//
// The effect gets "g_texY", "g_texCb", "g_texCr" (the planes, any sizes: each is sampled
// over 0 to 1) and "width", "height" (the frame size in pixels). The destination must be a
// render-target texture; level 0 is drawn. Failures are written to the log only.
//
// Host's thread only, inside the host's BeginScene/EndScene.
#pragma once

#include <string>

#include "gpu/GPUProcessor.h"

class GPUVideoRender : public GPUProcessor {
public:
    // effectFile is "ycbcr2rgb.fxo" for the library, found in the current directory.
    GPUVideoRender(IDirect3DDevice9 *_pDevice, std::wstring effectFile);

    // Sets the frame size that the effect receives; the same as writing the two members.
    void setSize(int width, int height);

    // Converts one frame from the three plane textures into level 0 of destTex. Without
    // an effect, a destination surface, or when the destination cannot be made render
    // target 0, nothing is drawn and destTex keeps its content.
    void render(IDirect3DTexture9 *texY, IDirect3DTexture9 *texCb, IDirect3DTexture9 *texCr,
                IDirect3DTexture9 *destTex);

    float _width;  // frame width in pixels, set before the first render
    float _height; // frame height in pixels, set before the first render

private:
    bool targetDestination(IDirect3DSurface9 *destSurf, IDirect3DTexture9 *texY,
                           IDirect3DTexture9 *texCb, IDirect3DTexture9 *texCr);
};
