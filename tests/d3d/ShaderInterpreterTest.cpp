// The shader decoder and interpreter on their own: each instruction, swizzles, write
// masks, negation and saturation, bilinear sampling with clamping, and bytecode refused.
#include <gtest/gtest.h>

#include <cmath>

#include "D3DTestSupport.h"
#include "software/ShaderMachine.h"

using namespace d3dtest;
using namespace software::d3d;

namespace {

// A pixel shader run over `lanes` lanes with inputs t0 (per lane) and constant c0..c3.
struct ShaderRun {
    ShaderProgram program;
    std::unique_ptr<ShaderMachine> machine;
    TextureSampler samplers[16];

    explicit ShaderRun(const std::vector<DWORD> &tokens) {
        std::string error;
        EXPECT_TRUE(decodeShader(tokens.data(), tokens.size(), ShaderKind::Pixel, program, error))
            << error;
        machine = std::make_unique<ShaderMachine>(program);
    }

    void input(int lane, float x, float y, float z, float w) {
        int slot = program.slotOf({RegisterFile::Texture, 0});
        ASSERT_GE(slot, 0);
        float v[4] = {x, y, z, w};
        for (int c = 0; c < 4; ++c)
            machine->slot(slot).c[c][lane] = v[c];
    }

    void run(const float (*constants)[4], int lanes = 1) {
        machine->loadConstants(constants, 4);
        machine->run(lanes, samplers);
    }

    float out(int component, int lane = 0) {
        int slot = program.slotOf({RegisterFile::ColorOut, 0});
        return machine->slot(slot).c[component][lane];
    }
};

// ps_2_0 that computes `body` into r0 (from t0 and c0..c3) and writes oC0 = r0.
std::vector<DWORD> program(const std::vector<std::vector<DWORD>> &body) {
    Bytecode code(kPs20);
    code.dclTexcoord(0);
    code.op(kMov, {dst(kTemp, 0), src(kConst, 3)}); // r0 starts as c3
    for (const std::vector<DWORD> &instruction : body)
        code.op(instruction[0], std::vector<DWORD>(instruction.begin() + 1, instruction.end()));
    code.op(kMov, {dst(kColorOut, 0), src(kTemp, 0)});
    return code.finish();
}

const float kConstants[4][4] = {
    {0.5f, -2.0f, 4.0f, 0.25f}, // c0
    {1.0f, 3.0f, -1.0f, 2.0f},  // c1
    {2.0f, 0.0f, 0.5f, -3.0f},  // c2
    {9.0f, 9.0f, 9.0f, 9.0f},   // c3: what masked-out components keep
};

struct Case {
    const char *name;
    std::vector<DWORD> instruction;
    float expected[4];
};

} // namespace

TEST(ShaderInterpreter, EachInstruction) {
    const DWORD r0 = dst(kTemp, 0);
    const DWORD c0 = src(kConst, 0), c1 = src(kConst, 1), c2 = src(kConst, 2);
    const Case cases[] = {
        {"mov", {kMov, r0, c0}, {0.5f, -2.0f, 4.0f, 0.25f}},
        {"add", {kAdd, r0, c0, c1}, {1.5f, 1.0f, 3.0f, 2.25f}},
        {"sub", {kSub, r0, c0, c1}, {-0.5f, -5.0f, 5.0f, -1.75f}},
        {"mul", {kMul, r0, c0, c1}, {0.5f, -6.0f, -4.0f, 0.5f}},
        {"mad", {kMad, r0, c0, c1, c2}, {2.5f, -6.0f, -3.5f, -2.5f}},
        {"rcp", {kRcp, r0, src(kConst, 0, "y")}, {-0.5f, -0.5f, -0.5f, -0.5f}},
        {"rcp .w by default", {kRcp, r0, c0}, {4.0f, 4.0f, 4.0f, 4.0f}},
        {"rsq", {kRsq, r0, src(kConst, 0, "z")}, {0.5f, 0.5f, 0.5f, 0.5f}},
        {"dp3", {kDp3, r0, c0, c1}, {-9.5f, -9.5f, -9.5f, -9.5f}},
        {"dp4", {kDp4, r0, c0, c1}, {-9.0f, -9.0f, -9.0f, -9.0f}},
        {"min", {kMin, r0, c0, c1}, {0.5f, -2.0f, -1.0f, 0.25f}},
        {"max", {kMax, r0, c0, c1}, {1.0f, 3.0f, 4.0f, 2.0f}},
        {"slt", {kSlt, r0, c0, c1}, {1.0f, 1.0f, 0.0f, 1.0f}},
        {"sge", {kSge, r0, c0, c1}, {0.0f, 0.0f, 1.0f, 0.0f}},
        {"frc", {kFrc, r0, c1}, {0.0f, 0.0f, 0.0f, 0.0f}},
        {"frc of fractions", {kFrc, r0, src(kConst, 0, "xyzw", true)}, {0.5f, 0.0f, 0.0f, 0.75f}},
        {"abs", {kAbs, r0, c0}, {0.5f, 2.0f, 4.0f, 0.25f}},
        {"lrp", {kLrp, r0, c0, c1, c2}, {1.5f, -6.0f, -5.5f, -1.75f}},
        {"cmp", {kCmp, r0, c1, c0, c2}, {0.5f, -2.0f, 0.5f, 0.25f}},
        // Swizzles, masks, negation, saturation.
        {"swizzle", {kMov, r0, src(kConst, 0, "wzyx")}, {0.25f, 4.0f, -2.0f, 0.5f}},
        {"replicate", {kMov, r0, src(kConst, 1, "y")}, {3.0f, 3.0f, 3.0f, 3.0f}},
        {"mask .xz", {kMov, dst(kTemp, 0, 0x5), c0}, {0.5f, 9.0f, 4.0f, 9.0f}},
        {"mask .w", {kAdd, dst(kTemp, 0, 0x8), c0, c1}, {9.0f, 9.0f, 9.0f, 2.25f}},
        {"negate", {kAdd, r0, c0, src(kConst, 1, "xyzw", true)}, {-0.5f, -5.0f, 5.0f, -1.75f}},
        {"negate + swizzle",
         {kMov, r0, src(kConst, 0, "yxwz", true)},
         {2.0f, -0.5f, -0.25f, -4.0f}},
        {"saturate", {kMov, dst(kTemp, 0, 0xF, true), c0}, {0.5f, 0.0f, 1.0f, 0.25f}},
        {"dp3 into .y", {kDp3, dst(kTemp, 0, 0x2), c0, c1}, {9.0f, -9.5f, 9.0f, 9.0f}},
        // A source that is the destination is read before it is written.
        {"aliased swap", {kMov, dst(kTemp, 0, 0x3), src(kTemp, 0, "yx")}, {9.0f, 9.0f, 9.0f, 9.0f}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ShaderRun run(program({c.instruction}));
        run.run(kConstants);
        for (int k = 0; k < 4; ++k)
            EXPECT_FLOAT_EQ(c.expected[k], run.out(k)) << "component " << k;
    }

    // The swap proper: r0 = (1, 2, ...) then r0.xy = r0.yx.
    ShaderRun swap(program({{kMov, dst(kTemp, 0, 0x3), src(kConst, 1, "wx")},
                            {kMov, dst(kTemp, 0, 0x3), src(kTemp, 0, "yx")}}));
    swap.run(kConstants);
    EXPECT_EQ(1.0f, swap.out(0));
    EXPECT_EQ(2.0f, swap.out(1));
}

TEST(ShaderInterpreter, DefinedConstantsOverrideTheDevices) {
    std::vector<DWORD> tokens = Bytecode(kPs20)
                                    .def(1, 7.0f, 8.0f, 9.0f, 10.0f)
                                    .op(kAdd, {dst(kColorOut, 0), src(kConst, 1), src(kConst, 0)})
                                    .finish();
    ShaderRun run(tokens);
    run.run(kConstants);
    EXPECT_EQ(7.5f, run.out(0));
    EXPECT_EQ(10.25f, run.out(3));
}

TEST(ShaderInterpreter, LanesAreIndependent) {
    ShaderRun run(program({{kMul, dst(kTemp, 0), src(kTex, 0), src(kConst, 1)}}));
    for (int lane = 0; lane < kLanes; ++lane)
        run.input(lane, float(lane), 1.0f, float(-lane), 0.5f);
    run.run(kConstants, kLanes);
    for (int lane = 0; lane < kLanes; ++lane) {
        EXPECT_EQ(float(lane), run.out(0, lane));
        EXPECT_EQ(3.0f, run.out(1, lane));
        EXPECT_EQ(float(lane), run.out(2, lane));
        EXPECT_EQ(1.0f, run.out(3, lane));
    }
}

namespace {

// texld of a 3x2 L8 texture at t0, result in oC0.
struct Sampling {
    SurfaceMemory texture{3, 2, D3DFMT_L8};
    std::unique_ptr<ShaderRun> run;

    Sampling() {
        const uint8_t texels[2][3] = {{0, 51, 255}, {102, 204, 0}};
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                texture.row(UINT(y))[x] = texels[y][x];
        std::vector<DWORD> tokens = Bytecode(kPs20)
                                        .dclTexcoord(0)
                                        .dclSampler2D(0)
                                        .op(kTexld, {dst(kTemp, 0), src(kTex, 0), reg(kSampler, 0)})
                                        .op(kMov, {dst(kColorOut, 0), src(kTemp, 0)})
                                        .finish();
        run = std::make_unique<ShaderRun>(tokens);
        run->samplers[0].texture = &texture;
    }

    float at(float u, float v) {
        run->input(0, u, v, 0, 1);
        run->run(kConstants);
        return run->out(0) * 255.0f;
    }
};

} // namespace

TEST(ShaderInterpreter, BilinearSamplingWithClamping) {
    Sampling s;
    s.run->samplers[0].linear = true;
    s.run->samplers[0].addressU = D3DTADDRESS_CLAMP;
    s.run->samplers[0].addressV = D3DTADDRESS_CLAMP;
    // Texel centres give the texels.
    EXPECT_NEAR(0.0f, s.at(1 / 6.0f, 0.25f), 1e-3);
    EXPECT_NEAR(51.0f, s.at(0.5f, 0.25f), 1e-3);
    EXPECT_NEAR(204.0f, s.at(0.5f, 0.75f), 1e-3);
    // Halfway between centres, the mean; in the middle of four, the mean of four.
    EXPECT_NEAR(25.5f, s.at(2 / 6.0f, 0.25f), 1e-3);
    EXPECT_NEAR((0 + 51 + 102 + 204) / 4.0f, s.at(2 / 6.0f, 0.5f), 1e-3);
    // Beyond the edges the edge texels repeat.
    EXPECT_NEAR(0.0f, s.at(0.0f, 0.0f), 1e-3);
    EXPECT_NEAR(255.0f, s.at(1.0f, 0.0f), 1e-3);
    EXPECT_NEAR(255.0f, s.at(7.5f, -3.0f), 1e-3);
    EXPECT_NEAR(102.0f, s.at(-1e30f, 1e30f), 1e-3);
    EXPECT_NEAR(0.0f, s.at(NAN, NAN), 1e-3);
    EXPECT_EQ(1.0f, s.run->out(3)); // L8 reads (L, L, L, 1)

    // Wrapping continues the texture from the other edge.
    s.run->samplers[0].addressU = D3DTADDRESS_WRAP;
    EXPECT_NEAR(127.5f, s.at(0.0f, 0.25f), 1e-3);
    EXPECT_NEAR(51.0f, s.at(1.5f, 0.25f), 1e-3);
    // Point sampling takes the texel that contains the coordinate.
    s.run->samplers[0].linear = false;
    s.run->samplers[0].addressU = D3DTADDRESS_CLAMP;
    EXPECT_NEAR(51.0f, s.at(0.4f, 0.25f), 1e-3);
    EXPECT_NEAR(204.0f, s.at(0.6f, 0.9f), 1e-3);
    // Border addressing reads the border colour outside.
    s.run->samplers[0].addressU = D3DTADDRESS_BORDER;
    s.run->samplers[0].border[0] = 0.5f;
    EXPECT_NEAR(127.5f, s.at(1.2f, 0.25f), 1e-3);
    // Nothing bound reads (0, 0, 0, 1).
    s.run->samplers[0].texture = nullptr;
    EXPECT_EQ(0.0f, s.at(0.5f, 0.5f));
    EXPECT_EQ(1.0f, s.run->out(3));
}

TEST(ShaderDecoder, RefusesWhatItCannotRun) {
    auto refused = [](std::vector<DWORD> tokens, ShaderKind kind = ShaderKind::Pixel) {
        ShaderProgram program;
        std::string error;
        bool ok = decodeShader(tokens.data(), tokens.size(), kind, program, error);
        return !ok && !error.empty();
    };
    const DWORD movOut = kMov | 2u << 24;
    EXPECT_TRUE(refused({kPs20, movOut, dst(kColorOut, 0), src(kConst, 0)})); // no end
    EXPECT_TRUE(refused({kPs20, movOut, dst(kColorOut, 0)}));                 // cut short
    EXPECT_TRUE(refused({kPs20, movOut, dst(kColorOut, 0), src(kConst, 0), 0xFFFF},
                        ShaderKind::Vertex));   // wrong kind
    EXPECT_TRUE(refused({0xFFFF0300, 0xFFFF})); // ps_3_0
    EXPECT_TRUE(refused({kPs20, 0x0F | 2u << 24, dst(kTemp, 0), src(kConst, 0), 0xFFFF})); // log
    EXPECT_TRUE(refused({kPs20, movOut, dst(kTemp, 40), src(kConst, 0), 0xFFFF}));
    EXPECT_TRUE(refused({kPs20, movOut, dst(kConst, 0), src(kConst, 1), 0xFFFF}));
    EXPECT_TRUE(refused({kPs20, movOut, dst(kColorOut, 0), src(kConst, 0) | 0x2000, 0xFFFF}));
    EXPECT_TRUE(refused({kPs20, movOut, dst(kColorOut, 0), src(kConst, 0) & ~0x80000000u, 0xFFFF}));
    EXPECT_TRUE(refused({kPs20, movOut, dst(kColorOut, 0), src(kConst, 0) | 2u << 24, 0xFFFF}));
    EXPECT_TRUE(refused({kPs20, kMov | 3u << 24, dst(kColorOut, 0), src(kConst, 0), 0, 0xFFFF}));
    EXPECT_TRUE(refused({kPs20, 0xFFFE | 0x7FFFu << 16, 0xFFFF})); // comment past the end
    // A malformed constant table is refused, a well-formed one read.
    EXPECT_TRUE(refused({kPs20, 0xFFFE | 3u << 16, 0x42415443, 28, 0, 0xFFFF}));
    const DWORD table[] = {kPs20, 0xFFFE | 15u << 16, 0x42415443,
                           // header: size, creator, version, count, entries at 28, flags, target
                           28, 0, 0xFFFF0200, 1, 28, 0, 0,
                           // entry: name at 48, float4 set, register 2, count 1, type, default
                           48, 2 | 2u << 16, 1, 0, 0,
                           // "width"
                           0x74646977, 0x00000068, 0xFFFF};
    ShaderProgram program;
    std::string error;
    ASSERT_TRUE(decodeShader(table, std::size(table), ShaderKind::Pixel, program, error)) << error;
    ASSERT_EQ(1u, program.constantTable.size());
    EXPECT_EQ("width", program.constantTable[0].name);
    EXPECT_EQ(2, program.constantTable[0].registerSet);
    EXPECT_EQ(2, program.constantTable[0].registerIndex);
    EXPECT_EQ(1, program.constantTable[0].registerCount);
}

TEST(ShaderDecoder, DeviceShadersKeepTheirBytecode) {
    Ref<IDirect3DDevice9> device(CreateSoftwareDevice9(4, 4, FALSE));
    std::vector<DWORD> vs = passThroughVertexShader();
    Ref<IDirect3DVertexShader9> shader;
    ASSERT_EQ(D3D_OK, device->CreateVertexShader(vs.data(), shader.out()));
    UINT size = 0;
    ASSERT_EQ(D3D_OK, shader->GetFunction(nullptr, &size));
    ASSERT_EQ(vs.size() * 4, size);
    std::vector<DWORD> back(vs.size());
    ASSERT_EQ(D3D_OK, shader->GetFunction(back.data(), &size));
    EXPECT_EQ(vs, back);
    Ref<IDirect3DPixelShader9> pixel;
    EXPECT_EQ(D3DERR_INVALIDCALL, device->CreatePixelShader(vs.data(), pixel.out()));
    EXPECT_EQ(nullptr, pixel.get());
}
