// A video whose effect file is missing: the "Fx Compile Error" box comes up (answered
// here as a user would) and does not hold the game up; the video decodes but draws
// nothing, and the game's own render target and depth buffer are left as they were.
// run-host.sh runs this in a folder without ycbcr2rgb.fxo.
#include <string>

#include <gtest/gtest.h>

#include "Host.h"
#include "HostMedia.h"
#include "MessageBoxAnswerer.h"
#include "Released.h"

TEST(MissingEffect, WarnsOnceAndLeavesTheGamesTargetAlone) {
    ASSERT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L"ycbcr2rgb.fxo"))
        << "run this where there is no ycbcr2rgb.fxo";
    Host host;
    ASSERT_TRUE(host.ready()) << host.problem();
    const QuenvoExports &q = host.q();
    MessageBoxAnswerer answerer(L"Fx Compile Error");

    const int video = q.theoraCreate(hostmedia::kVideo);
    ASSERT_NE(0, video) << "a missing effect must not stop the video from opening";
    ASSERT_EQ(1, answerer.answered());
    const std::wstring text = answerer.texts().front();
    EXPECT_NE(std::wstring::npos, text.find(L"ycbcr2rgb.fxo"))
        << "the box should name the effect file it could not load";
    const int container = q.contrCreate();
    ASSERT_EQ(1, q.contrAddTheora(container, video, 0));
    q.contrPlay(container);

    Released<IDirect3DSurface9> backBuffer, depth;
    ASSERT_EQ(D3D_OK, host.device()->GetRenderTarget(0, &backBuffer.pointer));
    ASSERT_EQ(D3D_OK, host.device()->GetDepthStencilSurface(&depth.pointer));
    int checkedFrames = 0;
    bool targetKept = true;
    const auto checkTarget = [&] {
        Released<IDirect3DSurface9> target, depthNow;
        host.device()->GetRenderTarget(0, &target.pointer);
        host.device()->GetDepthStencilSurface(&depthNow.pointer);
        targetKept =
            targetKept && target.pointer == backBuffer.pointer && depthNow.pointer == depth.pointer;
        const ArgbImage image = readRenderTarget(host.device());
        for (uint32_t pixel : image.pixels)
            targetKept = targetKept && (pixel & 0xFFFFFF) == (Host::kClearColour & 0xFFFFFF);
        targetKept = targetKept && !image.empty();
        ++checkedFrames;
    };
    // The target is read back inside the scene, right after qnv_update.
    const double end = hostSeconds() + 30.0;
    bool decoded = false;
    while (!decoded && hostSeconds() < end) {
        host.frame(checkTarget);
        decoded = host.containerStatus(container).time > 1.0 && host.mediaStatus(video).time > 0.5;
    }
    EXPECT_TRUE(decoded) << "the video did not advance without its effect";
    EXPECT_TRUE(targetKept) << "the game's render target or depth buffer changed";
    EXPECT_GT(checkedFrames, 5);
    EXPECT_EQ(1, answerer.answered()) << "one box per video, at its creation only";

    EXPECT_EQ(1, q.contrFree(container));
}
