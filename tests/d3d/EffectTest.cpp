// The effect runtime with the effect file the library ships: loading, parameters, passes,
// the state Begin saves and End restores, and the picture it draws.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "D3DTestSupport.h"

using namespace d3dtest;

namespace {

const std::string kEffectDir = QNV_EFFECT_DIR;

std::wstring widePath(const std::string &name) {
    std::string path = kEffectDir + "/" + name;
    return std::wstring(path.begin(), path.end());
}

struct EffectFixture : ::testing::Test {
    Ref<IDirect3DDevice9> device{CreateSoftwareDevice9(64, 48, TRUE)};

    void TearDown() override { SoftwareD3D9ClearFailures(); }

    HRESULT load(const std::string &name, Ref<ID3DXEffect> &effect, std::string *errors = nullptr) {
        Ref<ID3DXBuffer> buffer;
        HRESULT hr = D3DXCreateEffectFromFileW(device.get(), widePath(name).c_str(), nullptr,
                                               nullptr, 0, nullptr, effect.out(), buffer.out());
        if (errors && buffer.get())
            *errors = static_cast<const char *>(buffer->GetBufferPointer());
        return hr;
    }
};

// The plane value of a bilinear, clamped sample at texture coordinate (u, v).
float bilinear(const std::vector<uint8_t> &plane, int width, int height, float u, float v) {
    float x = u * width - 0.5f, y = v * height - 0.5f;
    int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    float ax = x - x0, ay = y - y0;
    auto at = [&](int px, int py) {
        px = std::min(std::max(px, 0), width - 1);
        py = std::min(std::max(py, 0), height - 1);
        return plane[size_t(py) * width + px] / 255.0f;
    };
    float top = at(x0, y0) + ax * (at(x0 + 1, y0) - at(x0, y0));
    float bottom = at(x0, y0 + 1) + ax * (at(x0 + 1, y0 + 1) - at(x0, y0 + 1));
    return top + ay * (bottom - top);
}

int channel(float value) {
    return int(std::lround(std::min(std::max(value, 0.0f), 1.0f) * 255));
}

} // namespace

TEST_F(EffectFixture, ConvertsA420FrameLikeTheCpuReference) {
    const int w = 64, h = 48, cw = 32, ch = 24;
    std::vector<uint8_t> y(w * h), cb(cw * ch), cr(cw * ch);
    for (int i = 0; i < w * h; ++i)
        y[i] = uint8_t(16 + (i * 7) % 220);
    for (int i = 0; i < cw * ch; ++i) {
        cb[i] = uint8_t(40 + (i * 13) % 180);
        cr[i] = uint8_t(30 + (i * 29) % 200);
    }
    Ref<IDirect3DTexture9> texY(makeL8Texture(device.get(), w, h, y));
    Ref<IDirect3DTexture9> texCb(makeL8Texture(device.get(), cw, ch, cb));
    Ref<IDirect3DTexture9> texCr(makeL8Texture(device.get(), cw, ch, cr));
    Ref<IDirect3DTexture9> target;
    ASSERT_EQ(D3D_OK, device->CreateTexture(w, h, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                            D3DPOOL_DEFAULT, target.out(), nullptr));
    Ref<ID3DXEffect> effect;
    ASSERT_EQ(D3D_OK, load("ycbcr2rgb.fxo", effect));

    Ref<IDirect3DSurface9> surface, oldTarget;
    ASSERT_EQ(D3D_OK, target->GetSurfaceLevel(0, surface.out()));
    device->GetRenderTarget(0, oldTarget.out());
    EXPECT_EQ(D3D_OK, effect->SetTechnique("ycbcr2rgb"));
    EXPECT_EQ(D3D_OK, effect->SetTexture("g_texY", texY.get()));
    EXPECT_EQ(D3D_OK, effect->SetTexture("g_texCb", texCb.get()));
    EXPECT_EQ(D3D_OK, effect->SetTexture("g_texCr", texCr.get()));
    EXPECT_EQ(D3D_OK, effect->SetFloat("width", float(w)));
    EXPECT_EQ(D3D_OK, effect->SetFloat("height", float(h)));
    ASSERT_EQ(D3D_OK, device->SetRenderTarget(0, surface.get()));
    Ref<IDirect3DSurface9> depth;
    device->GetDepthStencilSurface(depth.out());
    device->SetDepthStencilSurface(nullptr);

    UINT passes = 0;
    ASSERT_EQ(D3D_OK, effect->Begin(&passes, 0));
    ASSERT_EQ(1u, passes);
    ASSERT_EQ(D3D_OK, effect->BeginPass(0));
    std::vector<QuadVertex> quad = {
        {-1, -1, 1, 0, 1}, {1, -1, 1, 1, 1}, {-1, 1, 1, 0, 0}, {1, 1, 1, 1, 0}};
    // drawStrip sets a pass-through vertex shader; the effect's own must stay, so the
    // vertex input is set here by hand.
    static const D3DVERTEXELEMENT9 layout[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {0, 12, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
        D3DDECL_END()};
    Ref<IDirect3DVertexDeclaration9> declaration;
    Ref<IDirect3DVertexBuffer9> buffer;
    ASSERT_EQ(D3D_OK, device->CreateVertexDeclaration(layout, declaration.out()));
    ASSERT_EQ(D3D_OK, device->CreateVertexBuffer(80, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0,
                                                 D3DPOOL_DEFAULT, buffer.out(), nullptr));
    void *data;
    ASSERT_EQ(D3D_OK, buffer->Lock(0, 0, &data, D3DLOCK_DISCARD));
    std::memcpy(data, quad.data(), 80);
    buffer->Unlock();
    device->SetVertexDeclaration(declaration.get());
    device->SetStreamSource(0, buffer.get(), 0, 20);
    UINT drawsBefore = SoftwareD3D9DrawCount(device.get());
    EXPECT_EQ(D3D_OK, device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2));
    EXPECT_EQ(drawsBefore + 1, SoftwareD3D9DrawCount(device.get()));
    EXPECT_EQ(surface.get(), SoftwareD3D9LastDrawTarget(device.get()));
    EXPECT_EQ(D3D_OK, effect->EndPass());
    EXPECT_EQ(D3D_OK, effect->End());
    device->SetDepthStencilSurface(depth.get());
    device->SetRenderTarget(0, oldTarget.get());

    std::vector<uint32_t> pixels = readPixels(device.get(), surface.get());
    ASSERT_EQ(size_t(w * h), pixels.size());
    int worst = 0;
    for (int py = 0; py < h; ++py) {
        for (int px = 0; px < w; ++px) {
            float u = (px + 0.5f) / w, v = (py + 0.5f) / h;
            float Y = y[size_t(py) * w + px] / 255.0f - 16 / 255.0f;
            float Cb = bilinear(cb, cw, ch, u, v) - 128 / 255.0f;
            float Cr = bilinear(cr, cw, ch, u, v) - 128 / 255.0f;
            int expected[3] = {channel(1.164f * Y + 1.596f * Cr),
                               channel(1.164f * Y - 0.392f * Cb - 0.813f * Cr),
                               channel(1.164f * Y + 2.017f * Cb)};
            uint32_t pixel = pixels[size_t(py) * w + px];
            int got[3] = {int(pixel >> 16 & 0xFF), int(pixel >> 8 & 0xFF), int(pixel & 0xFF)};
            for (int c = 0; c < 3; ++c)
                worst = std::max(worst, std::abs(got[c] - expected[c]));
            EXPECT_EQ(0xFFu, pixel >> 24);
        }
    }
    EXPECT_LE(worst, 1);
}

TEST_F(EffectFixture, BeginSavesAndEndRestoresWhatThePassChanges) {
    Ref<ID3DXEffect> effect;
    ASSERT_EQ(D3D_OK, load("ycbcr2rgb.fxo", effect));
    DWORD cull = 0, zenable = 0, colorWrite = 0;
    device->SetRenderState(D3DRS_COLORWRITEENABLE, 0x7);
    UINT passes = 0;
    ASSERT_EQ(D3D_OK, effect->Begin(&passes, 0));
    // Nested Begin and a second BeginPass are refused.
    EXPECT_EQ(D3DERR_INVALIDCALL, effect->Begin(&passes, 0));
    EXPECT_EQ(D3DERR_INVALIDCALL, effect->BeginPass(1));
    ASSERT_EQ(D3D_OK, effect->BeginPass(0));
    EXPECT_EQ(D3DERR_INVALIDCALL, effect->BeginPass(0));
    device->GetRenderState(D3DRS_CULLMODE, &cull);
    device->GetRenderState(D3DRS_ZENABLE, &zenable);
    device->GetRenderState(D3DRS_COLORWRITEENABLE, &colorWrite);
    EXPECT_EQ(DWORD(D3DCULL_NONE), cull);
    EXPECT_EQ(0u, zenable);
    EXPECT_EQ(0xFu, colorWrite);
    Ref<IDirect3DPixelShader9> shader;
    device->GetPixelShader(shader.out());
    EXPECT_NE(nullptr, shader.get());
    EXPECT_EQ(D3D_OK, effect->EndPass());
    EXPECT_EQ(D3DERR_INVALIDCALL, effect->EndPass());
    EXPECT_EQ(D3D_OK, effect->End());

    device->GetRenderState(D3DRS_CULLMODE, &cull);
    device->GetRenderState(D3DRS_ZENABLE, &zenable);
    device->GetRenderState(D3DRS_COLORWRITEENABLE, &colorWrite);
    EXPECT_EQ(DWORD(D3DCULL_CCW), cull);
    EXPECT_EQ(DWORD(D3DZB_TRUE), zenable); // the device has a depth-stencil surface
    EXPECT_EQ(0x7u, colorWrite);
    device->GetPixelShader(shader.out());
    EXPECT_EQ(nullptr, shader.get());

    // With D3DXFX_DONOTSAVESTATE the pass's states stay.
    ASSERT_EQ(D3D_OK, effect->Begin(&passes, D3DXFX_DONOTSAVESTATE));
    ASSERT_EQ(D3D_OK, effect->BeginPass(0));
    effect->EndPass();
    effect->End();
    device->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(DWORD(D3DCULL_NONE), cull);
}

TEST_F(EffectFixture, HandlesNamesAndTechniques) {
    Ref<ID3DXEffect> effect;
    ASSERT_EQ(D3D_OK, load("ycbcr2rgb.fxo", effect));
    D3DXHANDLE width = effect->GetParameterByName(nullptr, "width");
    ASSERT_NE(nullptr, width);
    EXPECT_EQ(D3D_OK, effect->SetFloat(width, 640.0f));
    float value = 0;
    EXPECT_EQ(D3D_OK, effect->GetFloat("width", &value));
    EXPECT_EQ(640.0f, value);
    EXPECT_EQ(nullptr, effect->GetParameterByName(nullptr, "nothing"));
    EXPECT_EQ(D3DERR_INVALIDCALL, effect->SetFloat("nothing", 1.0f));
    EXPECT_EQ(D3DERR_INVALIDCALL, effect->SetFloat("g_texY", 1.0f));
    EXPECT_EQ(D3DERR_INVALIDCALL, effect->SetTexture("width", nullptr));
    EXPECT_EQ(D3DERR_INVALIDCALL, effect->SetTechnique("other"));
    D3DXHANDLE technique = effect->GetTechniqueByName("ycbcr2rgb");
    ASSERT_NE(nullptr, technique);
    EXPECT_STREQ("ycbcr2rgb", effect->GetCurrentTechnique());
    EXPECT_EQ(D3D_OK, effect->SetTechnique(technique));
    EXPECT_EQ(technique, effect->GetTechnique(0));
    EXPECT_EQ(nullptr, effect->GetTechnique(1));

    // The effect holds a reference on a texture it was given, until replaced.
    Ref<IDirect3DTexture9> texture;
    ASSERT_EQ(D3D_OK, device->CreateTexture(4, 4, 1, 0, D3DFMT_L8, D3DPOOL_MANAGED, texture.out(),
                                            nullptr));
    EXPECT_EQ(D3D_OK, effect->SetTexture("g_texY", texture.get()));
    EXPECT_EQ(3u, texture->AddRef());
    texture->Release();
    EXPECT_EQ(D3D_OK, effect->SetTexture("g_texY", nullptr));
    EXPECT_EQ(2u, texture->AddRef());
    texture->Release();
}

TEST_F(EffectFixture, PassCountsOfTheVariants) {
    struct Case {
        const char *file;
        UINT passes;
    } cases[] = {{"zero_passes.fxo", 0}, {"three_passes.fxo", 3}, {"other_technique.fxo", 1}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        Ref<ID3DXEffect> effect;
        ASSERT_EQ(D3D_OK, load(c.file, effect));
        UINT passes = 99;
        ASSERT_EQ(D3D_OK, effect->Begin(&passes, 0));
        EXPECT_EQ(c.passes, passes);
        for (UINT p = 0; p < passes; ++p) {
            EXPECT_EQ(D3D_OK, effect->BeginPass(p));
            EXPECT_EQ(D3D_OK, effect->EndPass());
        }
        EXPECT_EQ(D3D_OK, effect->End());
    }
}

TEST_F(EffectFixture, BadFilesFailWithAMessage) {
    const char *files[] = {"truncated.fxo", "garbage.fxo", "bad_area_size.fxo",
                           "bad_type_offset.fxo", "no_such_file.fxo"};
    for (const char *file : files) {
        SCOPED_TRACE(file);
        Ref<ID3DXEffect> effect;
        std::string errors;
        EXPECT_EQ(D3DXERR_INVALIDDATA, load(file, effect, &errors));
        EXPECT_EQ(nullptr, effect.get());
        EXPECT_NE(std::string::npos, errors.find(file)) << errors;
    }
    Ref<ID3DXEffect> effect;
    EXPECT_EQ(D3DERR_INVALIDCALL,
              D3DXCreateEffectFromFileW(nullptr, widePath("ycbcr2rgb.fxo").c_str(), nullptr,
                                        nullptr, 0, nullptr, effect.out(), nullptr));
}

TEST_F(EffectFixture, InjectedFailuresOfCreateAndBegin) {
    Ref<ID3DXEffect> effect;
    SoftwareD3D9FailCall(SoftwareD3D9Call::CreateEffect, 1, E_OUTOFMEMORY);
    EXPECT_EQ(E_OUTOFMEMORY, load("ycbcr2rgb.fxo", effect));
    ASSERT_EQ(D3D_OK, load("ycbcr2rgb.fxo", effect));
    SoftwareD3D9FailCall(SoftwareD3D9Call::EffectBegin, 2, S_FALSE);
    UINT passes = 0;
    EXPECT_EQ(D3D_OK, effect->Begin(&passes, 0));
    effect->End();
    EXPECT_EQ(S_FALSE, effect->Begin(&passes, 0));
    // The injected result began nothing: a pass cannot start.
    EXPECT_EQ(D3DERR_INVALIDCALL, effect->BeginPass(0));
}

TEST(EffectLifetime, EverythingIsReleasedWithTheDevice) {
    LONG before = SoftwareD3D9LiveObjects();
    {
        Ref<IDirect3DDevice9> device(CreateSoftwareDevice9(16, 16, FALSE));
        Ref<ID3DXEffect> effect;
        std::wstring path = widePath("ycbcr2rgb.fxo");
        ASSERT_EQ(D3D_OK, D3DXCreateEffectFromFileW(device.get(), path.c_str(), nullptr, nullptr, 0,
                                                    nullptr, effect.out(), nullptr));
        UINT passes;
        effect->Begin(&passes, 0);
        effect->BeginPass(0);
        // The host lets go of the device first; the effect still holds it.
        device.reset();
        effect->EndPass();
        effect->End();
    }
    EXPECT_EQ(before, SoftwareD3D9LiveObjects());
}
