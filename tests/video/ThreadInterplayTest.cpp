// The host's stop, close and free against a decode thread in the middle of its work.
#include <gtest/gtest.h>

#include "VideoTestSupport.h"
#include "software/D3D9Hooks.h"
#include "software/Win32Threads.h"

namespace {

std::string busyFile() {
    mediagen::TheoraFile file;
    file.frameWidth = 160;
    file.frameHeight = 128;
    file.frames = 60;
    file.grain = true; // frames that take the decoder a while
    return theoraMedia("interplay.ogv", file);
}

TEST(ThreadInterplay, StopDuringDecodingAlwaysStartsAgainAtTheFirstFrame) {
    PlayingVideo player(busyFile());
    ASSERT_EQ(player.openResult(), 1);
    player.play();
    for (int round = 0; round < 25; ++round) {
        player.at(0.0);
        ASSERT_TRUE(player.waitForFrame());
        ASSERT_EQ(player.video().update(), 1) << "round " << round;
        ASSERT_EQ(player.shownFrame(), 0) << "round " << round;
        ASSERT_EQ(player.video().getPosition(), 0.0);
        // A few more frames, so that the thread is decoding again, then stop at once.
        for (int frame = 1; frame <= round % 4; ++frame) {
            player.at(frame * 0.04);
            ASSERT_TRUE(player.waitForFrame());
            ASSERT_EQ(player.video().update(), 1);
        }
        player.container().stop();
        player.play();
    }
}

TEST(ThreadInterplay, CloseAndDestroyWhileTheThreadDecodes) {
    const std::string path = busyFile();
    installEffectFile();
    const LONG live = SoftwareD3D9LiveObjects();
    const size_t handles = softwareOpenHandleCount();
    {
        SoftwareScene scene(64, 64);
        for (int round = 0; round < 20; ++round) {
            TheoraVideo video(scene.device());
            ASSERT_EQ(video.open(widePath(path)), 1);
            // Without waiting: the thread has just been woken and is inside its first cycles.
            if (round % 2 == 0) {
                EXPECT_EQ(video.close(), 1);
            }
        }
    }
    EXPECT_EQ(SoftwareD3D9LiveObjects(), live);
    EXPECT_EQ(softwareOpenHandleCount(), handles);
}

} // namespace
