#include <gtest/gtest.h>

#include "PlaybackStats.h"

namespace {

constexpr double kHostPeriod = 1.0 / 60.0;
constexpr uint64_t kBlank = 1;

VideoSample sample(double localTime, int frameNumber, uint64_t hash, double shownTime = 0.0) {
    VideoSample s;
    s.localTime = localTime;
    s.frameNumber = frameNumber;
    s.pictureHash = hash;
    s.shownTime = shownTime;
    return s;
}

} // namespace

TEST(VideoStats, CountsEachFrameOnceAndNothingBeforeTheTextureChanges) {
    VideoStats stats(kHostPeriod, kBlank);
    // A black texture reads as frame 0; it is not a frame shown.
    EXPECT_FALSE(stats.take(sample(0.0, 0, kBlank)));
    EXPECT_TRUE(stats.take(sample(0.001, 0, 100)));
    EXPECT_FALSE(stats.take(sample(0.017, 0, 100)));
    EXPECT_TRUE(stats.take(sample(0.041, 1, 101, 0.04)));
    EXPECT_FALSE(stats.take(sample(0.058, 1, 101, 0.04)));
    EXPECT_EQ(stats.framesShown(), 2);
    EXPECT_EQ(stats.lastFrameNumber(), 1);
    EXPECT_EQ(stats.lateFrames(), 0);
    EXPECT_EQ(stats.skippedFrames(), 0);
}

TEST(VideoStats, LateMeansMoreThanOneHostFrameAfterTheFrameWasDue) {
    VideoStats stats(kHostPeriod, kBlank);
    // Frame 2 is due at 0.08 s: shown exactly one host frame later is still on time.
    stats.take(sample(0.08 + kHostPeriod, 2, 10, 0.08));
    EXPECT_EQ(stats.lateFrames(), 0);
    stats.take(sample(0.12 + kHostPeriod + 0.0005, 3, 11, 0.12));
    EXPECT_EQ(stats.lateFrames(), 1);
    EXPECT_NEAR(stats.worstDelay(), kHostPeriod + 0.0005, 1e-9);
    EXPECT_EQ(stats.framesShown(), 2);
}

TEST(VideoStats, GapsInFrameNumbersAreSkippedFrames) {
    VideoStats stats(kHostPeriod, kBlank);
    stats.take(sample(0.0, 0, 10, 0.0));
    stats.take(sample(0.04, 1, 11, 0.04));
    stats.take(sample(0.16, 4, 12, 0.16)); // 2 and 3 never shown
    stats.take(sample(0.2, 5, 13, 0.2));
    EXPECT_EQ(stats.skippedFrames(), 2);
    EXPECT_EQ(stats.framesShown(), 4);
}

TEST(VideoStats, PicturesWithoutNumbersCountByChange) {
    VideoStats stats(kHostPeriod, kBlank);
    EXPECT_TRUE(stats.take(sample(0.01, -1, 20, 0.0)));
    EXPECT_FALSE(stats.take(sample(0.03, -1, 20, 0.0)));
    EXPECT_TRUE(stats.take(sample(0.05, -1, 21, 0.04)));
    // Due at 0.08, seen at 0.2: late.
    EXPECT_TRUE(stats.take(sample(0.2, -1, 22, 0.08)));
    EXPECT_EQ(stats.framesShown(), 3);
    EXPECT_EQ(stats.lateFrames(), 1);
    EXPECT_EQ(stats.skippedFrames(), 0);
}

TEST(VideoStats, DueTimesFollowTheLibraryAtFractionalFrameRates) {
    // 30000/1001 frames a second: frame 300 is due at 10.01 s, where whole frames per
    // second (29) would put it at 10.34 s and hide its lateness.
    VideoStats stats(kHostPeriod, kBlank);
    stats.take(sample(10.01 + 2 * kHostPeriod, 300, 10, 300 * 1001.0 / 30000.0));
    EXPECT_EQ(stats.lateFrames(), 1);
    EXPECT_NEAR(stats.worstDelay(), 2 * kHostPeriod, 1e-9);
}

TEST(AudioOffsetStats, MeanLastAndWorstOfAudioMinusTimeline) {
    AudioOffsetStats stats;
    EXPECT_EQ(stats.samples(), 0);
    EXPECT_EQ(stats.meanOffset(), 0.0);
    stats.take(1.02, 1.0);
    stats.take(1.95, 2.0);
    stats.take(3.01, 3.0);
    EXPECT_EQ(stats.samples(), 3);
    EXPECT_NEAR(stats.meanOffset(), (0.02 - 0.05 + 0.01) / 3, 1e-12);
    EXPECT_NEAR(stats.lastOffset(), 0.01, 1e-12);
    EXPECT_NEAR(stats.worstOffset(), -0.05, 1e-12);
}

TEST(HashBytes, TellsPicturesApartIncludingTheirLastBytes) {
    uint8_t a[13] = {};
    uint8_t b[13] = {};
    EXPECT_EQ(hashBytes(a, 13), hashBytes(b, 13));
    b[12] = 1; // past the last whole 8-byte word
    EXPECT_NE(hashBytes(a, 13), hashBytes(b, 13));
    b[12] = 0;
    b[3] = 1;
    EXPECT_NE(hashBytes(a, 13), hashBytes(b, 13));
}
