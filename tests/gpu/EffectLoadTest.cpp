// An effect that does not load shows one "Fx Compile Error" box and leaves a pass that
// draws nothing; so does a quad that could not be built. Neither crashes or leaks.
#include <gtest/gtest.h>

#include <cstring>

#include "SoftwareScene.h"
#include "gpu/EffectMessage.h"
#include "gpu/GPUVideoRender.h"

namespace {

constexpr int kSize = 8;
constexpr D3DCOLOR kUntouched = 0xFF654321u;
constexpr D3DCOLOR kHostColour = 0xFF0A0B0Cu;

struct Outcome {
    std::vector<SoftwareMessageBox> boxes;
    UINT draws = 0;
    uint32_t destCentre = 0;
    uint32_t backCorner = 0;
    bool hostTargetBack = false;
    LONG leaked = 0;
};

// Builds a pass with the effect file, renders one frame with it, and reports what the
// host could see.
Outcome renderOnce(const std::wstring &effectFile) {
    Outcome outcome;
    const LONG before = SoftwareD3D9LiveObjects();
    softwareCaptureMessageBoxes(true);
    {
        SoftwareScene scene(kSize, kSize);
        Plane plane{kSize, kSize, std::vector<uint8_t>(kSize * kSize, 200)};
        ComRef<IDirect3DTexture9> texY(scene.planeTexture(plane));
        ComRef<IDirect3DTexture9> texC(scene.planeTexture(plane));
        ComRef<IDirect3DTexture9> dest(scene.rgbTarget(kSize, kSize, kUntouched));
        ComRef<IDirect3DSurface9> hostTarget;
        scene.device()->GetRenderTarget(0, hostTarget.out());
        scene.device()->Clear(0, nullptr, D3DCLEAR_TARGET, kHostColour, 1.0f, 0);
        {
            GPUVideoRender render(scene.device(), effectFile);
            render.setSize(kSize, kSize);
            scene.device()->BeginScene();
            render.render(texY.get(), texC.get(), texC.get(), dest.get());
            scene.device()->EndScene();
        }
        outcome.draws = SoftwareD3D9DrawCount(scene.device());
        outcome.destCentre = scene.readTexture(dest.get()).at(kSize / 2, kSize / 2);
        outcome.backCorner = scene.readBackBuffer().at(0, 0);
        ComRef<IDirect3DSurface9> targetAfter;
        scene.device()->GetRenderTarget(0, targetAfter.out());
        outcome.hostTargetBack = targetAfter.get() == hostTarget.get();
    }
    softwareCaptureMessageBoxes(false);
    outcome.boxes = softwareTakeMessageBoxes();
    outcome.leaked = SoftwareD3D9LiveObjects() - before;
    SoftwareD3D9ClearFailures();
    return outcome;
}

void expectNothingDrawn(const Outcome &outcome) {
    EXPECT_EQ(outcome.draws, 0u);
    EXPECT_EQ(outcome.destCentre, kUntouched);
    EXPECT_EQ(outcome.backCorner, kHostColour);
    EXPECT_TRUE(outcome.hostTargetBack);
    EXPECT_EQ(outcome.leaked, 0);
}

void expectOneWarningBox(const Outcome &outcome) {
    ASSERT_EQ(outcome.boxes.size(), 1u);
    EXPECT_EQ(outcome.boxes[0].caption, L"Fx Compile Error");
    EXPECT_EQ(outcome.boxes[0].type, UINT(MB_OK | MB_ICONWARNING));
    EXPECT_FALSE(outcome.boxes[0].text.empty());
}

TEST(EffectLoad, MissingFileShowsTheBoxAndDrawsNothing) {
    Outcome outcome = renderOnce(effectPath("no_such_effect.fxo"));
    expectOneWarningBox(outcome);
    expectNothingDrawn(outcome);
}

TEST(EffectLoad, DamagedFilesShowTheBoxAndDrawNothing) {
    for (const char *file :
         {"truncated.fxo", "garbage.fxo", "bad_area_size.fxo", "bad_type_offset.fxo"}) {
        SCOPED_TRACE(file);
        Outcome outcome = renderOnce(effectPath(file));
        expectOneWarningBox(outcome);
        expectNothingDrawn(outcome);
    }
}

// The box carries the loader's own message.
TEST(EffectLoad, BoxShowsTheLoadersMessage) {
    SoftwareD3D9FailCall(SoftwareD3D9Call::CreateEffect, 1, E_OUTOFMEMORY);
    Outcome outcome = renderOnce(effectPath("ycbcr2rgb.fxo"));
    expectOneWarningBox(outcome);
    EXPECT_EQ(outcome.boxes[0].text, L"injected failure");
    expectNothingDrawn(outcome);
}

ID3DXBuffer *bufferHolding(const std::string &bytes) {
    ID3DXBuffer *buffer = nullptr;
    if (SUCCEEDED(D3DXCreateBuffer(DWORD(bytes.size()), &buffer))) {
        std::memcpy(buffer->GetBufferPointer(), bytes.data(), bytes.size());
    }
    return buffer;
}

TEST(EffectLoad, BoxTextFromTheLoadersBuffer) {
    ComRef<ID3DXBuffer> withNul(bufferHolding(std::string("line 3: bad\0after", 17)));
    EXPECT_EQ(effectLoadMessage(withNul.get(), L"x.fxo", E_FAIL), L"line 3: bad");
    // No NUL inside: the buffer's size ends the text; bytes above 0x7F read as Latin-1.
    ComRef<ID3DXBuffer> unterminated(bufferHolding("caf\xE9"));
    EXPECT_EQ(effectLoadMessage(unterminated.get(), L"x.fxo", E_FAIL), L"caf\u00E9");
    // A missing file may come back with no message at all: the box still says what failed.
    EXPECT_EQ(effectLoadMessage(nullptr, L"ycbcr2rgb.fxo", MAKE_HRESULT_VALUE(0x88760B59u)),
              L"The effect file \"ycbcr2rgb.fxo\" could not be loaded (result 0x88760B59).");
    ComRef<ID3DXBuffer> empty(bufferHolding(std::string(1, '\0')));
    EXPECT_EQ(effectLoadMessage(empty.get(), L"a.fxo", E_OUTOFMEMORY),
              L"The effect file \"a.fxo\" could not be loaded (result 0x8007000E).");
}

TEST(EffectLoad, EmptyPathMeansNoEffectAndNoBox) {
    Outcome outcome = renderOnce(L"");
    EXPECT_TRUE(outcome.boxes.empty());
    expectNothingDrawn(outcome);
}

// Without the quad's declaration or a filled vertex buffer there is nothing sound to draw:
// the pass behaves as if it had no effect, quietly.
TEST(EffectLoad, QuadThatCannotBeBuiltMeansNoEffect) {
    for (SoftwareD3D9Call call :
         {SoftwareD3D9Call::CreateVertexDeclaration, SoftwareD3D9Call::CreateVertexBuffer,
          SoftwareD3D9Call::VertexBufferLock}) {
        SCOPED_TRACE(int(call));
        SoftwareD3D9FailCall(call, 1, E_OUTOFMEMORY);
        Outcome outcome = renderOnce(effectPath("ycbcr2rgb.fxo"));
        EXPECT_TRUE(outcome.boxes.empty());
        expectNothingDrawn(outcome);
    }
}

// Without a device there is nothing to load the effect on and nothing to draw with.
TEST(EffectLoad, NullDeviceMakesNoCall) {
    softwareCaptureMessageBoxes(true);
    {
        GPUVideoRender render(nullptr, effectPath("ycbcr2rgb.fxo"));
        render.render(nullptr, nullptr, nullptr, nullptr);
        render.drawQuad();
    }
    softwareCaptureMessageBoxes(false);
    EXPECT_TRUE(softwareTakeMessageBoxes().empty());
}

} // namespace
