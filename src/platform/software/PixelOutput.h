// The last stage of a draw: alpha test, depth and stencil tests, blending and the colour
// write mask, applied to a block of shaded pixels of one row and written to the render
// target and the depth-stencil surface.
#pragma once

#include "D3D9.h"
#include "D3D9Surface.h"

namespace software::d3d {

// The render states of the output stage, read once per draw.
struct OutputState {
    DWORD colorWriteMask = 0xF;
    bool alphaTest = false;
    DWORD alphaFunc = D3DCMP_ALWAYS;
    DWORD alphaRef = 0;
    bool blend = false;
    DWORD srcBlend = D3DBLEND_ONE;
    DWORD destBlend = D3DBLEND_ZERO;
    DWORD blendOp = D3DBLENDOP_ADD;
    bool depthTest = false;
    bool depthWrite = false;
    DWORD depthFunc = D3DCMP_LESSEQUAL;
    bool stencil = false;
    DWORD stencilFunc = D3DCMP_ALWAYS;
    DWORD stencilRef = 0;
    DWORD stencilMask = 0xFFFFFFFF;
    DWORD stencilWriteMask = 0xFFFFFFFF;
    DWORD stencilFail = 1; // D3DSTENCILOP_KEEP
    DWORD stencilDepthFail = 1;
    DWORD stencilPass = 1;

    // Reads the states from a device's render-state array; depth and stencil only apply
    // when there is a depth-stencil surface.
    static OutputState fromRenderStates(const DWORD *renderStates, const SurfaceMemory *depth);
};

// The most pixels one ShadedRow carries.
constexpr int kMaxRowPixels = 64;

// A run of shaded pixels of one row: lanes 0..count-1 are pixels x0, x0+1, ... of row y.
struct ShadedRow {
    UINT y;
    UINT x0;
    int count;
    const float *color[4]; // r, g, b, a per lane
    const float *depth;    // per lane
    const bool *visible;   // per lane, or null when all are (depth outside 0..1 is clipped)
};

void writePixels(const OutputState &state, const ShadedRow &row, SurfaceMemory &target,
                 SurfaceMemory *depthStencil);

// Depth-stencil words: depth in the upper 24 bits, stencil in the low 8 (D24S8), or 16-bit
// depth (D16).
uint32_t packDepth(float depth, D3DFORMAT format);
bool compare(DWORD func, uint32_t value, uint32_t reference);

} // namespace software::d3d
