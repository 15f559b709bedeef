// Damaged files, a missing device and failing Direct3D calls: the open ends with a
// result, playback ends, nothing leaks, and failures reach the log with their lines.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "VideoTestSupport.h"
#include "software/D3D9Hooks.h"
#include "software/Win32Threads.h"

namespace {

std::string goodFile() {
    mediagen::TheoraFile file;
    file.frameWidth = 48;
    file.frameHeight = 32;
    file.frames = 40;
    file.audio = true;
    file.keyframeInterval = 8;
    return theoraMedia("bad-source.ogv", file);
}

std::string readBytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Opens the file and, when it opens, plays every frame it yields until the stream ends.
// Returns false when playback did not end.
bool playToTheEnd(const std::string &path) {
    PlayingVideo player(path);
    if (player.openResult() != 1)
        return player.video().update() == -2;
    player.play();
    player.at(1000.0);
    for (int shown = 0; shown < 200; ++shown) {
        if (!player.waitForFrame())
            return false;
        if (player.video().update() == -1)
            return player.video().state() == TheoraVideo::StreamEnd;
    }
    return false;
}

class BadInput : public ::testing::Test {
protected:
    void SetUp() override {
        _live = SoftwareD3D9LiveObjects();
        _handles = softwareOpenHandleCount();
    }
    void TearDown() override {
        SoftwareD3D9ClearFailures();
        EXPECT_EQ(SoftwareD3D9LiveObjects(), _live) << "Direct3D objects leaked";
        EXPECT_EQ(softwareOpenHandleCount(), _handles) << "threads, events or mutexes leaked";
    }

private:
    LONG _live = 0;
    size_t _handles = 0;
};

TEST_F(BadInput, TruncatedFilesOpenOrFailAndPlaybackEnds) {
    const std::string bytes = readBytes(goodFile());
    ASSERT_GT(bytes.size(), 4000u);
    std::vector<size_t> cuts = {0, 1, 27, 28, 57, 58, 100};
    for (size_t cut = 200; cut < bytes.size(); cut += bytes.size() / 37)
        cuts.push_back(cut);
    cuts.push_back(bytes.size() - 1);
    for (size_t cut : cuts) {
        ASSERT_TRUE(mediagen::writeBytes("bad-cut.ogv", bytes.substr(0, cut)));
        EXPECT_TRUE(playToTheEnd("bad-cut.ogv")) << "cut at " << cut;
    }
}

TEST_F(BadInput, FlippedBytesOpenOrFailAndPlaybackEnds) {
    const std::string bytes = readBytes(goodFile());
    std::vector<size_t> positions;
    for (size_t at = 0; at < 400; at += 9)
        positions.push_back(at); // page headers and the three Theora headers
    for (size_t at = 400; at < bytes.size(); at += bytes.size() / 23)
        positions.push_back(at);
    for (size_t at : positions) {
        std::string damaged = bytes;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x5A);
        ASSERT_TRUE(mediagen::writeBytes("bad-flip.ogv", damaged));
        EXPECT_TRUE(playToTheEnd("bad-flip.ogv")) << "byte " << at << " flipped";
    }
}

TEST_F(BadInput, ZeroLengthAndNonOggFiles) {
    ASSERT_TRUE(mediagen::writeBytes("bad-empty.ogv", ""));
    ASSERT_TRUE(mediagen::writeBytes("bad-text.ogv", std::string(50000, 'x')));
    for (const char *path : {"bad-empty.ogv", "bad-text.ogv"}) {
        PlayingVideo player(path);
        EXPECT_EQ(player.openResult(), -1) << path;
    }
}

TEST_F(BadInput, NoDeviceFailsTheOpen) {
    installEffectFile();
    TheoraVideo video(nullptr);
    EXPECT_EQ(video.open(widePath(goodFile())), -1);
    EXPECT_EQ(video.update(), -2);
    EXPECT_EQ(video.close(), 1);
}

TEST_F(BadInput, NoThreadEventOrMutexFailsTheOpen) {
    const std::string path = goodFile();
    installEffectFile();
    SoftwareScene scene(64, 64);
    for (SoftwareKernelCall call :
         {SoftwareKernelCall::CreateThread, SoftwareKernelCall::CreateEvent,
          SoftwareKernelCall::CreateMutex}) {
        softwareFailKernelCall(call);
        TheoraVideo video(scene.device());
        softwareClearKernelFaults();
        EXPECT_EQ(video.open(widePath(path)), -1) << static_cast<int>(call);
    }
}

TEST_F(BadInput, TextureThatCannotBeCreatedIsLoggedAndNeverUsed) {
    const std::string path = goodFile();
    SoftwareD3D9FailCall(SoftwareD3D9Call::CreateTexture, 2, E_OUTOFMEMORY);
    PlayingVideo player(path);
    ASSERT_EQ(player.openResult(), 1) << "a missing texture does not fail the open";
    EXPECT_NE(logText().find("TheoraVideo.cpp(163) : Failed _pDevice->CreateTexture(_width/deciX, "
                             "_height/deciY, 1, 0, D3DFMT_L8, D3DPOOL_MANAGED, &_pMovieCbTex, "
                             "0): E_OUTOFMEMORY"),
              std::string::npos)
        << logText();
    EXPECT_EQ(player.video().textures()._pMovieCbTex, nullptr);

    // Frames are still taken in turn; without all planes the pass does not run, so the
    // RGB texture is never drawn.
    const UINT drawsBefore = SoftwareD3D9DrawCount(player.scene().device());
    player.play();
    for (int frame = 0; frame < 3; ++frame) {
        player.at(frame * 0.04);
        ASSERT_TRUE(player.waitForFrame());
        EXPECT_EQ(player.video().update(), 1);
    }
    EXPECT_DOUBLE_EQ(player.video().getPosition(), 0.08);
    EXPECT_EQ(SoftwareD3D9DrawCount(player.scene().device()), drawsBefore);
}

TEST_F(BadInput, RenderTargetThatCannotBeCreatedIsLogged) {
    const std::string path = goodFile();
    SoftwareD3D9FailCall(SoftwareD3D9Call::CreateTexture, 4, D3DERR_OUTOFVIDEOMEMORY);
    PlayingVideo player(path);
    ASSERT_EQ(player.openResult(), 1);
    EXPECT_NE(logText().find("TheoraVideo.cpp(165) : Failed _pDevice->CreateTexture(_width, "
                             "_height, 1, (0x00000001L), D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, "
                             "&_pMovieTex, 0): D3DERR_OUTOFVIDEOMEMORY"),
              std::string::npos)
        << logText();
    EXPECT_EQ(player.video().texture(), nullptr);
    player.play();
    ASSERT_TRUE(player.waitForFrame());
    EXPECT_EQ(player.video().update(), 1);
}

TEST_F(BadInput, LockThatFailsSkipsThatPlaneOnly) {
    const std::string path = goodFile();
    PlayingVideo player(path);
    ASSERT_EQ(player.openResult(), 1);
    player.play();
    ASSERT_TRUE(player.waitForFrame());
    SoftwareD3D9FailCall(SoftwareD3D9Call::LockRect, 2, D3DERR_INVALIDCALL);
    EXPECT_EQ(player.video().update(), 1);
    EXPECT_NE(logText().find("TheoraVideo.cpp(324) : Failed _pMovieCbTex->LockRect(0, &tex, 0, "
                             "0): D3DERR_INVALIDCALL"),
              std::string::npos)
        << logText();
    // The Y' plane went in, so the frame number still reads.
    EXPECT_EQ(player.shownFrame(), 0);
}

} // namespace
