// Liveness of register components over a shader's straight-line code, to drop work whose
// result nothing reads (a texld into r0 of which only r0.x is used, for instance).
#include "ShaderProgram.h"

namespace software::d3d {
namespace {

bool isOutput(RegisterFile file) {
    return file == RegisterFile::RastOut || file == RegisterFile::AttrOut ||
           file == RegisterFile::TexCrdOut || file == RegisterFile::ColorOut ||
           file == RegisterFile::DepthOut;
}

uint8_t bit(uint8_t component) {
    return uint8_t(1u << component);
}

// The components of source `s` that instruction `in` reads to produce the `needed`
// components of its result.
uint8_t componentsRead(const Instruction &in, int s, uint8_t needed) {
    const uint8_t *swizzle = in.src[s].swizzle;
    switch (in.op) {
    case Opcode::Rcp:
    case Opcode::Rsq:
        return bit(swizzle[3]);
    case Opcode::Dp3:
        return bit(swizzle[0]) | bit(swizzle[1]) | bit(swizzle[2]);
    case Opcode::Dp4:
        return bit(swizzle[0]) | bit(swizzle[1]) | bit(swizzle[2]) | bit(swizzle[3]);
    case Opcode::Texld:
        return bit(swizzle[0]) | bit(swizzle[1]);
    case Opcode::Texldp:
        return bit(swizzle[0]) | bit(swizzle[1]) | bit(swizzle[3]);
    default: {
        uint8_t read = 0;
        for (int c = 0; c < 4; ++c) {
            if ((needed & bit(uint8_t(c))) != 0)
                read |= bit(swizzle[c]);
        }
        return read;
    }
    }
}

} // namespace

void removeDeadWrites(ShaderProgram &program) {
    std::vector<uint8_t> live(program.slots.size(), 0);
    for (size_t slot = 0; slot < program.slots.size(); ++slot) {
        if (isOutput(program.slots[slot].file))
            live[slot] = 0xF;
    }
    std::vector<Instruction> kept;
    for (auto it = program.code.rbegin(); it != program.code.rend(); ++it) {
        Instruction in = *it;
        uint8_t needed = in.dst.mask & live[in.dst.slot];
        if (needed == 0)
            continue;
        in.dst.mask = needed;
        live[in.dst.slot] &= uint8_t(~needed);
        for (int s = 0; s < in.sourceCount; ++s)
            live[in.src[s].slot] |= componentsRead(in, s, needed);
        kept.push_back(in);
    }
    program.code.assign(kept.rbegin(), kept.rend());
}

} // namespace software::d3d
