// A video with music in one container, played the way a game plays it: qnv_update in
// every frame's scene, the RGB texture read back and compared with the frame the
// generator drew, the clocks read through the status exports.
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "ExpectedFrame.h"
#include "Host.h"
#include "HostMedia.h"
#include "LogFile.h"

namespace {

// Generous limits for a loaded machine: they bound waits, they are not measurements.
constexpr double kWaitSeconds = 30.0;
// A game shows at most one video frame per frame of its own; under Wine on a busy machine
// the host may manage only a few frames a second, so the video may end long after its
// four seconds.
constexpr double kWholeVideoWaitSeconds = 90.0;
// Coding loss and 4:2:0 chroma: how far a read-back colour may lie from the pattern's.
constexpr int kColourTolerance = 24;

// Compares the texture of `video` with frame `frameNumber` of the pattern at points away
// from the pattern's edges (cell borders, the red strip's border, the picture's edges).
void expectPictureOfFrame(Host &host, int video, int frameNumber) {
    const ArgbImage image = readTexture(host.device(), host.videoInfo(video).texture);
    ASSERT_FALSE(image.empty()) << "the video's texture cannot be read back";
    ExpectedFrame expected(frameNumber);
    const mediagen::PictureRegion &p = hostmedia::kPicture;
    int compared = 0;
    for (int y = p.y + p.height * 5 / 8; y < p.y + p.height * 7 / 8; y += 8) {
        for (int x = p.x + 4; x < p.x + p.width - 8; x += 12) {
            if (x >= p.x + 12 && x < p.x + 24)
                continue; // the red strip's border
            const Rgb want = expected.at(x, y);
            const uint32_t got = image.at(UINT(x), UINT(y));
            EXPECT_NEAR(want.r, red(got), kColourTolerance) << "red at " << x << "," << y;
            EXPECT_NEAR(want.g, green(got), kColourTolerance) << "green at " << x << "," << y;
            EXPECT_NEAR(want.b, blue(got), kColourTolerance) << "blue at " << x << "," << y;
            ++compared;
        }
    }
    EXPECT_GT(compared, 20);
    // The strip at the lower left is a saturated red.
    const uint32_t strip = image.at(UINT(p.x + 4), UINT(p.y + p.height * 3 / 4));
    EXPECT_GT(red(strip), 200);
    EXPECT_LT(green(strip), 60);
    EXPECT_LT(blue(strip), 60);
}

} // namespace

class Playback : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.ready()) << host.problem();
        const QuenvoExports &q = host.q();
        container = q.contrCreate();
        video = q.theoraCreate(hostmedia::kVideo);
        ASSERT_NE(0, video) << "the generated video did not open";
        music = q.vorbisCreate(hostmedia::kMusic);
        if (music == 0) {
            // No audio device or engine: the log says why, and the video goes on alone.
            const bool engine = !logLinesWith("Quenvo.cpp(153) : Failed").empty();
            const bool device = !logLinesWith("Quenvo.cpp(154) : Failed").empty();
            ASSERT_TRUE(engine || device) << "music failed to open although audio was set up";
            std::printf("no audio here (log line %s); playing the video alone\n",
                        engine ? "153" : "154");
        }
        ASSERT_EQ(1, q.contrAddTheora(container, video, 0));
        if (music) {
            ASSERT_EQ(1, q.contrAddVorbis(container, music, 0));
        }
        ASSERT_EQ(1, q.contrSetLength(container, 60.0));
    }

    // With audio set up, no platform call may fail while a game plays.
    void TearDown() override {
        if (music) {
            EXPECT_TRUE(logLinesWith(" : Failed ").empty()) << "the log holds failed calls";
        }
    }

    double clock() const { return host.containerStatus(container).time; }
    double musicTime() const {
        PlaybackStatus status = {};
        host.q().vorbisStatus(music, &status);
        return status.time;
    }

    // Plays frames until the container's clock reaches `seconds`.
    void playUntil(double seconds) {
        ASSERT_TRUE(host.framesUntil([&] { return clock() >= seconds; }, kWaitSeconds))
            << "the clock did not reach " << seconds << " s";
    }

    Host host;
    int container = 0;
    int video = 0;
    int music = 0;
};

TEST_F(Playback, InfoDescribesTheStream) {
    const VideoInfo info = host.videoInfo(video);
    EXPECT_EQ(hostmedia::kFrameWidth, info.frameWidth) << "the frame, not the picture region";
    EXPECT_EQ(hostmedia::kFrameHeight, info.frameHeight);
    EXPECT_EQ(hostmedia::kFramesPerSecond, info.framesPerSecond);
    EXPECT_FLOAT_EQ(hostmedia::kPixelAspect, info.pixelAspect);
    EXPECT_NEAR(hostmedia::kVideoSeconds, info.length, 0.05);
    ASSERT_NE(nullptr, info.texture);

    D3DSURFACE_DESC desc;
    ASSERT_EQ(D3D_OK, info.texture->GetLevelDesc(0, &desc));
    EXPECT_EQ(D3DFMT_A8R8G8B8, desc.Format);
    EXPECT_EQ(UINT(D3DUSAGE_RENDERTARGET), desc.Usage & D3DUSAGE_RENDERTARGET);
    EXPECT_EQ(D3DPOOL_DEFAULT, desc.Pool);
    EXPECT_EQ(UINT(hostmedia::kFrameWidth), desc.Width);
    EXPECT_EQ(UINT(hostmedia::kFrameHeight), desc.Height);
}

TEST_F(Playback, PlayPauseResumeStopAndLength) {
    const QuenvoExports &q = host.q();

    // Play: frames come in order and show the pattern; the music follows the clock.
    q.contrPlay(container);
    EXPECT_EQ(1, host.containerStatus(container).state);
    playUntil(1.2);
    const int playing = host.shownFrame(video);
    const double clockAtRead = clock();
    EXPECT_GT(playing, 0) << "no frame after 1.2 s of play";
    EXPECT_LE(playing, int(clockAtRead * hostmedia::kFramesPerSecond) + 1)
        << "a frame was shown before its time";
    expectPictureOfFrame(host, video, playing);
    if (music) {
        const double audio = musicTime();
        EXPECT_GT(audio, 0.3) << "the music's position does not advance";
        EXPECT_NEAR(clock(), audio, 0.5) << "the music does not follow the container";
    }

    // Pause: the clock, the picture and the music hold.
    q.contrPause(container);
    const PlaybackStatus paused = host.containerStatus(container);
    EXPECT_EQ(2, paused.state);
    const int pausedFrame = host.shownFrame(video);
    const double pausedMusic = music ? musicTime() : 0.0;
    host.framesFor(0.5);
    EXPECT_EQ(paused.time, clock());
    EXPECT_EQ(pausedFrame, host.shownFrame(video));
    if (music) {
        EXPECT_EQ(pausedMusic, musicTime());
    }

    // Resume: the clock continues from where it held.
    q.contrPlay(container);
    EXPECT_LT(clock(), paused.time + 0.2) << "the pause did not hold the clock";
    playUntil(paused.time + 0.6);
    const int resumed = host.shownFrame(video);
    EXPECT_GT(resumed, pausedFrame);
    if (music) {
        EXPECT_GT(musicTime(), pausedMusic + 0.2);
    }

    // Stop rewinds: after the next play the first new frame shown is frame 0.
    q.contrStop(container);
    EXPECT_EQ(0, host.containerStatus(container).state);
    EXPECT_EQ(0.0, clock());
    q.contrPlay(container);
    int firstAfterStop = resumed;
    ASSERT_TRUE(host.framesUntil(
        [&] {
            firstAfterStop = host.shownFrame(video);
            return firstAfterStop != resumed;
        },
        kWaitSeconds));
    EXPECT_EQ(0, firstAfterStop);

    // Length: the container stops itself once its clock reaches it.
    ASSERT_EQ(1, q.contrSetLength(container, 1.0));
    ASSERT_TRUE(
        host.framesUntil([&] { return host.containerStatus(container).state == 0; }, kWaitSeconds))
        << "the container did not stop at its length";
    EXPECT_EQ(0.0, clock());
    EXPECT_DOUBLE_EQ(1.0, host.containerStatus(container).length);

    // Freeing the container frees its media.
    EXPECT_EQ(1, q.contrFree(container));
    PlaybackStatus status;
    VideoInfo info;
    EXPECT_EQ(0, q.theoraStatus(video, &status));
    EXPECT_EQ(0, q.theoraInfo(video, &info));
    if (music) {
        EXPECT_EQ(0, q.vorbisStatus(music, &status));
    }
    EXPECT_EQ(0, q.contrFree(container));
}

TEST_F(Playback, TheWholeVideoPlaysToItsEnd) {
    const QuenvoExports &q = host.q();
    q.contrPlay(container);
    // Read after every qnv_update, the texture must show each frame in turn: one update
    // shows at most one frame, and none is left out.
    int last = -1;
    int outOfStep = 0;
    host.framesUntil(
        [&] {
            const int shown = host.shownFrame(video);
            if (shown >= 0 && shown != last && shown != last + 1)
                ++outOfStep;
            last = shown >= 0 ? shown : last;
            return last == hostmedia::kFrames - 1;
        },
        kWholeVideoWaitSeconds);
    const PlaybackStatus shown = host.mediaStatus(video);
    EXPECT_EQ(hostmedia::kFrames - 1, last)
        << "the last frame was never shown; at clock " << clock() << " s the video's position is "
        << shown.time << " s, ready " << shown.ready;
    EXPECT_EQ(0, outOfStep) << "frames were shown out of order or left out";
    EXPECT_EQ(1, q.contrFree(container));
}

TEST(PlaybackOffsets, MusicStartsWhenTheClockReachesItsOffset) {
    Host host;
    ASSERT_TRUE(host.ready()) << host.problem();
    const QuenvoExports &q = host.q();
    const int container = q.contrCreate();
    const int video = q.theoraCreate(hostmedia::kVideo);
    const int music = q.vorbisCreate(hostmedia::kMusic);
    ASSERT_NE(0, video);
    if (music == 0)
        GTEST_SKIP() << "no audio engine here";
    ASSERT_EQ(1, q.contrAddTheora(container, video, 0));
    ASSERT_EQ(1, q.contrAddVorbis(container, music, 1));
    ASSERT_EQ(1, q.contrSetLength(container, 60.0));
    q.contrPlay(container);

    PlaybackStatus status = {};
    const auto musicPosition = [&] {
        q.vorbisStatus(music, &status);
        return status.time;
    };
    ASSERT_TRUE(host.framesUntil([&] { return host.containerStatus(container).time >= 0.7; },
                                 kWaitSeconds));
    EXPECT_EQ(0.0, musicPosition()) << "the music started before its offset";
    EXPECT_GT(host.shownFrame(video), 0) << "the video started at once";
    ASSERT_TRUE(host.framesUntil([&] { return host.containerStatus(container).time >= 2.0; },
                                 kWaitSeconds));
    // Started at 1 s on the container's clock, the music is about a second in.
    EXPECT_NEAR(1.0, musicPosition(), 0.5);
    EXPECT_EQ(1, q.contrFree(container));
}
