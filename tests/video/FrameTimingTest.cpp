// Which frame update shows at each local time, with the container's clock driven by the
// test and the frame read back from the RGB texture.
#include <gtest/gtest.h>

#include "VideoTestSupport.h"

namespace {

mediagen::TheoraFile clip(int frames) {
    mediagen::TheoraFile file;
    file.frameWidth = 64;
    file.frameHeight = 64;
    file.frames = frames;
    return file;
}

std::string fiftyFrames() {
    return theoraMedia("timing50.ogv", clip(50));
}

// Shows the next frame at `seconds`, once one is queued; returns update's result.
int showAt(PlayingVideo &player, double seconds) {
    player.at(seconds);
    EXPECT_TRUE(player.waitForFrame());
    return player.video().update();
}

TEST(FrameTiming, FramesAreShownWhenDueOnePerUpdate) {
    PlayingVideo player(fiftyFrames());
    ASSERT_EQ(player.openResult(), 1);
    EXPECT_EQ(player.video().getPosition(), 0.0);
    player.play();
    ASSERT_TRUE(player.waitReady());

    EXPECT_EQ(showAt(player, 0.0), 1);
    EXPECT_EQ(player.shownFrame(), 0);
    EXPECT_EQ(player.video().getPosition(), 0.0);
    EXPECT_EQ(showAt(player, 0.0), 0) << "frame 1 is due at 0.04";
    EXPECT_EQ(showAt(player, 0.039), 0);
    EXPECT_EQ(player.shownFrame(), 0);

    EXPECT_EQ(showAt(player, 0.04), 1);
    EXPECT_EQ(player.shownFrame(), 1);
    EXPECT_DOUBLE_EQ(player.video().getPosition(), 0.04);
    EXPECT_EQ(showAt(player, 0.08), 1);
    EXPECT_EQ(player.shownFrame(), 2);
    EXPECT_DOUBLE_EQ(player.video().getPosition(), 0.08);

    // Frames 3 to 7 are all due at 0.28: each update shows the next one only.
    for (int frame = 3; frame <= 7; ++frame) {
        EXPECT_EQ(showAt(player, 0.28), 1);
        EXPECT_EQ(player.shownFrame(), frame);
    }
    EXPECT_EQ(showAt(player, 0.28), 0);
}

TEST(FrameTiming, SlowHostSeesEveryFrameInTurn) {
    PlayingVideo player(fiftyFrames());
    ASSERT_EQ(player.openResult(), 1);
    player.play();
    // Twenty host frames a second against 25 video frames: no frame is skipped to catch
    // up, so the picture falls further behind the clock.
    for (int hostFrame = 0; hostFrame < 40; ++hostFrame) {
        ASSERT_EQ(showAt(player, hostFrame * 0.05), 1) << "host frame " << hostFrame;
        ASSERT_EQ(player.shownFrame(), hostFrame);
        ASSERT_DOUBLE_EQ(player.video().getPosition(), hostFrame * 0.04);
    }
}

TEST(FrameTiming, UpdateResultsAndReadiness) {
    {
        PlayingVideo unopened("no-such-file.ogv");
        EXPECT_EQ(unopened.openResult(), -1);
        EXPECT_EQ(unopened.video().update(), -2);
        EXPECT_FALSE(unopened.video().isReady());
    }
    // Three frames never fill the queue of five.
    PlayingVideo three(theoraMedia("timing3.ogv", clip(3)));
    ASSERT_EQ(three.openResult(), 1);
    three.play();
    ASSERT_TRUE(waitUntil([&] { return three.video().state() == TheoraVideo::StreamEnd; }));
    EXPECT_EQ(three.video().queuedFrames(), 3);
    EXPECT_FALSE(three.video().isReady());

    // Seven frames: five queued, no more, until one is shown; the thread meets the end of
    // the stream only once there is room for an eighth.
    PlayingVideo seven(theoraMedia("timing7.ogv", clip(7)));
    ASSERT_EQ(seven.openResult(), 1);
    seven.play();
    ASSERT_TRUE(seven.waitReady());
    EXPECT_EQ(seven.video().queuedFrames(), 5);
    for (int shown = 0; shown < 2; ++shown) {
        EXPECT_EQ(showAt(seven, 1.0), 1);
        ASSERT_TRUE(seven.waitReady()) << "the shown frame's place is filled again";
        EXPECT_EQ(seven.video().queuedFrames(), 5);
    }
    EXPECT_EQ(seven.video().state(), TheoraVideo::Ready);
    EXPECT_EQ(showAt(seven, 1.0), 1);
    ASSERT_TRUE(waitUntil([&] { return seven.video().state() == TheoraVideo::StreamEnd; }));
    EXPECT_EQ(seven.video().queuedFrames(), 4);
    EXPECT_FALSE(seven.video().isReady());
    seven.video().close();
    EXPECT_EQ(seven.video().update(), -2);
}

TEST(FrameTiming, StopRewindsToTheFirstFrame) {
    PlayingVideo player(fiftyFrames());
    ASSERT_EQ(player.openResult(), 1);
    player.play();
    for (int frame = 0; frame <= 10; ++frame)
        ASSERT_EQ(showAt(player, frame * 0.04), 1);
    ASSERT_EQ(player.shownFrame(), 10);

    player.container().stop();
    EXPECT_DOUBLE_EQ(player.video().getPosition(), 0.4) << "the last shown time stays";
    player.play();
    ASSERT_TRUE(player.waitReady());
    EXPECT_EQ(showAt(player, 0.0), 1);
    EXPECT_EQ(player.shownFrame(), 0);
    EXPECT_EQ(player.video().getPosition(), 0.0);
    EXPECT_EQ(showAt(player, 0.04), 1);
    EXPECT_EQ(player.shownFrame(), 1);
}

TEST(FrameTiming, EndOfStreamDrainsThenStopStartsAgain) {
    PlayingVideo player(theoraMedia("timing10.ogv", clip(10)));
    ASSERT_EQ(player.openResult(), 1);
    player.play();
    for (int frame = 0; frame < 10; ++frame) {
        ASSERT_EQ(showAt(player, 5.0), 1);
        ASSERT_EQ(player.shownFrame(), frame);
    }
    // The last frame may be taken before the decode thread has found the end of the file.
    ASSERT_TRUE(waitUntil([&] { return player.video().state() == TheoraVideo::StreamEnd; }));
    EXPECT_EQ(player.video().update(), -1);
    EXPECT_DOUBLE_EQ(player.video().getPosition(), 0.36);

    // The decode thread had read to the end of the file; after stop it starts again from
    // the first page.
    player.container().stop();
    player.play();
    ASSERT_TRUE(player.waitReady());
    EXPECT_EQ(showAt(player, 0.0), 1);
    EXPECT_EQ(player.shownFrame(), 0);
}

TEST(FrameTiming, RepeatedFrameKeepsThePictureUntilTheNextIsDue) {
    mediagen::TheoraFile file = clip(12);
    file.repeatedFrames = {5, 6};
    PlayingVideo player(theoraMedia("timing-repeat.ogv", file));
    ASSERT_EQ(player.openResult(), 1);
    player.play();
    for (int frame = 0; frame <= 4; ++frame)
        ASSERT_EQ(showAt(player, frame * 0.04), 1);
    EXPECT_EQ(showAt(player, 0.24), 0) << "frames 5 and 6 are repeats: nothing new is due";
    EXPECT_EQ(player.shownFrame(), 4);
    EXPECT_EQ(showAt(player, 0.28), 1);
    EXPECT_EQ(player.shownFrame(), 7);
    EXPECT_DOUBLE_EQ(player.video().getPosition(), 0.28);
}

} // namespace
