// A generated file played through a container on the real engine (FAudio), with SDL's
// disk driver capturing the mix: the sound that comes out is the file's PCM, and the
// reported position follows the wall clock. The test makes its own engine the way
// qnv_init does, so that SDL sees the driver settings before the device opens.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "AudioTestSupport.h"
#include "Platform.h"
#include "audio/VorbisAudio.h"
#include "timeline/Container.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr long kRate = 44100;
constexpr size_t kBlockFrames = 16384;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The engine and its mastering voice, made and released as a host's library would.
class Engine {
public:
    Engine() {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (FAILED(CoCreateInstance(CLSID_XAudio25, nullptr, CLSCTX_INPROC_SERVER, IID_IXAudio27,
                                    reinterpret_cast<void **>(&_engine)))) {
            _engine = nullptr;
            return;
        }
        if (FAILED(_engine->Initialize(0, XAUDIO2_DEFAULT_PROCESSOR)) ||
            FAILED(_engine->CreateMasteringVoice(&_master, 0, 0, 0, 0, nullptr))) {
            _master = nullptr;
        }
    }
    ~Engine() {
        if (_master != nullptr) {
            _master->DestroyVoice();
        }
        if (_engine != nullptr) {
            _engine->Release();
        }
        CoUninitialize();
    }
    IXAudio2 *get() const { return _master != nullptr ? _engine : nullptr; }

private:
    IXAudio2 *_engine = nullptr;
    IXAudio2MasteringVoice *_master = nullptr;
};

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

    Engine engine;
    ASSERT_NE(engine.get(), nullptr);
    Container container;
    auto audio = std::make_unique<VorbisAudio>(engine.get());
    ASSERT_EQ(audio->openPath(path), 1) << audiotest::readLog();
    container.attach(audio.get(), 0.0);
    container.setLength(60.0);
    const int warningsBefore = audiotest::outOfSyncWarnings();
    container.play();

    // Position against the wall clock, between 0.2 s and about 1.1 s into the sound.
    double p0 = 0.0;
    Clock::time_point t0;
    ASSERT_TRUE(audiotest::waitUntil([&] {
        container.update();
        p0 = audio->getPosition();
        t0 = Clock::now();
        return p0 >= 0.2;
    }));
    std::this_thread::sleep_for(std::chrono::milliseconds(900));
    const double p1 = audio->getPosition();
    const double wall = secondsSince(t0);
    EXPECT_NEAR(p1 - p0, wall, 0.1) << "position " << p0 << " -> " << p1;

    // Let the end of the file and some silence after it reach the capture file.
    ASSERT_TRUE(audiotest::waitUntil([&] {
        container.update();
        return std::filesystem::exists("capture.raw") &&
               std::filesystem::file_size("capture.raw") >=
                   (pcm.size() + kRate) * sizeof(float) * 2;
    }));
    const bool resynchronised = audiotest::outOfSyncWarnings() != warningsBefore;
    audio->close();
    audio.reset();

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
