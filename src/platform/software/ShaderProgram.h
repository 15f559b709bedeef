// A vs_2_0 or ps_2_0 shader decoded once from its bytecode into a compact program for the
// interpreter: every register the shader names gets a slot, instructions refer to slots,
// swizzles and masks are unpacked, and the constant table (CTAB) is read for the effect
// runtime.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Win32Types.h"

namespace software::d3d {

enum class ShaderKind { Vertex, Pixel };

// Register types as the bytecode numbers them.
enum class RegisterFile : uint8_t {
    Temp = 0,
    Input = 1,
    Const = 2,
    Texture = 3, // pixel shader texture coordinate input
    RastOut = 4, // vertex shader position (index 0)
    AttrOut = 5, // vertex shader colour output
    TexCrdOut = 6,
    ColorOut = 8,
    DepthOut = 9,
    Sampler = 10,
};

struct RegisterName {
    RegisterFile file;
    uint16_t index;
    bool operator==(const RegisterName &other) const {
        return file == other.file && index == other.index;
    }
};

enum class Opcode : uint8_t {
    Mov,
    Add,
    Sub,
    Mad,
    Mul,
    Rcp,
    Rsq,
    Dp3,
    Dp4,
    Min,
    Max,
    Slt,
    Sge,
    Frc,
    Lrp,
    Cmp,
    Abs,
    Texld,
    Texldp,
};

enum class SourceModifier : uint8_t { None, Negate, Abs, AbsNegate };

struct Source {
    uint16_t slot = 0;
    uint8_t swizzle[4] = {0, 1, 2, 3};
    SourceModifier modifier = SourceModifier::None;
};

struct Destination {
    uint16_t slot = 0;
    uint8_t mask = 0xF;
    bool saturate = false;
};

struct Instruction {
    Opcode op;
    Destination dst;
    Source src[3];
    uint8_t sourceCount = 0;
    uint8_t sampler = 0;  // texld: the sampler register
    bool aliased = false; // a source is the destination register
};

// A dcl of an input register: vertex shader inputs carry the usage they fetch, pixel shader
// inputs (t#, v#) the vertex shader output they receive.
struct InputDeclaration {
    uint16_t slot;
    RegisterName reg;
    BYTE usage;
    BYTE usageIndex;
    uint8_t mask; // the components declared
};

struct Literal {
    uint16_t slot;
    float value[4];
};

struct ConstantBinding {
    uint16_t slot;
    uint16_t index; // c# filled from the device's constants
};

// One entry of the shader's constant table.
struct ConstantTableEntry {
    std::string name;
    uint16_t registerSet; // 0 bool, 1 int4, 2 float4, 3 sampler
    uint16_t registerIndex;
    uint16_t registerCount;
};

struct ShaderProgram {
    ShaderKind kind = ShaderKind::Pixel;
    std::vector<DWORD> tokens; // the bytecode, end token included
    std::vector<RegisterName> slots;
    std::vector<Instruction> code;
    std::vector<InputDeclaration> inputs;
    std::vector<Literal> literals;
    std::vector<ConstantBinding> constants;
    std::vector<uint8_t> samplers; // declared sampler registers
    std::vector<ConstantTableEntry> constantTable;

    // The slot of a register, or -1 when the shader does not name it.
    int slotOf(RegisterName reg) const;
};

// Decodes at most `maxTokens` tokens of bytecode. On failure returns false and says why.
bool decodeShader(const DWORD *tokens, size_t maxTokens, ShaderKind kind, ShaderProgram &program,
                  std::string &error);

// Drops the writes no output depends on: instructions whose results are never read lose
// those components of their write mask, or go entirely.
void removeDeadWrites(ShaderProgram &program);

// Reads a CTAB comment (the words after 'CTAB'). Returns false when it is malformed.
bool readConstantTable(const uint8_t *data, size_t size, std::vector<ConstantTableEntry> &table);

} // namespace software::d3d
