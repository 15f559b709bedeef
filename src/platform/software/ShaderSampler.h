// Texture sampling for the shader interpreter: point or bilinear filtering of level 0 with
// Direct3D 9's addressing modes (wrap, mirror, clamp, border), for a block of coordinates.
#pragma once

#include "D3D9.h"
#include "D3D9Surface.h"

namespace software::d3d {

// A sampler register as a draw sees it: the texture bound to it and its states.
struct TextureSampler {
    const SurfaceMemory *texture = nullptr; // level 0; null samples (0, 0, 0, 1)
    DWORD addressU = D3DTADDRESS_WRAP;
    DWORD addressV = D3DTADDRESS_WRAP;
    bool linear = false;
    float border[4] = {0, 0, 0, 0}; // r, g, b, a
};

// The most coordinates one call samples.
constexpr int kSampleLanes = 64;

// Samples `lanes` (at most kSampleLanes) coordinates (u[i], v[i]) into out[0..3][i] (r, g, b, a).
// Only the components in `mask` (bit 0 red .. bit 3 alpha) need to be written.
void sampleTexture(const TextureSampler &sampler, const float *u, const float *v, int lanes,
                   float *const out[4], uint8_t mask = 0xF);

} // namespace software::d3d
