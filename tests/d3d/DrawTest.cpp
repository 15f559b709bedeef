// Drawing: culling with Direct3D 9's default, the pixels a triangle covers (centres on
// integer coordinates, top-left rule), viewport, colour write mask, depth test, and the
// checks DrawPrimitive makes before it reads any vertex.
#include <gtest/gtest.h>

#include <cmath>

#include "D3DTestSupport.h"

using namespace d3dtest;

namespace {

constexpr UINT kW = 16, kH = 8;
constexpr uint32_t kClear = 0xFF000000, kWhite = 0xFFFFFFFF;

// Screen position (in pixels) to clip space for the kW x kH target.
float clipX(float x) {
    return 2.0f * x / kW - 1.0f;
}
float clipY(float y) {
    return 1.0f - 2.0f * y / kH;
}

QuadVertex at(float x, float y, float z = 0.5f) {
    return {clipX(x), clipY(y), z, 0, 0};
}

struct DrawFixture : ::testing::Test {
    Ref<IDirect3DDevice9> device{CreateSoftwareDevice9(kW, kH, TRUE)};
    Ref<IDirect3DPixelShader9> shader;
    Ref<IDirect3DSurface9> back;

    void SetUp() override {
        // Writes constant c0.
        std::vector<DWORD> ps =
            Bytecode(kPs20).op(kMov, {dst(kColorOut, 0), src(kConst, 0)}).finish();
        ASSERT_EQ(D3D_OK, device->CreatePixelShader(ps.data(), shader.out()));
        device->SetPixelShader(shader.get());
        device->GetRenderTarget(0, back.out());
        color(1, 1, 1, 1);
        clear();
    }

    void color(float r, float g, float b, float a) {
        float c[4] = {r, g, b, a};
        device->SetPixelShaderConstantF(0, c, 1);
    }
    void clear() { device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClear, 1.0f, 0); }

    // The pixels whose value is not the clear colour, as a picture of '#' and '.'.
    std::string coverage() {
        std::vector<uint32_t> pixels = readPixels(device.get(), back.get());
        std::string picture;
        for (UINT y = 0; y < kH; ++y) {
            for (UINT x = 0; x < kW; ++x)
                picture += pixels[y * kW + x] == kClear ? '.' : '#';
            picture += '\n';
        }
        return picture;
    }
};

// The library's quad: clip-space corners, counter-clockwise on screen.
std::vector<QuadVertex> fullQuad() {
    return {{-1, -1, 1, 0, 1}, {1, -1, 1, 1, 1}, {-1, 1, 1, 0, 0}, {1, 1, 1, 1, 0}};
}

} // namespace

TEST_F(DrawFixture, DefaultCullingDropsTheCounterClockwiseQuad) {
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    ASSERT_EQ(D3D_OK, drawStrip(device.get(), fullQuad()));
    EXPECT_EQ(std::string::npos, coverage().find('#'));

    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    ASSERT_EQ(D3D_OK, drawStrip(device.get(), fullQuad()));
    EXPECT_EQ(std::string::npos, coverage().find('.'));

    clear();
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    ASSERT_EQ(D3D_OK, drawStrip(device.get(), fullQuad()));
    EXPECT_EQ(std::string::npos, coverage().find('.'));

    // Reversed, the quad is clockwise: the default culling keeps it.
    clear();
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    std::vector<QuadVertex> reversed = fullQuad();
    std::swap(reversed[1], reversed[2]);
    ASSERT_EQ(D3D_OK, drawStrip(device.get(), reversed));
    EXPECT_EQ(std::string::npos, coverage().find('.'));
}

TEST_F(DrawFixture, CoversExactlyThePixelsWhoseCentresAreInside) {
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    // Edges through pixel centres: x = 2 and y = 1 are in (left, top), x = 5 and y = 4
    // are out (right, bottom).
    ASSERT_EQ(D3D_OK, drawStrip(device.get(), {at(2, 4), at(5, 4), at(2, 1), at(5, 1)}));
    EXPECT_EQ("................\n"
              "..###...........\n"
              "..###...........\n"
              "..###...........\n"
              "................\n"
              "................\n"
              "................\n"
              "................\n",
              coverage());

    // Half a pixel off the centres: the centres inside are the same in x, one lower in y.
    clear();
    ASSERT_EQ(D3D_OK, drawStrip(device.get(),
                                {at(1.5f, 4.5f), at(4.5f, 4.5f), at(1.5f, 1.5f), at(4.5f, 1.5f)}));
    EXPECT_EQ("................\n"
              "................\n"
              "..###...........\n"
              "..###...........\n"
              "..###...........\n"
              "................\n"
              "................\n"
              "................\n",
              coverage());

    // A triangle whose slanted edge runs through pixel centres: (8,0)-(14,6) and the
    // horizontal top edge y = 0 (included) and vertical right edge x = 14 (excluded).
    clear();
    ASSERT_EQ(D3D_OK,
              drawStrip(device.get(), {at(8, 0), at(14, 0), at(14, 6)}, D3DPT_TRIANGLELIST));
    EXPECT_EQ("........######..\n"
              ".........#####..\n"
              "..........####..\n"
              "...........###..\n"
              "............##..\n"
              ".............#..\n"
              "................\n"
              "................\n",
              coverage());
}

TEST_F(DrawFixture, SharedEdgesAreDrawnOnce) {
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    color(0.25f, 0.25f, 0.25f, 0.0f);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    // A fan of triangles around an interior point, with odd slopes: every pixel of the
    // covered area must be added to exactly once.
    std::vector<QuadVertex> fan = {at(7.3f, 3.6f), at(0, 0),    at(9.7f, 0), at(16, 0),
                                   at(16, 8),      at(6.1f, 8), at(0, 8),    at(0, 0)};
    ASSERT_EQ(D3D_OK, drawStrip(device.get(), fan, D3DPT_TRIANGLEFAN));
    std::vector<uint32_t> pixels = readPixels(device.get(), back.get());
    for (UINT i = 0; i < kW * kH; ++i)
        ASSERT_EQ(0x00404040u, pixels[i]) << "pixel " << i % kW << "," << i / kW;
}

TEST_F(DrawFixture, ViewportMaskAndDepth) {
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    D3DVIEWPORT9 vp = {4, 2, 8, 4, 0.0f, 1.0f};
    ASSERT_EQ(D3D_OK, device->SetViewport(&vp));
    ASSERT_EQ(D3D_OK, drawStrip(device.get(), fullQuad()));
    EXPECT_EQ("................\n"
              "................\n"
              "....########....\n"
              "....########....\n"
              "....########....\n"
              "....########....\n"
              "................\n"
              "................\n",
              coverage());
    D3DVIEWPORT9 whole = {0, 0, kW, kH, 0.0f, 1.0f};
    device->SetViewport(&whole);

    // Only red and alpha written.
    clear();
    device->SetRenderState(D3DRS_COLORWRITEENABLE,
                           D3DCOLORWRITEENABLE_RED | D3DCOLORWRITEENABLE_ALPHA);
    color(1.0f, 0.5f, 0.5f, 0.5f);
    ASSERT_EQ(D3D_OK, drawStrip(device.get(), {at(0, 8), at(16, 8), at(0, 0), at(16, 0)}));
    EXPECT_EQ(0x80FF0000u, readPixels(device.get(), back.get())[0]);
    device->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);

    // Depth: the nearer quad stays whatever the order.
    clear();
    color(1, 0, 0, 1);
    ASSERT_EQ(D3D_OK, drawStrip(device.get(), {at(0, 8, 0.3f), at(16, 8, 0.3f), at(0, 0, 0.3f),
                                               at(16, 0, 0.3f)}));
    color(0, 1, 0, 1);
    ASSERT_EQ(D3D_OK, drawStrip(device.get(), {at(0, 8, 0.6f), at(16, 8, 0.6f), at(0, 0, 0.6f),
                                               at(16, 0, 0.6f)}));
    EXPECT_EQ(0xFFFF0000u, readPixels(device.get(), back.get())[5]);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    ASSERT_EQ(D3D_OK, drawStrip(device.get(), {at(0, 8, 0.6f), at(16, 8, 0.6f), at(0, 0, 0.6f),
                                               at(16, 0, 0.6f)}));
    EXPECT_EQ(0xFF00FF00u, readPixels(device.get(), back.get())[5]);
}

TEST_F(DrawFixture, DrawsIntoATextureAndInterpolatesCoordinates) {
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    Ref<IDirect3DTexture9> target;
    ASSERT_EQ(D3D_OK, device->CreateTexture(4, 2, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                            D3DPOOL_DEFAULT, target.out(), nullptr));
    Ref<IDirect3DSurface9> surface;
    target->GetSurfaceLevel(0, surface.out());
    ASSERT_EQ(D3D_OK, device->SetRenderTarget(0, surface.get()));
    device->SetDepthStencilSurface(nullptr);
    // oC0 = t0: red = u, green = v, at pixel centres (integer coordinates).
    std::vector<DWORD> ps =
        Bytecode(kPs20).dclTexcoord(0).op(kMov, {dst(kColorOut, 0), src(kTex, 0)}).finish();
    Ref<IDirect3DPixelShader9> uv;
    ASSERT_EQ(D3D_OK, device->CreatePixelShader(ps.data(), uv.out()));
    device->SetPixelShader(uv.get());
    ASSERT_EQ(D3D_OK, drawStrip(device.get(), fullQuad()));
    EXPECT_EQ(surface.get(), SoftwareD3D9LastDrawTarget(device.get()));
    std::vector<uint32_t> pixels = readPixels(device.get(), surface.get());
    ASSERT_EQ(8u, pixels.size());
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) {
            uint32_t p = pixels[size_t(y) * 4 + x];
            EXPECT_EQ(uint32_t(std::lround(x / 4.0 * 255)), (p >> 16) & 0xFF) << x << "," << y;
            EXPECT_EQ(uint32_t(std::lround(y / 2.0 * 255)), (p >> 8) & 0xFF) << x << "," << y;
        }
    }
}

TEST_F(DrawFixture, RefusedDrawsReadNothing) {
    UINT draws = SoftwareD3D9DrawCount(device.get());
    EXPECT_EQ(D3DERR_INVALIDCALL, device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2)); // no input
    ASSERT_EQ(D3D_OK, drawStrip(device.get(), fullQuad()));
    EXPECT_EQ(draws + 1, SoftwareD3D9DrawCount(device.get()));
    // The buffer holds four vertices: two more primitives, or a later start, read past it.
    EXPECT_EQ(D3DERR_INVALIDCALL, device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 3));
    EXPECT_EQ(D3DERR_INVALIDCALL, device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 1, 2));
    EXPECT_EQ(D3DERR_INVALIDCALL, device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0xFFFFFFFF, 2));
    EXPECT_EQ(D3DERR_INVALIDCALL, device->DrawPrimitive(D3DPT_LINELIST, 0, 1));
    device->SetPixelShader(nullptr);
    EXPECT_EQ(D3DERR_INVALIDCALL, device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2));
    EXPECT_EQ(draws + 1, SoftwareD3D9DrawCount(device.get()));
    device->SetPixelShader(shader.get());
    EXPECT_EQ(D3D_OK, device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2));
    EXPECT_EQ(draws + 2, SoftwareD3D9DrawCount(device.get()));
}

TEST_F(DrawFixture, AlphaTestStencilAndBlending) {
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    const std::vector<QuadVertex> left = {at(0, 8), at(8, 8), at(0, 0), at(8, 0)};
    const std::vector<QuadVertex> whole = {at(0, 8), at(16, 8), at(0, 0), at(16, 0)};
    auto pixel = [&](int x) { return readPixels(device.get(), back.get())[size_t(x)]; };

    // Alpha test: alpha 0.5 (128) fails GREATER 200 and passes GREATER 100.
    color(1, 1, 1, 0.5f);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    device->SetRenderState(D3DRS_ALPHAREF, 200);
    ASSERT_EQ(D3D_OK, drawStrip(device.get(), whole));
    EXPECT_EQ(kClear, pixel(3));
    device->SetRenderState(D3DRS_ALPHAREF, 100);
    ASSERT_EQ(D3D_OK, drawStrip(device.get(), whole));
    EXPECT_EQ(0x80FFFFFFu, pixel(3));
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);

    // Stencil: the left half writes 1 (replace); then only where the stencil equals 1 is
    // drawn.
    clear();
    device->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0);
    device->SetRenderState(D3DRS_STENCILENABLE, TRUE);
    device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
    device->SetRenderState(D3DRS_STENCILPASS, 3); // replace
    device->SetRenderState(D3DRS_STENCILREF, 1);
    color(0, 0, 1, 1);
    ASSERT_EQ(D3D_OK, drawStrip(device.get(), left));
    device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
    device->SetRenderState(D3DRS_STENCILPASS, 1); // keep
    color(1, 0, 0, 1);
    ASSERT_EQ(D3D_OK, drawStrip(device.get(), whole));
    EXPECT_EQ(0xFFFF0000u, pixel(2));
    EXPECT_EQ(kClear, pixel(12));
    device->SetRenderState(D3DRS_STENCILENABLE, FALSE);

    // Blending with the source alpha: half of (1, 0, 0) over (0, 0, 1).
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, 5);  // source alpha
    device->SetRenderState(D3DRS_DESTBLEND, 6); // inverse source alpha
    color(1, 0, 0, 0.5f);
    ASSERT_EQ(D3D_OK, drawStrip(device.get(), whole));
    uint32_t blended = pixel(5);
    EXPECT_NEAR(128, int(blended >> 16 & 0xFF), 1);
    EXPECT_EQ(0u, blended >> 8 & 0xFF);
    EXPECT_NEAR(128, int(blended & 0xFF), 1);
}

TEST_F(DrawFixture, PerspectiveCorrectInterpolation) {
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    std::vector<DWORD> ps =
        Bytecode(kPs20).dclTexcoord(0).op(kMov, {dst(kColorOut, 0), src(kTex, 0)}).finish();
    Ref<IDirect3DPixelShader9> uv;
    ASSERT_EQ(D3D_OK, device->CreatePixelShader(ps.data(), uv.out()));
    device->SetPixelShader(uv.get());
    // The left edge at w = 1, the right edge at w = 3: u runs 0 to 1 across the screen,
    // but not linearly in screen space.
    struct Vertex {
        float x, y, z, w, u, v;
    };
    const Vertex vertices[] = {{-1, -1, 0.5f, 1, 0, 0},
                               {3, -3, 1.5f, 3, 1, 0},
                               {-1, 1, 0.5f, 1, 0, 0},
                               {3, 3, 1.5f, 3, 1, 0}};
    static const D3DVERTEXELEMENT9 layout[] = {
        {0, 0, D3DDECLTYPE_FLOAT4, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {0, 16, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
        D3DDECL_END()};
    ASSERT_EQ(D3D_OK,
              drawVertices(device.get(), layout, vertices, sizeof(Vertex), 4, D3DPT_TRIANGLESTRIP));
    std::vector<uint32_t> pixels = readPixels(device.get(), back.get());
    for (UINT x = 0; x < kW; ++x) {
        double t = double(x) / kW; // screen position of the pixel centre, 0 to 1
        double u = (t / 3) / ((1 - t) + t / 3);
        EXPECT_NEAR(u * 255, double(pixels[3 * kW + x] >> 16 & 0xFF), 1.0) << "x " << x;
    }
    // Plain linear interpolation would give t at x = 8, 127.5; the correct value is 63.75.
    EXPECT_NEAR(64, int(pixels[3 * kW + 8] >> 16 & 0xFF), 1);
}
