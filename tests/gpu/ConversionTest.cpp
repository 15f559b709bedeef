// The effect turns Y'CbCr planes into the RGB the CPU reference computes, for every chroma
// subsampling the video object uses.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "Bt601Reference.h"
#include "SoftwareScene.h"
#include "gpu/GPUVideoRender.h"

namespace {

struct ChromaFormat {
    const char *name;
    int deciX;
    int deciY;
};

using Pattern = std::function<uint8_t(int x, int y, int width, int height)>;

Plane makePlane(int width, int height, const Pattern &pattern) {
    Plane plane;
    plane.width = width;
    plane.height = height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            plane.bytes.push_back(pattern(x, y, width, height));
        }
    }
    return plane;
}

Pattern flat(uint8_t value) {
    return [value](int, int, int, int) { return value; };
}

Pattern rampAcross(uint8_t from, uint8_t to) {
    return [from, to](int x, int, int width, int) {
        return uint8_t(from + (to - from) * x / (width > 1 ? width - 1 : 1));
    };
}

Pattern rampDown(uint8_t from, uint8_t to) {
    return [from, to](int, int y, int, int height) {
        return uint8_t(from + (to - from) * y / (height > 1 ? height - 1 : 1));
    };
}

Pattern checkerboard(uint8_t a, uint8_t b, int cell) {
    return [a, b, cell](int x, int y, int, int) { return ((x / cell + y / cell) % 2) ? b : a; };
}

class Conversion : public ::testing::TestWithParam<ChromaFormat> {
protected:
    static constexpr int kWidth = 36;
    static constexpr int kHeight = 20;

    // Converts the three patterns through the pass and compares with the reference; the
    // host's back buffer must keep its colour.
    void expectConversion(const Pattern &y, const Pattern &cb, const Pattern &cr) {
        const ChromaFormat format = GetParam();
        Plane yPlane = makePlane(kWidth, kHeight, y);
        Plane cbPlane = makePlane(kWidth / format.deciX, kHeight / format.deciY, cb);
        Plane crPlane = makePlane(kWidth / format.deciX, kHeight / format.deciY, cr);

        SoftwareScene scene(64, 48);
        ComRef<IDirect3DTexture9> texY(scene.planeTexture(yPlane));
        ComRef<IDirect3DTexture9> texCb(scene.planeTexture(cbPlane));
        ComRef<IDirect3DTexture9> texCr(scene.planeTexture(crPlane));
        ComRef<IDirect3DTexture9> dest(scene.rgbTarget(kWidth, kHeight, 0xFF00FF00u));
        scene.device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF00FFu, 1.0f, 0);

        GPUVideoRender render(scene.device(), effectPath("ycbcr2rgb.fxo"));
        render.setSize(kWidth, kHeight);
        scene.device()->BeginScene();
        render.render(texY.get(), texCb.get(), texCr.get(), dest.get());
        scene.device()->EndScene();

        Pixels expected = bt601Reference(yPlane, cbPlane, crPlane, kWidth, kHeight);
        EXPECT_LE(largestChannelDifference(scene.readTexture(dest.get()), expected), 2);
        Pixels back = scene.readBackBuffer();
        EXPECT_EQ(back.at(0, 0), 0xFFFF00FFu);
        EXPECT_EQ(back.at(63, 47), 0xFFFF00FFu);
    }
};

TEST_P(Conversion, FlatColours) {
    const uint8_t colours[][3] = {
        {16, 128, 128},  // black
        {235, 128, 128}, // white
        {81, 90, 240},   // red
        {145, 54, 34},   // green
        {41, 240, 110},  // blue
        {0, 0, 255},     // beyond the legal range: clamped, not wrapped
    };
    for (const auto &c : colours) {
        SCOPED_TRACE(::testing::Message() << int(c[0]) << "," << int(c[1]) << "," << int(c[2]));
        expectConversion(flat(c[0]), flat(c[1]), flat(c[2]));
    }
}

TEST_P(Conversion, Ramps) {
    expectConversion(rampAcross(16, 235), rampDown(16, 240), rampAcross(240, 16));
    expectConversion(rampDown(0, 255), rampAcross(255, 0), rampDown(40, 200));
}

TEST_P(Conversion, Checkerboards) {
    expectConversion(checkerboard(16, 235, 1), flat(128), flat(128));
    expectConversion(checkerboard(60, 200, 2), checkerboard(16, 240, 1), checkerboard(240, 16, 3));
}

INSTANTIATE_TEST_SUITE_P(Subsampling, Conversion,
                         ::testing::Values(ChromaFormat{"420", 2, 2}, ChromaFormat{"422", 2, 1},
                                           ChromaFormat{"444", 1, 1}),
                         [](const auto &info) { return std::string("yuv") + info.param.name; });

// The library passes the bare name: the loader finds it in the current directory.
TEST(ConversionSetup, FindsTheEffectByItsBareNameInTheCurrentDirectory) {
    std::filesystem::copy_file(std::string(QNV_EFFECT_DIR) + "/ycbcr2rgb.fxo", "ycbcr2rgb.fxo",
                               std::filesystem::copy_options::overwrite_existing);
    Plane y = makePlane(8, 8, flat(235));
    Plane chroma = makePlane(4, 4, flat(128));

    SoftwareScene scene(8, 8);
    ComRef<IDirect3DTexture9> texY(scene.planeTexture(y));
    ComRef<IDirect3DTexture9> texCb(scene.planeTexture(chroma));
    ComRef<IDirect3DTexture9> texCr(scene.planeTexture(chroma));
    ComRef<IDirect3DTexture9> dest(scene.rgbTarget(8, 8, 0xFF000000u));
    softwareCaptureMessageBoxes(true);
    {
        GPUVideoRender render(scene.device(), L"ycbcr2rgb.fxo");
        render.setSize(8, 8);
        scene.device()->BeginScene();
        render.render(texY.get(), texCb.get(), texCr.get(), dest.get());
        scene.device()->EndScene();
    }
    softwareCaptureMessageBoxes(false);
    EXPECT_TRUE(softwareTakeMessageBoxes().empty());
    EXPECT_EQ(scene.readTexture(dest.get()).at(3, 3), 0xFFFFFFFFu);
}

} // namespace
