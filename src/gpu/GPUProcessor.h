// GPUProcessor: an effect file and a full-screen quad, and the one operation of running
// the effect's technique over that quad into whatever render target 0 is.
//
// The quad covers the whole render target in clip space (x, y from -1 to 1, z = 1), with
// texture coordinates 0 to 1 and v = 0 along the top edge; the vertices carry no
// half-texel offset, so any texel alignment is the effect's business.
//
// Host's thread only, like the device it draws with.
#pragma once

#include <string>

#include "Platform.h"

class GPUProcessor {
public:
    // Loads effectFile (an empty path means no effect) and builds the quad. When the
    // effect does not load, a "Fx Compile Error" box shows the loader's message and the
    // processor carries on without an effect. Without a vertex declaration or a filled
    // vertex buffer there is nothing to draw with, so the processor drops its effect too.
    // A null device gives a processor that makes no call at all.
    GPUProcessor(IDirect3DDevice9 *_pDevice, std::wstring effectFile);
    virtual ~GPUProcessor();

    GPUProcessor(const GPUProcessor &) = delete;
    GPUProcessor &operator=(const GPUProcessor &) = delete;

    // Runs technique "ycbcr2rgb" over the quad, once per pass, into render target 0 with no
    // depth-stencil surface bound; the host's depth-stencil surface is put back afterwards.
    // Draws nothing and touches no device state when there is no effect.
    void drawQuad();

protected:
    IDirect3DDevice9 *_pDevice;      // borrowed, never released here
    ID3DXEffect *_pEffect = nullptr; // null when there is no usable effect
    IDirect3DVertexBuffer9 *_pVertexBuffer = nullptr;
    IDirect3DVertexDeclaration9 *_pVertexDecl = nullptr;

private:
    void loadEffect(const std::wstring &effectFile);
    bool createQuad();
};
