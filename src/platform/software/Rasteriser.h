// Triangle rasterisation: the covered pixels of a triangle in screen space, with Direct3D
// 9's rules (pixel centres on integer coordinates, top-left fill convention, 8 bits of
// sub-pixel precision), shaded in blocks by the pixel shader with perspective-correct
// interpolation of its inputs, then passed to the output stage.
#pragma once

#include <vector>

#include "PixelOutput.h"
#include "ShaderMachine.h"

namespace software::d3d {

constexpr int kMaxVaryings = 10;

// A vertex after the vertex shader: its clip-space position and the outputs the pixel
// shader reads (varyings, four components each).
struct ClipVertex {
    float position[4];
    float varyings[kMaxVaryings][4];
};

// A pixel shader input and the varying it receives.
struct PixelInputBinding {
    uint16_t slot;
    int varying;
    uint8_t mask; // the components the shader declared
};

// Everything a draw fixes for its triangles.
struct PixelStage {
    ShaderMachine *machine = nullptr;
    const TextureSampler *samplers = nullptr; // 16 entries
    std::vector<PixelInputBinding> inputs;
    int colorSlot = -1; // oC0
    int depthSlot = -1; // oDepth
    OutputState output;
    SurfaceMemory *target = nullptr;
    SurfaceMemory *depthStencil = nullptr;
    D3DVIEWPORT9 viewport{};
    DWORD cullMode = D3DCULL_CCW;
};

void drawTriangle(PixelStage &stage, const ClipVertex &a, const ClipVertex &b, const ClipVertex &c);

} // namespace software::d3d
