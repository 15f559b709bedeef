#include "ShaderMachine.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace software::d3d {
namespace {

// Loops run over whole groups of eight lanes, which the compiler vectorises fully.
inline int roundedLanes(int lanes) {
    return (lanes + 7) & ~7;
}

void broadcast(RegisterLanes &reg, const float value[4]) {
    for (int c = 0; c < 4; ++c)
        std::fill(reg.c[c], reg.c[c] + kLanes, value[c]);
}

} // namespace

ShaderMachine::ShaderMachine(const ShaderProgram &program)
    : _program(program), _registers(program.slots.size()) {
    // Registers start at zero (the vector value-initialises them), and so does scratch
    // space, so that lanes past the last pixel never hold garbage.
    std::memset(&_result, 0, sizeof _result);
    std::memset(_modified, 0, sizeof _modified);
}

void ShaderMachine::loadConstants(const float (*constants)[4], size_t count) {
    static const float zero[4] = {0, 0, 0, 0};
    for (const ConstantBinding &binding : _program.constants)
        broadcast(_registers[binding.slot],
                  binding.index < count ? constants[binding.index] : zero);
    for (const Literal &literal : _program.literals)
        broadcast(_registers[literal.slot], literal.value);
}

const float *ShaderMachine::read(const Source &src, int component, int lanes, float *scratch) {
    const float *value = _registers[src.slot].c[src.swizzle[component]];
    switch (src.modifier) {
    case SourceModifier::None:
        return value;
    case SourceModifier::Negate:
        for (int i = 0; i < lanes; ++i)
            scratch[i] = -value[i];
        return scratch;
    case SourceModifier::Abs:
        for (int i = 0; i < lanes; ++i)
            scratch[i] = std::fabs(value[i]);
        return scratch;
    case SourceModifier::AbsNegate:
        for (int i = 0; i < lanes; ++i)
            scratch[i] = -std::fabs(value[i]);
        return scratch;
    }
    return value;
}

void ShaderMachine::run(int lanes, const TextureSampler *samplers) {
    lanes = roundedLanes(std::min(lanes, kLanes));
    for (const Instruction &instruction : _program.code)
        execute(instruction, lanes, samplers);
}

void ShaderMachine::execute(const Instruction &in, int n, const TextureSampler *samplers) {
    auto sourceOf = [&](int s, int component) {
        return read(in.src[s], component, n, _modified[s].c[component]);
    };
    // A result whose destination is also a source goes to _result first, so that no
    // component is read after it was written; the others are written in place.
    const bool direct = !in.aliased && !in.dst.saturate;
    auto componentWise = [&](auto operation) {
        for (int c = 0; c < 4; ++c) {
            if ((in.dst.mask & (1 << c)) == 0)
                continue;
            float *out = direct ? _registers[in.dst.slot].c[c] : _result.c[c];
            const float *a = sourceOf(0, c);
            const float *b = in.sourceCount > 1 ? sourceOf(1, c) : a;
            const float *d = in.sourceCount > 2 ? sourceOf(2, c) : a;
            for (int i = 0; i < n; ++i)
                out[i] = operation(a[i], b[i], d[i]);
        }
        if (direct)
            return;
        const float *values[4] = {_result.c[0], _result.c[1], _result.c[2], _result.c[3]};
        write(in, values, n);
    };
    auto scalar = [&](auto operation) {
        // Scalar instructions read the replicated component, .w without a swizzle.
        const float *a = sourceOf(0, 3);
        float *out = _result.c[0];
        for (int i = 0; i < n; ++i)
            out[i] = operation(a[i]);
        const float *values[4] = {out, out, out, out};
        write(in, values, n);
    };
    auto dot = [&](int components) {
        float *sum = _result.c[0];
        const float *a0 = sourceOf(0, 0);
        const float *b0 = sourceOf(1, 0);
        for (int i = 0; i < n; ++i)
            sum[i] = a0[i] * b0[i];
        for (int c = 1; c < components; ++c) {
            const float *a = sourceOf(0, c);
            const float *b = sourceOf(1, c);
            for (int i = 0; i < n; ++i)
                sum[i] += a[i] * b[i];
        }
        const float *values[4] = {sum, sum, sum, sum};
        write(in, values, n);
    };
    auto sample = [&](bool projected) {
        const float *u = sourceOf(0, 0);
        const float *v = sourceOf(0, 1);
        if (projected) {
            const float *w = sourceOf(0, 3);
            for (int i = 0; i < n; ++i) {
                _projected[0][i] = u[i] / w[i];
                _projected[1][i] = v[i] / w[i];
            }
            u = _projected[0];
            v = _projected[1];
        }
        float *out[4] = {_result.c[0], _result.c[1], _result.c[2], _result.c[3]};
        sampleTexture(samplers[in.sampler], u, v, n, out, in.dst.mask);
        const float *values[4] = {out[0], out[1], out[2], out[3]};
        write(in, values, n);
    };

    switch (in.op) {
    case Opcode::Mov:
        return componentWise([](float a, float, float) { return a; });
    case Opcode::Add:
        return componentWise([](float a, float b, float) { return a + b; });
    case Opcode::Sub:
        return componentWise([](float a, float b, float) { return a - b; });
    case Opcode::Mul:
        return componentWise([](float a, float b, float) { return a * b; });
    case Opcode::Mad:
        return componentWise([](float a, float b, float d) { return a * b + d; });
    case Opcode::Min:
        return componentWise([](float a, float b, float) { return a < b ? a : b; });
    case Opcode::Max:
        return componentWise([](float a, float b, float) { return a >= b ? a : b; });
    case Opcode::Slt:
        return componentWise([](float a, float b, float) { return a < b ? 1.0f : 0.0f; });
    case Opcode::Sge:
        return componentWise([](float a, float b, float) { return a >= b ? 1.0f : 0.0f; });
    case Opcode::Frc:
        return componentWise([](float a, float, float) { return a - std::floor(a); });
    case Opcode::Abs:
        return componentWise([](float a, float, float) { return std::fabs(a); });
    case Opcode::Lrp:
        return componentWise([](float a, float b, float d) { return d + a * (b - d); });
    case Opcode::Cmp:
        return componentWise([](float a, float b, float d) { return a >= 0.0f ? b : d; });
    case Opcode::Rcp:
        return scalar([](float a) { return a == 1.0f ? 1.0f : 1.0f / a; });
    case Opcode::Rsq:
        return scalar([](float a) { return a == 1.0f ? 1.0f : 1.0f / std::sqrt(std::fabs(a)); });
    case Opcode::Dp3:
        return dot(3);
    case Opcode::Dp4:
        return dot(4);
    case Opcode::Texld:
        return sample(false);
    case Opcode::Texldp:
        return sample(true);
    }
}

void ShaderMachine::write(const Instruction &in, const float *const values[4], int n) {
    RegisterLanes &dst = _registers[in.dst.slot];
    for (int c = 0; c < 4; ++c) {
        if ((in.dst.mask & (1 << c)) == 0)
            continue;
        float *out = dst.c[c];
        const float *value = values[c];
        if (in.dst.saturate) {
            for (int i = 0; i < n; ++i)
                out[i] = value[i] > 0.0f ? (value[i] < 1.0f ? value[i] : 1.0f) : 0.0f;
        } else {
            std::memcpy(out, value, sizeof(float) * size_t(n));
        }
    }
}

} // namespace software::d3d
