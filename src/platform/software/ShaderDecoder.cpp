#include <cstring>

#include "ShaderProgram.h"

namespace software::d3d {
namespace {

constexpr DWORD kEndToken = 0x0000FFFF;
constexpr DWORD kCommentOpcode = 0xFFFE;
constexpr DWORD kDclOpcode = 0x1F;
constexpr DWORD kDefOpcode = 0x51;
constexpr DWORD kNopOpcode = 0;
constexpr DWORD kTexldOpcode = 0x42;
constexpr DWORD kCtabTag = 0x42415443; // 'CTAB'

struct OpcodeInfo {
    DWORD code;
    Opcode op;
    uint8_t sources;
};

constexpr OpcodeInfo kOpcodes[] = {
    {0x01, Opcode::Mov, 1}, {0x02, Opcode::Add, 2}, {0x03, Opcode::Sub, 2}, {0x04, Opcode::Mad, 3},
    {0x05, Opcode::Mul, 2}, {0x06, Opcode::Rcp, 1}, {0x07, Opcode::Rsq, 1}, {0x08, Opcode::Dp3, 2},
    {0x09, Opcode::Dp4, 2}, {0x0A, Opcode::Min, 2}, {0x0B, Opcode::Max, 2}, {0x0C, Opcode::Slt, 2},
    {0x0D, Opcode::Sge, 2}, {0x12, Opcode::Lrp, 3}, {0x13, Opcode::Frc, 1}, {0x23, Opcode::Abs, 1},
    {0x58, Opcode::Cmp, 3},
};

// How many registers of each file a shader may name.
uint16_t registerLimit(RegisterFile file) {
    switch (file) {
    case RegisterFile::Temp:
        return 32;
    case RegisterFile::Input:
        return 16;
    case RegisterFile::Const:
        return 256;
    case RegisterFile::Texture:
    case RegisterFile::TexCrdOut:
        return 8;
    case RegisterFile::RastOut:
        return 3;
    case RegisterFile::AttrOut:
        return 2;
    case RegisterFile::ColorOut:
        return 4;
    case RegisterFile::DepthOut:
        return 1;
    case RegisterFile::Sampler:
        return 16;
    }
    return 0;
}

bool isKnownFile(DWORD type) {
    return type <= 6 || type == 8 || type == 9 || type == 10;
}

class Decoder {
public:
    Decoder(const DWORD *tokens, size_t count, ShaderKind kind, ShaderProgram &program,
            std::string &error)
        : _tokens(tokens), _count(count), _kind(kind), _program(program), _error(error) {}

    bool run() {
        if (_count < 2)
            return fail("the bytecode is shorter than a version and an end token");
        DWORD expected = _kind == ShaderKind::Vertex ? 0xFFFE0000u : 0xFFFF0000u;
        DWORD version = _tokens[0];
        if ((version & 0xFFFF0000u) != expected || ((version >> 8) & 0xFF) != 2)
            return fail("only vs_2_0 and ps_2_0 shaders are supported");
        _program.kind = _kind;
        size_t i = 1;
        while (i < _count) {
            DWORD token = _tokens[i];
            if (token == kEndToken) {
                _program.tokens.assign(_tokens, _tokens + i + 1);
                removeDeadWrites(_program);
                return true;
            }
            size_t length =
                (token & 0xFFFF) == kCommentOpcode ? (token >> 16) & 0x7FFF : (token >> 24) & 0xF;
            if (length > _count - i - 1)
                return fail("an instruction runs past the end of the bytecode");
            if (!instruction(token, _tokens + i + 1, length))
                return false;
            i += 1 + length;
        }
        return fail("the bytecode has no end token");
    }

private:
    bool fail(const char *why) {
        _error = why;
        return false;
    }

    bool instruction(DWORD token, const DWORD *params, size_t length) {
        DWORD opcode = token & 0xFFFF;
        if (opcode == kCommentOpcode)
            return comment(params, length);
        if ((token & 0x10000000u) != 0)
            return fail("predicated instructions are not supported");
        if (opcode == kNopOpcode)
            return true;
        if (opcode == kDclOpcode)
            return declaration(params, length);
        if (opcode == kDefOpcode)
            return definition(params, length);
        if (opcode == kTexldOpcode)
            return texld(token, params, length);
        for (const OpcodeInfo &info : kOpcodes) {
            if (info.code == opcode)
                return arithmetic(info, params, length);
        }
        return fail("the shader uses an instruction the interpreter does not know");
    }

    bool comment(const DWORD *params, size_t length) {
        if (length == 0 || params[0] != kCtabTag)
            return true;
        const uint8_t *data = reinterpret_cast<const uint8_t *>(params + 1);
        if (!readConstantTable(data, (length - 1) * 4, _program.constantTable))
            return fail("the constant table is malformed");
        return true;
    }

    bool registerOf(DWORD token, RegisterName &reg) {
        if ((token & 0x80000000u) == 0)
            return fail("a register token lacks its marker bit");
        if ((token & 0x2000u) != 0)
            return fail("relative addressing is not supported");
        DWORD type = ((token >> 28) & 0x7) | ((token >> 8) & 0x18);
        if (!isKnownFile(type))
            return fail("the shader names an unsupported register type");
        reg = {RegisterFile(type), uint16_t(token & 0x7FF)};
        if (reg.index >= registerLimit(reg.file))
            return fail("a register number is out of range");
        return true;
    }

    uint16_t slotFor(RegisterName reg) {
        int slot = _program.slotOf(reg);
        if (slot >= 0)
            return uint16_t(slot);
        _program.slots.push_back(reg);
        return uint16_t(_program.slots.size() - 1);
    }

    bool isWritable(RegisterFile file) const {
        if (file == RegisterFile::Temp)
            return true;
        if (_kind == ShaderKind::Vertex)
            return file == RegisterFile::RastOut || file == RegisterFile::AttrOut ||
                   file == RegisterFile::TexCrdOut;
        return file == RegisterFile::ColorOut || file == RegisterFile::DepthOut;
    }

    bool isReadable(RegisterFile file) const {
        if (file == RegisterFile::Temp || file == RegisterFile::Input ||
            file == RegisterFile::Const)
            return true;
        return _kind == ShaderKind::Pixel && file == RegisterFile::Texture;
    }

    bool destination(DWORD token, Destination &dst) {
        RegisterName reg;
        if (!registerOf(token, reg))
            return false;
        if (!isWritable(reg.file))
            return fail("an instruction writes a register that cannot be written");
        DWORD modifier = (token >> 20) & 0xF;
        if ((modifier & ~0x7u) != 0 || ((token >> 24) & 0xF) != 0)
            return fail("an unsupported result modifier or shift");
        dst.slot = slotFor(reg);
        dst.mask = uint8_t((token >> 16) & 0xF);
        dst.saturate = (modifier & 1) != 0;
        return true;
    }

    bool source(DWORD token, Source &src) {
        RegisterName reg;
        if (!registerOf(token, reg))
            return false;
        if (!isReadable(reg.file))
            return fail("an instruction reads a register that cannot be read");
        switch ((token >> 24) & 0xF) {
        case 0:
            src.modifier = SourceModifier::None;
            break;
        case 1:
            src.modifier = SourceModifier::Negate;
            break;
        case 11:
            src.modifier = SourceModifier::Abs;
            break;
        case 12:
            src.modifier = SourceModifier::AbsNegate;
            break;
        default:
            return fail("an unsupported source modifier");
        }
        for (int c = 0; c < 4; ++c)
            src.swizzle[c] = uint8_t((token >> (16 + 2 * c)) & 3);
        if (reg.file == RegisterFile::Const && !isLiteral(reg))
            bindConstant(reg);
        src.slot = slotFor(reg);
        return true;
    }

    bool isLiteral(RegisterName reg) const {
        int slot = _program.slotOf(reg);
        for (const Literal &literal : _program.literals) {
            if (int(literal.slot) == slot)
                return true;
        }
        return false;
    }

    void bindConstant(RegisterName reg) {
        uint16_t slot = slotFor(reg);
        for (const ConstantBinding &binding : _program.constants) {
            if (binding.slot == slot)
                return;
        }
        _program.constants.push_back({slot, reg.index});
    }

    bool declaration(const DWORD *params, size_t length) {
        if (length != 2)
            return fail("a dcl instruction has the wrong length");
        DWORD usageToken = params[0];
        RegisterName reg;
        if (!registerOf(params[1], reg))
            return false;
        if (reg.file == RegisterFile::Sampler) {
            if (_kind != ShaderKind::Pixel || ((usageToken >> 27) & 0xF) != 2)
                return fail("only 2D samplers of pixel shaders are supported");
            _program.samplers.push_back(uint8_t(reg.index));
            return true;
        }
        if (reg.file == RegisterFile::Input && _kind == ShaderKind::Vertex) {
            _program.inputs.push_back({slotFor(reg), reg, BYTE(usageToken & 0x1F),
                                       BYTE((usageToken >> 16) & 0xF), declaredMask(params[1])});
            return true;
        }
        if (_kind == ShaderKind::Pixel &&
            (reg.file == RegisterFile::Texture || reg.file == RegisterFile::Input)) {
            // t# receives texture coordinate #, v# receives colour #.
            BYTE usage = reg.file == RegisterFile::Texture ? 5 : 10;
            _program.inputs.push_back(
                {slotFor(reg), reg, usage, BYTE(reg.index), declaredMask(params[1])});
            return true;
        }
        return fail("a dcl names a register that cannot be declared");
    }

    static uint8_t declaredMask(DWORD token) { return uint8_t((token >> 16) & 0xF); }

    bool definition(const DWORD *params, size_t length) {
        if (length != 5)
            return fail("a def instruction has the wrong length");
        RegisterName reg;
        if (!registerOf(params[0], reg))
            return false;
        if (reg.file != RegisterFile::Const)
            return fail("def must name a float constant");
        if (_program.slotOf(reg) >= 0)
            return fail("def must come before the constant's first use");
        Literal literal{slotFor(reg), {}};
        std::memcpy(literal.value, params + 1, sizeof literal.value);
        _program.literals.push_back(literal);
        return true;
    }

    bool texld(DWORD token, const DWORD *params, size_t length) {
        if (_kind != ShaderKind::Pixel || length != 3)
            return fail("texld is a pixel shader instruction with three operands");
        DWORD controls = (token >> 16) & 0xFF;
        if (controls > 1)
            return fail("texldb is not supported");
        Instruction instruction{};
        instruction.op = controls == 1 ? Opcode::Texldp : Opcode::Texld;
        instruction.sourceCount = 1;
        RegisterName sampler;
        if (!destination(params[0], instruction.dst) || !source(params[1], instruction.src[0]) ||
            !registerOf(params[2], sampler))
            return false;
        if (sampler.file != RegisterFile::Sampler)
            return fail("texld must name a sampler");
        instruction.sampler = uint8_t(sampler.index);
        return add(instruction);
    }

    bool arithmetic(const OpcodeInfo &info, const DWORD *params, size_t length) {
        if (length != size_t(info.sources) + 1)
            return fail("an instruction has the wrong number of operands");
        Instruction instruction{};
        instruction.op = info.op;
        instruction.sourceCount = info.sources;
        if (!destination(params[0], instruction.dst))
            return false;
        for (int s = 0; s < info.sources; ++s) {
            if (!source(params[1 + s], instruction.src[s]))
                return false;
        }
        return add(instruction);
    }

    bool add(Instruction instruction) {
        for (int s = 0; s < instruction.sourceCount; ++s)
            instruction.aliased |= instruction.src[s].slot == instruction.dst.slot;
        _program.code.push_back(instruction);
        return true;
    }

    const DWORD *_tokens;
    size_t _count;
    ShaderKind _kind;
    ShaderProgram &_program;
    std::string &_error;
};

} // namespace

int ShaderProgram::slotOf(RegisterName reg) const {
    for (size_t i = 0; i < slots.size(); ++i) {
        if (slots[i] == reg)
            return int(i);
    }
    return -1;
}

bool decodeShader(const DWORD *tokens, size_t maxTokens, ShaderKind kind, ShaderProgram &program,
                  std::string &error) {
    program = ShaderProgram{};
    if (!tokens) {
        error = "no bytecode";
        return false;
    }
    return Decoder(tokens, maxTokens, kind, program, error).run();
}

} // namespace software::d3d
