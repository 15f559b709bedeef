// The effect framework's state table: what each state operation of a pass or a sampler
// sets on the device.
#pragma once

#include "Win32Types.h"

namespace software::d3d {

enum class FxStateKind { RenderState, VertexShader, PixelShader, Texture, SamplerState, Ignored };

struct FxStateTarget {
    FxStateKind kind;
    DWORD number; // the D3DRS_ or D3DSAMP_ value
};

FxStateTarget fxStateTarget(DWORD operation);

} // namespace software::d3d
