// The compiled effect format (fx_2_0) read into plain structures. Every offset, size,
// count and object id in the file is checked before it is used: a damaged or hostile file
// is refused with a reason, never read out of bounds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Win32Types.h"

namespace software::d3d {

// Parameter types and classes as the format numbers them (D3DXPARAMETER_TYPE/_CLASS).
enum FxType : DWORD {
    kFxVoid = 0,
    kFxBool = 1,
    kFxInt = 2,
    kFxFloat = 3,
    kFxString = 4,
    kFxTexture = 5,
    kFxTextureCube = 9,
    kFxSampler = 10,
    kFxSamplerCube = 14,
    kFxPixelShader = 15,
    kFxVertexShader = 16,
};

enum FxClass : DWORD {
    kFxScalar = 0,
    kFxVector = 1,
    kFxMatrixRows = 2,
    kFxMatrixColumns = 3,
    kFxObject = 4,
};

struct FxValueType {
    DWORD type = kFxVoid;
    DWORD cls = kFxScalar;
    std::string name;
    DWORD rows = 0;
    DWORD columns = 0;
    DWORD elements = 0; // 0: not an array
};

bool isNumeric(const FxValueType &type);
bool isTexture(const FxValueType &type);
bool isSampler(const FxValueType &type);

// A state of a pass or a sampler: `operation` is its position in the effect framework's
// state table.
struct FxState {
    DWORD operation = 0;
    DWORD index = 0;
    FxValueType type;
    std::vector<DWORD> value;  // raw words: numbers or object ids
    std::string parameterName; // a resource naming the parameter the state uses
    std::vector<DWORD> shader; // a resource holding the state's shader bytecode
};

struct FxParameter {
    FxValueType type;
    std::vector<DWORD> value;           // numbers or object ids
    std::vector<FxState> samplerStates; // for samplers
};

struct FxPass {
    std::string name;
    std::vector<FxState> states;
};

struct FxTechnique {
    std::string name;
    std::vector<FxPass> passes;
};

struct FxFile {
    std::vector<FxParameter> parameters;
    std::vector<FxTechnique> techniques;
};

bool parseEffectFile(const uint8_t *data, size_t size, FxFile &effect, std::string &error);

} // namespace software::d3d
