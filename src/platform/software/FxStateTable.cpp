#include "FxStateTable.h"

#include <iterator>

namespace software::d3d {
namespace {

// Operations 0x00 to 0x66 are render states, in this order of D3DRS_ values.
constexpr DWORD kRenderStates[] = {
    7,   8,   9,   14,  15,  16,  19,  20,  22,  23,  24,  25,  26,  27,  28,  29,  // 0x00
    34,  35,  36,  37,  38,  48,  52,  53,  54,  55,  56,  57,  58,  59,  60,  128, // 0x10
    129, 130, 131, 132, 133, 134, 135, 198, 199, 200, 201, 202, 203, 204, 205, 136, // 0x20
    137, 139, 140, 141, 142, 143, 145, 146, 147, 148, 151, 152, 154, 155, 166, 156, // 0x30
    157, 158, 159, 160, 161, 162, 163, 165, 167, 168, 170, 171, 172, 173, 174, 175, // 0x40
    176, 178, 179, 180, 181, 182, 183, 184, 185, 186, 187, 188, 189, 190, 191, 192, // 0x50
    193, 194, 195, 206, 207, 208, 209,                                              // 0x60
};

constexpr DWORD kVertexShaderOperation = 0x92;
constexpr DWORD kPixelShaderOperation = 0x93;
constexpr DWORD kTextureOperation = 0xA4;
constexpr DWORD kFirstSamplerState = 0xA5; // D3DSAMP_ADDRESSU
constexpr DWORD kLastSamplerState = 0xB1;  // D3DSAMP_DMAPOFFSET

} // namespace

FxStateTarget fxStateTarget(DWORD operation) {
    if (operation < std::size(kRenderStates))
        return {FxStateKind::RenderState, kRenderStates[operation]};
    if (operation == kVertexShaderOperation)
        return {FxStateKind::VertexShader, 0};
    if (operation == kPixelShaderOperation)
        return {FxStateKind::PixelShader, 0};
    if (operation == kTextureOperation)
        return {FxStateKind::Texture, 0};
    if (operation >= kFirstSamplerState && operation <= kLastSamplerState)
        return {FxStateKind::SamplerState, operation - kFirstSamplerState + 1};
    // Texture stages, transforms, lights, materials and shader constants: this runtime
    // has no fixed-function pipeline to give them to.
    return {FxStateKind::Ignored, 0};
}

} // namespace software::d3d
