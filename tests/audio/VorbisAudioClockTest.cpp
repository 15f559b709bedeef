// The audio clock against a container's timeline, through the feeder: drift, the lead,
// the re-based clock and the warning, with the millisecond timer driven by the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "AudioTestSupport.h"
#include "Platform.h"
#include "audio/VorbisAudio.h"
#include "support/ScriptedXAudio2.h"
#include "timeline/Container.h"

namespace {

using audiotest::generated;
using audiotest::outOfSyncWarnings;
using audiotest::waitUntil;
using mediagen::VorbisLink;

constexpr uint32_t kPlayMs = 5000;

std::vector<int16_t> samplesFrom(const std::vector<int16_t> &pcm, size_t frame, size_t frames) {
    return std::vector<int16_t>(pcm.begin() + frame * 2, pcm.begin() + (frame + frames) * 2);
}

// Where in the stereo reference `block` starts, searched within `slack` frames of `near`.
long long startFrameOf(const std::vector<uint8_t> &block, const std::vector<int16_t> &pcm,
                       size_t near, size_t slack = 4) {
    const size_t frames = std::min<size_t>(block.size() / 4, 256);
    std::vector<int16_t> head(frames * 2);
    std::memcpy(head.data(), block.data(), frames * 4);
    for (size_t f = near - slack; f <= near + slack; ++f) {
        if (samplesFrom(pcm, f, frames) == head) {
            return static_cast<long long>(f);
        }
    }
    return -1;
}

class VorbisAudioClockTest : public ::testing::Test {
protected:
    void SetUp() override { softwareTimerSet(kPlayMs); }
    void TearDown() override {
        if (audio) {
            audio->close();
        }
        audio.reset();
        softwareTimerUseSystem();
    }

    // Opens a stereo file, attaches it at start 0 and plays the container at kPlayMs with
    // the voice's count held at 0; block 0 then starts playing with block 1 waiting.
    void openAndPlay(const std::string &path) {
        audio = std::make_unique<VorbisAudio>(&engine);
        ASSERT_EQ(audio->openPath(path), 1);
        voice = engine.sourceVoice(0);
        ASSERT_TRUE(waitUntil([&] { return submitted() >= 2; }));
        container.attach(audio.get(), 0.0);
        voice->setSamplesPlayed(0);
        container.play();
        ASSERT_TRUE(voice->running());
        ASSERT_TRUE(voice->startNextBuffer());
    }
    size_t submitted() { return voice->submittedBuffers().size(); }
    // Starts the next block with the container's clock at `clockMs` and the voice's count
    // at `samplesPlayed`, and waits for the refill that follows.
    void refillAt(uint32_t clockMs, uint64_t samplesPlayed) {
        softwareTimerSet(kPlayMs + clockMs);
        voice->setSamplesPlayed(samplesPlayed);
        const size_t before = submitted();
        ASSERT_TRUE(voice->startNextBuffer());
        ASSERT_TRUE(waitUntil([&] { return submitted() > before; }));
    }
    size_t flushes() {
        const std::vector<std::string> calls = voice->calls();
        return static_cast<size_t>(std::count(calls.begin(), calls.end(), "Flush"));
    }

    ScriptedXAudio2 engine;
    Container container;
    std::unique_ptr<VorbisAudio> audio;
    ScriptedSourceVoice *voice = nullptr;
};

TEST_F(VorbisAudioClockTest, DriftSeeksPastThePlayingBlockAndRebasesTheClock) {
    const std::string path = generated("clock_long.ogg", VorbisLink{2, 44100, 11.0});
    const std::vector<int16_t> pcm = audiotest::decodeAll(path);
    openAndPlay(path);
    const int warnings = outOfSyncWarnings();

    // Local time 10.0 s, 500,000 frames played: the audio clock reads 11.34 s.
    refillAt(10000, 500000);
    EXPECT_EQ(outOfSyncWarnings(), warnings + 1);
    EXPECT_EQ(flushes(), 1u);
    // The seek target is 10 s + 7,904 frames (about 10.1792 s): frame 448,904.
    const ScriptedBuffer block = voice->submittedBuffers().back();
    EXPECT_NEAR(startFrameOf(block.bytes, pcm, 448904), 448904, 1);
    // The clock now reads the local time at the same count.
    EXPECT_NEAR(audio->getPosition(), 10.0, 1.0 / 44100);
}

TEST_F(VorbisAudioClockTest, ExactlyFiftyMillisecondsIsNotDrift) {
    const std::string path = generated("clock_fifty.ogg", VorbisLink{2, 44100, 5.0});
    const std::vector<int16_t> pcm = audiotest::decodeAll(path);
    openAndPlay(path);
    const int warnings = outOfSyncWarnings();

    // Local time 1.0 s; 46,305 frames would be 1.05 s but rounds above it, so measure from
    // a clock at 0: 2,205 frames are exactly 0.05 s.
    container.stop();
    ASSERT_TRUE(waitUntil([&] { return outOfSyncWarnings() == warnings + 1; }));
    ASSERT_TRUE(waitUntil([&] { return voice->queuedBuffers().size() == 2; }));
    const size_t flushesAfterStop = flushes();
    voice->setSamplesPlayed(0);
    audio->play();
    ASSERT_TRUE(voice->startNextBuffer()); // two queued: no refill

    refillAt(0, 2205);
    EXPECT_EQ(flushes(), flushesAfterStop);
    EXPECT_EQ(outOfSyncWarnings(), warnings + 1);

    refillAt(0, 2206);
    EXPECT_EQ(flushes(), flushesAfterStop + 1);
    EXPECT_EQ(outOfSyncWarnings(), warnings + 2);
    // Local time 0: the decoder restarts at 0.01 s.
    EXPECT_EQ(startFrameOf(voice->submittedBuffers().back().bytes, pcm, 441), 441);
}

TEST_F(VorbisAudioClockTest, AContainerStopRefillsFromTenMilliseconds) {
    const std::string path = generated("clock_stop.ogg", VorbisLink{2, 44100, 5.0});
    const std::vector<int16_t> pcm = audiotest::decodeAll(path);
    openAndPlay(path);
    softwareTimerSet(kPlayMs + 2000);
    const int warnings = outOfSyncWarnings();
    container.stop();
    // A stopped voice drops every block on the flush: two new ones from the new position.
    ASSERT_TRUE(waitUntil([&] { return outOfSyncWarnings() == warnings + 1; }));
    ASSERT_TRUE(waitUntil([&] { return voice->queuedBuffers().size() == 2; }));
    EXPECT_FALSE(voice->running());
    EXPECT_EQ(startFrameOf(voice->queuedBuffers()[0].bytes, pcm, 441), 441);
}

TEST_F(VorbisAudioClockTest, ATargetBeyondTheEndStillFlushesRebasesAndWarns) {
    // One second of audio: 176,400 bytes, blocks 0 and 1 full, 45,328 bytes left.
    const std::string path = generated("clock_beyond.ogg", VorbisLink{2, 44100, 1.0});
    const std::vector<uint8_t> bytes = audiotest::decodeAllBytes(path);
    openAndPlay(path);
    const int warnings = outOfSyncWarnings();

    refillAt(5000, 0);
    EXPECT_EQ(outOfSyncWarnings(), warnings + 1);
    EXPECT_EQ(flushes(), 1u);
    EXPECT_NEAR(audio->getPosition(), 5.0, 1.0 / 44100);
    // The seek failed: decoding went on where it was, to the end of the file.
    const ScriptedBuffer block = voice->submittedBuffers().back();
    EXPECT_EQ(block.bytes, std::vector<uint8_t>(bytes.begin() + 2 * 65536, bytes.end()));
    EXPECT_TRUE(block.endOfStream());

    // play sets the base back to 0: the clock reads the voice's own count.
    voice->setSamplesPlayed(44100);
    audio->play();
    EXPECT_DOUBLE_EQ(audio->getPosition(), 1.0);
}

TEST_F(VorbisAudioClockTest, AfterTheLastBlockThePositionIsTheLengthAndNothingResynchronises) {
    // One second of stereo: blocks of 16,384 frames, the file ends inside the fourth.
    const std::string path = generated("clock_end.ogg", VorbisLink{2, 44100, 1.0});
    openAndPlay(path);
    const int warnings = outOfSyncWarnings();
    // Local time 0.2 s against 30,000 frames: the base moves to about 21,180 frames, and
    // holding both keeps the clocks together for the refills that follow.
    refillAt(200, 30000);
    ASSERT_EQ(outOfSyncWarnings(), warnings + 1);
    refillAt(200, 30000);
    ASSERT_TRUE(voice->submittedBuffers().back().endOfStream());
    ASSERT_FALSE(voice->submittedBuffers().back().bytes.empty());
    refillAt(200, 30000); // the last block plays; an empty one waits behind it
    ASSERT_TRUE(voice->submittedBuffers().back().bytes.empty());
    EXPECT_NEAR(audio->getPosition(), 0.2, 1.0 / 44100);

    // The last block ends: the voice counts from 0 again, below the base.
    voice->clearStateOverrides();
    const std::ptrdiff_t calls = static_cast<std::ptrdiff_t>(voice->calls().size());
    const size_t before = submitted();
    ASSERT_TRUE(voice->startNextBuffer());
    XAUDIO2_VOICE_STATE state{};
    voice->GetState(&state);
    ASSERT_EQ(state.SamplesPlayed, 0u);
    EXPECT_DOUBLE_EQ(audio->getPosition(), 1.0);
    // Woken by the empty block, the feeder stops the voice instead of resynchronising.
    ASSERT_TRUE(waitUntil([&] { return !voice->running(); }));
    const std::vector<std::string> after = voice->calls();
    EXPECT_EQ(std::vector<std::string>(after.begin() + calls, after.end()),
              std::vector<std::string>{"Stop"});
    EXPECT_EQ(submitted(), before);
    EXPECT_EQ(outOfSyncWarnings(), warnings + 1);
    EXPECT_DOUBLE_EQ(audio->getPosition(), 1.0);
}

} // namespace
