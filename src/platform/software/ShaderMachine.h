// The shader interpreter: runs a decoded program over a block of up to kLanes vertices or
// pixels at once. Every register is four arrays of kLanes floats (one per component), so
// each instruction is a few tight loops and the cost of decoding and dispatching it is
// paid once per block, not once per pixel.
#pragma once

#include <vector>

#include "ShaderProgram.h"
#include "ShaderSampler.h"

namespace software::d3d {

constexpr int kLanes = kSampleLanes;

struct alignas(64) RegisterLanes {
    float c[4][kLanes];
};

class ShaderMachine {
public:
    explicit ShaderMachine(const ShaderProgram &program);

    // Fills the constant registers: the shader's own def values, and the device's
    // constants (`count` float4 registers) for the others. Call before `run`.
    void loadConstants(const float (*constants)[4], size_t count);

    // The registers of a slot, for loading inputs and reading outputs.
    RegisterLanes &slot(int index) { return _registers[size_t(index)]; }

    // Runs the program over the first `lanes` lanes; `samplers` has 16 entries.
    void run(int lanes, const TextureSampler *samplers);

private:
    const float *read(const Source &src, int component, int lanes, float *scratch);
    void execute(const Instruction &instruction, int lanes, const TextureSampler *samplers);

    void write(const Instruction &instruction, const float *const values[4], int lanes);

    const ShaderProgram &_program;
    std::vector<RegisterLanes> _registers;
    RegisterLanes _result;       // a result computed before any of it is written
    RegisterLanes _modified[3];  // sources with a modifier applied
    float _projected[2][kLanes]; // texldp coordinates
};

} // namespace software::d3d
