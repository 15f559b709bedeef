// The clock arithmetic at its boundaries and the worked examples.
#include <gtest/gtest.h>

#include "audio/AudioClock.h"

namespace {

constexpr uint64_t kMinusOneSecondAt44k = ~uint64_t{0} - 44100 + 1; // -44,100 modulo 2^64

TEST(AudioClock, FramesPerBlockDropTheRemainder) {
    EXPECT_EQ(AudioClock::framesPerBlock(1), 32768u);
    EXPECT_EQ(AudioClock::framesPerBlock(2), 16384u);
    EXPECT_EQ(AudioClock::framesPerBlock(6), 5461u);
    EXPECT_EQ(AudioClock::framesPerBlock(0), 0u);
}

TEST(AudioClock, AudioTimeIsTheUnsignedFrameDifferenceOverTheRate) {
    EXPECT_DOUBLE_EQ(AudioClock::audioTime(88200, 0, 44100), 2.0);
    EXPECT_DOUBLE_EQ(AudioClock::audioTime(88200 + 500, 500, 44100), 2.0);
    // A base below zero is kept modulo 2^64: one second before frame 0.
    EXPECT_DOUBLE_EQ(AudioClock::audioTime(0, kMinusOneSecondAt44k, 44100), 1.0);
    EXPECT_DOUBLE_EQ(AudioClock::audioTime(44100, kMinusOneSecondAt44k, 44100), 2.0);
}

TEST(AudioClock, DriftIsMoreThanFiftyMilliseconds) {
    // 2,205 frames at 44,100 Hz are exactly the double nearest 0.05.
    const double fiftyMs = AudioClock::audioTime(2205, 0, 44100);
    ASSERT_EQ(fiftyMs, 0.05);
    EXPECT_FALSE(AudioClock::isDrift(fiftyMs, 0.0));
    EXPECT_FALSE(AudioClock::isDrift(0.0, fiftyMs));
    EXPECT_TRUE(AudioClock::isDrift(0.0500001, 0.0));
    EXPECT_TRUE(AudioClock::isDrift(0.0, 0.0500001));
    EXPECT_TRUE(AudioClock::isDrift(AudioClock::audioTime(2206, 0, 44100), 0.0));
    EXPECT_FALSE(AudioClock::isDrift(10.0, 10.0));
}

TEST(AudioClock, LeadIsTheRestOfThePlayingBlock) {
    // Stereo 44,100 Hz, local time 10 s, 500,000 frames played: f = 16,384, r = 8,480.
    ASSERT_EQ(500000u % AudioClock::framesPerBlock(2), 8480u);
    const double lead = AudioClock::resyncLead(10.0, 500000, 2, 44100);
    EXPECT_DOUBLE_EQ(lead, 7904.0 / 44100.0);
    EXPECT_NEAR(10.0 + lead, 10.1792, 0.00005);

    // Six channels: blocks of 5,461 frames.
    EXPECT_DOUBLE_EQ(AudioClock::resyncLead(3.0, 5461 * 4 + 461, 6, 48000), 5000.0 / 48000.0);
    // On a block boundary the lead is a whole block.
    EXPECT_DOUBLE_EQ(AudioClock::resyncLead(1.0, 16384 * 3, 2, 44100), 16384.0 / 44100.0);
}

TEST(AudioClock, LeadAtLocalTimeZeroIsTenMilliseconds) {
    EXPECT_EQ(AudioClock::resyncLead(0.0, 0, 2, 44100), 0.01);
    EXPECT_EQ(AudioClock::resyncLead(0.0, 500000, 2, 44100), 0.01);
    EXPECT_EQ(AudioClock::resyncLead(0.0, 123, 6, 22050), 0.01);
    // Just after zero the block rule applies again.
    EXPECT_DOUBLE_EQ(AudioClock::resyncLead(0.001, 0, 2, 44100), 16384.0 / 44100.0);
}

TEST(AudioClock, RebasedClockReadsTheLocalTime) {
    // Audio ahead: the base moves forward by the difference.
    EXPECT_EQ(AudioClock::rebasedSamplesBase(10.5, 10.0, 44100, 1000), 1000u + 22050u);
    // Worked example: 500,000 frames played from base 0 against local time 10 s.
    const double audio = AudioClock::audioTime(500000, 0, 44100);
    const uint64_t base = AudioClock::rebasedSamplesBase(audio, 10.0, 44100, 0);
    // (11.3378... - 10) x 44,100 lands just below 59,000 and is truncated.
    EXPECT_EQ(base, 58999u);
    EXPECT_NEAR(AudioClock::audioTime(500000, base, 44100), 10.0, 1.0 / 44100);

    // Local time ahead of every frame played: the base goes below zero, modulo 2^64, and
    // the clock still reads the local time.
    const uint64_t behind = AudioClock::rebasedSamplesBase(3.0, 10.0, 44100, 0);
    EXPECT_EQ(behind, ~uint64_t{0} - 308700 + 1);
    EXPECT_DOUBLE_EQ(AudioClock::audioTime(132300, behind, 44100), 10.0);
    // ...and a base below zero is carried exactly into the next re-basing.
    EXPECT_EQ(AudioClock::rebasedSamplesBase(11.0, 10.0, 44100, behind), ~uint64_t{0} - 264600 + 1);
}

TEST(AudioClock, RebasingTruncatesTowardZero) {
    // 5 - 0.7 = 4.3 -> 4; 0 - 0.7 = -0.7 -> 0 (not -1).
    EXPECT_EQ(AudioClock::rebasedSamplesBase(0.0, 0.07, 10, 5), 4u);
    EXPECT_EQ(AudioClock::rebasedSamplesBase(0.0, 0.07, 10, 0), 0u);
    EXPECT_EQ(AudioClock::rebasedSamplesBase(0.0, 0.13, 10, 0), ~uint64_t{0}); // -1.3 -> -1
}

TEST(AudioClock, RebasingAFarOffReadingStaysDefined) {
    // The voice's count restarts at 0 after an end-of-stream block while the base stays:
    // the clock then reads about 4e14 s. Re-basing must still land near the local time.
    const double farOff = AudioClock::audioTime(0, 1000, 44100);
    ASSERT_GT(farOff, 1e14);
    const uint64_t base = AudioClock::rebasedSamplesBase(farOff, 1.0, 44100, 1000);
    EXPECT_NEAR(AudioClock::audioTime(0, base, 44100), 1.0, 0.1);
}

} // namespace
