// A generated file played through the exports on the real engine (FAudio), with SDL's
// disk driver capturing the mix: the sound that comes out is the file's PCM, and the
// reported position follows the wall clock and stops at the length. The driver settings
// are made before qnv_init opens the device; this is the only test here that initialises
// the library.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "AudioTestSupport.h"
#include "quenvo.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr long kRate = 44100;
constexpr size_t kBlockFrames = 16384;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double mediaTime(int media) {
    PlaybackStatus status{};
    EXPECT_EQ(qnv_vorbisStatus(media, &status), 1);
    return status.time;
}

std::vector<float> readCapture(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<float> samples(bytes.size() / sizeof(float));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
    return samples;
}

template <typename T> size_t firstNonZero(const std::vector<T> &samples) {
    for (size_t i = 0; i < samples.size(); ++i) {
        if (samples[i] != 0) {
            return i;
        }
    }
    return samples.size();
}

TEST(VorbisAudioEndToEnd, TheCapturedMixIsTheFilesPcmAndThePositionFollowsTheWallClock) {
    // SDL reads these when the engine opens the output device, inside qnv_init.
    ASSERT_EQ(setenv("SDL_AUDIODRIVER", "disk", 1), 0);
    ASSERT_EQ(setenv("SDL_DISKAUDIOFILE", "capture.raw", 1), 0);
    ASSERT_EQ(setenv("SDL_AUDIO_FREQUENCY", std::to_string(kRate).c_str(), 1), 0);
    const std::string path = audiotest::generated("e2e.ogg", mediagen::VorbisLink{2, kRate, 1.5});
    const std::vector<int16_t> pcm = audiotest::decodeAll(path);

    qnv_init(nullptr);
    const int container = qnv_contrCreate();
    const int media = qnv_vorbisCreate(path.c_str());
    ASSERT_NE(media, 0) << audiotest::readLog();
    PlaybackStatus before{};
    ASSERT_EQ(qnv_vorbisStatus(media, &before), 1);
    EXPECT_EQ(before.time, 0.0);
    EXPECT_DOUBLE_EQ(before.length, 1.5);
    EXPECT_EQ(before.ready, 1);
    ASSERT_EQ(qnv_contrAddVorbis(container, media, 0), 1);
    ASSERT_EQ(qnv_contrSetLength(container, 60.0), 1);
    const int warningsBefore = audiotest::outOfSyncWarnings();
    qnv_contrPlay(container);

    // Position against the wall clock, between 0.2 s and about 1.1 s into the sound.
    double p0 = 0.0;
    Clock::time_point t0;
    ASSERT_TRUE(audiotest::waitUntil([&] {
        qnv_update();
        p0 = mediaTime(media);
        t0 = Clock::now();
        return p0 >= 0.2;
    }));
    std::this_thread::sleep_for(std::chrono::milliseconds(900));
    const double p1 = mediaTime(media);
    const double wall = secondsSince(t0);
    EXPECT_NEAR(p1 - p0, wall, 0.1) << "position " << p0 << " -> " << p1;

    // Let the end of the file and some silence after it reach the capture file.
    ASSERT_TRUE(audiotest::waitUntil([&] {
        qnv_update();
        return std::filesystem::exists("capture.raw") &&
               std::filesystem::file_size("capture.raw") >=
                   (pcm.size() + kRate) * sizeof(float) * 2;
    }));
    const bool resynchronised = audiotest::outOfSyncWarnings() != warningsBefore;
    // The voice counts from 0 again after the last block; the position stays at the end.
    EXPECT_TRUE(audiotest::waitUntil([&] { return mediaTime(media) == 1.5; }))
        << "position " << mediaTime(media);
    EXPECT_EQ(qnv_contrFree(container), 1);
    PlaybackStatus freed{};
    EXPECT_EQ(qnv_vorbisStatus(media, &freed), 0);

    const std::vector<float> captured = readCapture("capture.raw");
    const size_t soundInCapture = firstNonZero(captured);
    const size_t soundInFile = firstNonZero(pcm);
    ASSERT_LT(soundInCapture, captured.size());
    ASSERT_GE(soundInCapture, soundInFile);
    const size_t offset = soundInCapture - soundInFile;
    ASSERT_EQ(offset % 2, 0u) << "the channels were swapped";
    // Without a resynchronisation the whole file comes out as it is; with one, the two
    // blocks queued first still do.
    const size_t compared = resynchronised ? 2 * kBlockFrames * 2 : pcm.size();
    ASSERT_GE(captured.size(), offset + compared);
    size_t mismatches = 0;
    for (size_t i = 0; i < compared; ++i) {
        if (std::fabs(captured[offset + i] - pcm[i] / 32768.0f) > 1e-6f && ++mismatches < 5) {
            ADD_FAILURE() << "sample " << i << ": " << captured[offset + i] << " vs "
                          << pcm[i] / 32768.0f;
        }
    }
    EXPECT_EQ(mismatches, 0u);
}

} // namespace
