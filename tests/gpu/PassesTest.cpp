// One draw per pass of the technique, into the destination, and none when Begin does not
// answer exactly S_OK.
#include <gtest/gtest.h>

#include "Bt601Reference.h"
#include "SoftwareScene.h"
#include "gpu/GPUVideoRender.h"

namespace {

constexpr int kSize = 8;
constexpr D3DCOLOR kUntouched = 0xFF123456u;

// A 4:4:4 white frame, its destination, and a pass loaded from one of the effect files.
class Passes : public ::testing::Test {
protected:
    Passes() {
        Plane y{kSize, kSize, std::vector<uint8_t>(kSize * kSize, 235)};
        Plane chroma{kSize, kSize, std::vector<uint8_t>(kSize * kSize, 128)};
        *_texY.out() = _scene.planeTexture(y);
        *_texCb.out() = _scene.planeTexture(chroma);
        *_texCr.out() = _scene.planeTexture(chroma);
        *_dest.out() = _scene.rgbTarget(kSize, kSize, kUntouched);
    }
    ~Passes() override { SoftwareD3D9ClearFailures(); }

    // Renders one frame with the named effect file; returns the draws it made.
    UINT renderWith(const char *effectFile) {
        GPUVideoRender render(_scene.device(), effectPath(effectFile));
        render.setSize(kSize, kSize);
        const UINT drawsBefore = SoftwareD3D9DrawCount(_scene.device());
        _scene.device()->BeginScene();
        render.render(_texY.get(), _texCb.get(), _texCr.get(), _dest.get());
        _scene.device()->EndScene();
        return SoftwareD3D9DrawCount(_scene.device()) - drawsBefore;
    }

    uint32_t destCentre() { return _scene.readTexture(_dest.get()).at(kSize / 2, kSize / 2); }

    bool lastDrawWentToTheDestination() {
        ComRef<IDirect3DSurface9> destLevel;
        _dest->GetSurfaceLevel(0, destLevel.out());
        return SoftwareD3D9LastDrawTarget(_scene.device()) == destLevel.get();
    }

    bool hostTargetIsBack() {
        ComRef<IDirect3DSurface9> target, back;
        _scene.device()->GetRenderTarget(0, target.out());
        _scene.device()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.out());
        return target.get() == back.get();
    }

    SoftwareScene _scene{kSize, kSize};
    ComRef<IDirect3DTexture9> _texY, _texCb, _texCr, _dest;
};

TEST_F(Passes, OnePassDrawsOnceIntoTheDestination) {
    EXPECT_EQ(renderWith("ycbcr2rgb.fxo"), 1u);
    EXPECT_TRUE(lastDrawWentToTheDestination());
    EXPECT_EQ(destCentre(), 0xFFFFFFFFu);
    EXPECT_TRUE(hostTargetIsBack());
}

TEST_F(Passes, ZeroPassesDrawNothing) {
    EXPECT_EQ(renderWith("zero_passes.fxo"), 0u);
    EXPECT_EQ(destCentre(), kUntouched);
    EXPECT_TRUE(hostTargetIsBack());
}

TEST_F(Passes, SeveralPassesDrawOncePerPassIntoTheDestination) {
    EXPECT_EQ(renderWith("three_passes.fxo"), 3u);
    EXPECT_TRUE(lastDrawWentToTheDestination());
    EXPECT_EQ(destCentre(), 0xFFFFFFFFu);
    EXPECT_TRUE(hostTargetIsBack());
}

TEST_F(Passes, BeginOtherThanSOkRunsNoPass) {
    for (HRESULT result : {S_FALSE, E_FAIL}) {
        SCOPED_TRACE(result);
        SoftwareD3D9FailCall(SoftwareD3D9Call::EffectBegin, 1, result);
        EXPECT_EQ(renderWith("ycbcr2rgb.fxo"), 0u);
        EXPECT_EQ(destCentre(), kUntouched);
        EXPECT_TRUE(hostTargetIsBack());
    }
    // Nothing was left half begun: the next frame converts as usual.
    EXPECT_EQ(renderWith("ycbcr2rgb.fxo"), 1u);
    EXPECT_EQ(destCentre(), 0xFFFFFFFFu);
}

// A destination the device will not take as render target 0 (here a managed plane
// texture) must not send the quad into the host's back buffer instead.
TEST_F(Passes, DestinationThatIsNoRenderTargetIsNotDrawnOver) {
    _scene.device()->Clear(0, nullptr, D3DCLEAR_TARGET, kUntouched, 1.0f, 0);
    GPUVideoRender render(_scene.device(), effectPath("ycbcr2rgb.fxo"));
    render.setSize(kSize, kSize);
    _scene.device()->BeginScene();
    render.render(_texY.get(), _texCb.get(), _texCr.get(), _texCb.get());
    _scene.device()->EndScene();
    EXPECT_EQ(SoftwareD3D9DrawCount(_scene.device()), 0u);
    EXPECT_EQ(_scene.readBackBuffer().at(kSize / 2, kSize / 2), kUntouched);
    EXPECT_TRUE(hostTargetIsBack());
}

// The effect's own business: selecting a technique it lacks goes unnoticed, and whatever
// the effect then does, the host gets its render target back.
TEST_F(Passes, MissingTechniqueDoesNoHarm) {
    EXPECT_LE(renderWith("other_technique.fxo"), 1u);
    EXPECT_TRUE(hostTargetIsBack());
}

} // namespace
