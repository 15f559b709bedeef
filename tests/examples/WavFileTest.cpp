#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "WavFile.h"

namespace {

std::vector<uint8_t> readAll(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

uint32_t le32(const std::vector<uint8_t> &b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

int16_t le16(const std::vector<uint8_t> &b, size_t at) {
    return static_cast<int16_t>(b[at] | b[at + 1] << 8);
}

} // namespace

TEST(WavFile, FloatSamplesClipAndRound) {
    EXPECT_EQ(floatToPcm16(0.0f), 0);
    EXPECT_EQ(floatToPcm16(1.0f), 32767);
    EXPECT_EQ(floatToPcm16(-1.0f), -32767);
    EXPECT_EQ(floatToPcm16(1.5f), 32767);
    EXPECT_EQ(floatToPcm16(-7.0f), -32767);
    EXPECT_EQ(floatToPcm16(0.5f), 16384); // 16383.5 rounds away from zero
    EXPECT_EQ(floatToPcm16(-0.25f), -8192);
    EXPECT_EQ(floatToPcm16(std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST(WavFile, CaptureBecomesSixteenBitWavWithoutItsPartialLastFrame) {
    // Three stereo frames and half of a fourth, as a capture cut while being written.
    const float samples[] = {0.0f, 1.0f, -1.0f, 0.5f, 2.0f, -0.25f, 0.75f};
    {
        std::ofstream capture("capture.f32", std::ios::binary);
        capture.write(reinterpret_cast<const char *>(samples), sizeof samples);
    }
    const WavResult result = convertCaptureToWav("capture.f32", "capture.wav", 48000, 2);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.frames, 3);

    const std::vector<uint8_t> wav = readAll("capture.wav");
    ASSERT_EQ(wav.size(), 44u + 12u);
    EXPECT_EQ(std::memcmp(wav.data(), "RIFF", 4), 0);
    EXPECT_EQ(le32(wav, 4), 36u + 12u);
    EXPECT_EQ(std::memcmp(wav.data() + 8, "WAVEfmt ", 8), 0);
    EXPECT_EQ(le32(wav, 16), 16u);
    EXPECT_EQ(le16(wav, 20), 1); // PCM
    EXPECT_EQ(le16(wav, 22), 2); // channels
    EXPECT_EQ(le32(wav, 24), 48000u);
    EXPECT_EQ(le32(wav, 28), 48000u * 4);
    EXPECT_EQ(le16(wav, 32), 4);  // block align
    EXPECT_EQ(le16(wav, 34), 16); // bits
    EXPECT_EQ(std::memcmp(wav.data() + 36, "data", 4), 0);
    EXPECT_EQ(le32(wav, 40), 12u);
    const int16_t expected[] = {0, 32767, -32767, 16384, 32767, -8192};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(le16(wav, 44 + 2 * i), expected[i]) << "sample " << i;
    }
}

TEST(WavFile, MissingCaptureOrUnwritableTargetFails) {
    std::remove("absent.f32");
    std::remove("absent.wav");
    EXPECT_FALSE(convertCaptureToWav("absent.f32", "absent.wav", 48000, 2).ok);
    EXPECT_EQ(std::fopen("absent.wav", "rb"), nullptr);

    { std::ofstream("empty.f32", std::ios::binary); }
    EXPECT_FALSE(convertCaptureToWav("empty.f32", "no-such-folder/x.wav", 48000, 2).ok);
    EXPECT_FALSE(convertCaptureToWav("empty.f32", "bad-rate.wav", 0, 2).ok);
    // An empty capture is a valid, empty WAV.
    const WavResult empty = convertCaptureToWav("empty.f32", "empty.wav", 48000, 2);
    EXPECT_TRUE(empty.ok);
    EXPECT_EQ(empty.frames, 0);
    EXPECT_EQ(readAll("empty.wav").size(), 44u);
}
