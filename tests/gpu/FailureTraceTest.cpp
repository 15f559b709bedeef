// The pass's failure lines in the log, and what it does around them.
#include <gtest/gtest.h>

#include <cstdio>

#include "FakeD3D.h"
#include "SoftwareScene.h"
#include "gpu/GPUVideoRender.h"
#include "support/TextFiles.h"

namespace {

// How many times `needle` occurs in the log.
int logCount(const std::string &needle) {
    return testsupport::countOccurrences(testsupport::readFile("qnv_log.txt"), needle);
}

// Each test starts from no log file: the log appends after its first entry of the
// process and creates the file again when it is gone.
class FailureTrace : public ::testing::Test {
protected:
    void SetUp() override { std::remove("qnv_log.txt"); }
};

const char kLine22[] = "> GPUVideoRender.cpp(22) : Failed destTex->GetSurfaceLevel(0, &destSurf): "
                       "D3DERR_INVALIDCALL\n";
const char kLine30[] = "> GPUVideoRender.cpp(30) : Failed destSurf->Release(): ";
const char kLine32[] = "> GPUVideoRender.cpp(32) : Failed oldRT->Release(): ";

TEST_F(FailureTrace, DestinationWithoutSurfaceIsLoggedAndNothingIsDrawn) {
    SoftwareScene scene(8, 8);
    Plane plane{8, 8, std::vector<uint8_t>(64, 128)};
    ComRef<IDirect3DTexture9> tex(scene.planeTexture(plane));
    ComRef<IDirect3DTexture9> dest(scene.rgbTarget(8, 8, 0xFF00FF00u));
    scene.device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0);
    ComRef<IDirect3DSurface9> hostTarget;
    scene.device()->GetRenderTarget(0, hostTarget.out());

    GPUVideoRender render(scene.device(), effectPath("ycbcr2rgb.fxo"));
    render.setSize(8, 8);
    SoftwareD3D9FailCall(SoftwareD3D9Call::GetSurfaceLevel, 1, D3DERR_INVALIDCALL);
    scene.device()->BeginScene();
    render.render(tex.get(), tex.get(), tex.get(), dest.get());
    scene.device()->EndScene();
    SoftwareD3D9ClearFailures();

    EXPECT_EQ(logCount(kLine22), 1);
    EXPECT_EQ(SoftwareD3D9DrawCount(scene.device()), 0u);
    EXPECT_EQ(scene.readBackBuffer().at(4, 4), 0xFF0000FFu);
    EXPECT_EQ(scene.readTexture(dest.get()).at(4, 4), 0xFF00FF00u);
    ComRef<IDirect3DSurface9> targetAfter;
    scene.device()->GetRenderTarget(0, targetAfter.out());
    EXPECT_EQ(targetAfter.get(), hostTarget.get());
    targetAfter.reset();

    // The next frame, with its surface, converts normally and adds no line.
    scene.device()->BeginScene();
    render.render(tex.get(), tex.get(), tex.get(), dest.get());
    scene.device()->EndScene();
    EXPECT_EQ(logCount(kLine22), 1);
    EXPECT_EQ(SoftwareD3D9DrawCount(scene.device()), 1u);
}

// Release results are reference counts; one that is negative as a signed number is a
// failure and is logged, each surface on its own line.
TEST_F(FailureTrace, NegativeReleaseResultsAreLogged) {
    FakeDevice device;
    FakeTexture dest;
    dest.level.releaseResult = ULONG(E_FAIL);
    device.renderTarget.releaseResult = ULONG(D3DERR_INVALIDCALL);
    GPUVideoRender render(&device, L"");
    render.render(nullptr, nullptr, nullptr, &dest);

    EXPECT_EQ(logCount(kLine30), 1);
    EXPECT_EQ(logCount(std::string(kLine30) + "E_FAIL\n"), 1);
    EXPECT_EQ(logCount(kLine32), 1);
    EXPECT_EQ(dest.level.releases, 1);
    EXPECT_EQ(device.renderTarget.releases, 1);

    // Counts, however large, are not failures.
    dest.level.releaseResult = 0x7FFFFFFF;
    device.renderTarget.releaseResult = 3;
    render.render(nullptr, nullptr, nullptr, &dest);
    EXPECT_EQ(logCount(kLine30), 1);
    EXPECT_EQ(logCount(kLine32), 1);
}

// Without an effect a frame only saves and restores render target 0 and gives back the
// two surfaces.
TEST_F(FailureTrace, WithoutEffectOnlyTheRenderTargetIsSavedAndRestored) {
    FakeDevice device;
    FakeTexture dest;
    GPUVideoRender render(&device, L"");
    device.calls.clear();
    render.render(nullptr, nullptr, nullptr, &dest);
    EXPECT_EQ(device.calls,
              (std::vector<std::string>{"GetRenderTarget", "SetRenderTarget(0, rt)"}));
    EXPECT_EQ(dest.level.releases, 1);
    EXPECT_EQ(device.renderTarget.releases, 1);
}

// A destination without a surface is logged the same on any device; a missing destination
// texture is no call at all and so no line.
TEST_F(FailureTrace, MissingDestinationSurfaceOnAnyDevice) {
    FakeDevice device;
    FakeTexture dest;
    dest.getSurfaceLevelResult = D3DERR_INVALIDCALL;
    GPUVideoRender render(&device, L"");
    render.render(nullptr, nullptr, nullptr, &dest);
    EXPECT_EQ(logCount(kLine22), 1);
    EXPECT_EQ(dest.level.releases, 0);
    EXPECT_EQ(device.renderTarget.releases, 1);

    render.render(nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(logCount(kLine22), 1);
    EXPECT_EQ(device.renderTarget.releases, 2);
}

} // namespace
