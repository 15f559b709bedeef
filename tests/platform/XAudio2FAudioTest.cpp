// The XAudio2 engine over FAudio, headless: SDL's dummy driver paces playback in real
// time, its disk driver captures the mix to a file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "Platform.h"

namespace {

constexpr DWORD kLongWait = 10000;
constexpr UINT32 kRate = 48000;

WAVEFORMATEX pcm16(WORD channels, DWORD rate = kRate) {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = channels;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(channels * 2);
    format.nAvgBytesPerSec = rate * format.nBlockAlign;
    return format;
}

XAUDIO2_BUFFER bufferOf(const std::vector<int16_t> &samples, void *context, UINT32 flags = 0) {
    XAUDIO2_BUFFER buffer{};
    buffer.Flags = flags;
    buffer.AudioBytes = static_cast<UINT32>(samples.size() * sizeof(int16_t));
    buffer.pAudioData = reinterpret_cast<const BYTE *>(samples.data());
    buffer.pContext = context;
    return buffer;
}

// Counts the callbacks and signals an event for each buffer start and stream end.
class RecordingCallback final : public IXAudio2VoiceCallback {
public:
    RecordingCallback()
        : bufferStarted(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
          streamEnded(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
    ~RecordingCallback() {
        CloseHandle(bufferStarted);
        CloseHandle(streamEnded);
    }

    void STDMETHODCALLTYPE OnVoiceProcessingPassStart(UINT32) override {}
    void STDMETHODCALLTYPE OnVoiceProcessingPassEnd() override {}
    void STDMETHODCALLTYPE OnStreamEnd() override { SetEvent(streamEnded); }
    void STDMETHODCALLTYPE OnBufferStart(void *context) override {
        if (starts.fetch_add(1) == 0)
            firstStartContext = context;
        SetEvent(bufferStarted);
    }
    void STDMETHODCALLTYPE OnBufferEnd(void *) override { ++ends; }
    void STDMETHODCALLTYPE OnLoopEnd(void *) override {}
    void STDMETHODCALLTYPE OnVoiceError(void *, HRESULT) override { ++errors; }

    HANDLE bufferStarted;
    HANDLE streamEnded;
    std::atomic<int> starts{0};
    std::atomic<int> ends{0};
    std::atomic<int> errors{0};
    std::atomic<void *> firstStartContext{nullptr};
};

XAUDIO2_VOICE_STATE stateOf(IXAudio2SourceVoice *voice) {
    XAUDIO2_VOICE_STATE state{};
    voice->GetState(&state);
    return state;
}

// Polls `done` every few milliseconds for up to kLongWait.
template <class Done> bool eventually(Done done) {
    for (DWORD waited = 0; waited < kLongWait; waited += 5) {
        if (done())
            return true;
        Sleep(5);
    }
    return done();
}

class FAudioEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        ASSERT_EQ(CoCreateInstance(CLSID_XAudio25, nullptr, CLSCTX_INPROC_SERVER, IID_IXAudio27,
                                   reinterpret_cast<void **>(&engine)),
                  S_OK);
    }
    // The mastering voice holds the output device (the dummy driver has only one) and a
    // reference on the engine, so it goes before the engine's last outside reference.
    void TearDown() override {
        if (master)
            master->DestroyVoice();
        if (engine)
            engine->Release();
        CoUninitialize();
    }

    void initializeWithMaster() {
        ASSERT_EQ(engine->Initialize(0, XAUDIO2_DEFAULT_PROCESSOR), S_OK);
        ASSERT_EQ(engine->CreateMasteringVoice(&master), S_OK);
        ASSERT_NE(master, nullptr);
    }

    IXAudio2 *engine = nullptr;
    IXAudio2MasteringVoice *master = nullptr;
};

TEST_F(FAudioEngineTest, SourceVoiceWithoutMasteringVoiceIsRefused) {
    const WAVEFORMATEX format = pcm16(2);
    IXAudio2SourceVoice *voice = reinterpret_cast<IXAudio2SourceVoice *>(0x1);
    EXPECT_EQ(engine->CreateMasteringVoice(&master), XAUDIO2_E_INVALID_CALL); // not initialised
    EXPECT_EQ(engine->CreateSourceVoice(&voice, &format), XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(voice, nullptr);

    ASSERT_EQ(engine->Initialize(0, XAUDIO2_DEFAULT_PROCESSOR), S_OK);
    EXPECT_EQ(engine->Initialize(0, XAUDIO2_DEFAULT_PROCESSOR), XAUDIO2_E_INVALID_CALL);
    RecordingCallback callback;
    EXPECT_EQ(engine->CreateSourceVoice(&voice, &format, 0, 2.0f, &callback),
              XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(voice, nullptr);
}

TEST_F(FAudioEngineTest, OneMasteringVoiceThatOutlivesItsSources) {
    initializeWithMaster();
    IXAudio2MasteringVoice *second = nullptr;
    EXPECT_EQ(engine->CreateMasteringVoice(&second), XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(second, nullptr);

    const WAVEFORMATEX format = pcm16(1);
    IXAudio2SourceVoice *voice = nullptr;
    ASSERT_EQ(engine->CreateSourceVoice(&voice, &format), S_OK);
    master->DestroyVoice(); // refused: the source voice still feeds it
    IXAudio2SourceVoice *another = nullptr;
    ASSERT_EQ(engine->CreateSourceVoice(&another, &format), S_OK);
    another->DestroyVoice();
    voice->DestroyVoice();
    master->DestroyVoice();
    master = nullptr;
    EXPECT_EQ(engine->CreateSourceVoice(&voice, &format), XAUDIO2_E_INVALID_CALL);
}

TEST_F(FAudioEngineTest, FormatsAndOptionsItCannotPlayAreRefused) {
    initializeWithMaster();
    IXAudio2SourceVoice *voice = nullptr;
    auto create = [&](const WAVEFORMATEX &format, float ratio = 2.0f) {
        const HRESULT result = engine->CreateSourceVoice(&voice, &format, 0, ratio);
        if (voice)
            voice->DestroyVoice();
        voice = nullptr;
        return result;
    };
    EXPECT_EQ(create(pcm16(2)), S_OK);
    WAVEFORMATEX odd = pcm16(2);
    odd.wBitsPerSample = 12;
    EXPECT_EQ(create(odd), XAUDIO2_E_INVALID_CALL);
    WAVEFORMATEX misaligned = pcm16(2);
    misaligned.nBlockAlign = 3;
    EXPECT_EQ(create(misaligned), XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(create(pcm16(0)), XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(create(pcm16(2, 500)), XAUDIO2_E_INVALID_CALL);
    WAVEFORMATEX adpcm = pcm16(2);
    adpcm.wFormatTag = 2;
    EXPECT_EQ(create(adpcm), XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(create(pcm16(2), 0.0f), XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(engine->CreateSourceVoice(&voice, nullptr), E_INVALIDARG);

    XAUDIO2_SEND_DESCRIPTOR send{0, master};
    XAUDIO2_VOICE_SENDS sends{1, &send};
    const WAVEFORMATEX format = pcm16(2);
    EXPECT_EQ(engine->CreateSourceVoice(&voice, &format, 0, 2.0f, nullptr, &sends), E_NOTIMPL);
    EXPECT_EQ(voice, nullptr);
}

TEST_F(FAudioEngineTest, BuffersOutsideTheirMemoryAreRefused) {
    initializeWithMaster();
    const WAVEFORMATEX format = pcm16(2);
    IXAudio2SourceVoice *voice = nullptr;
    ASSERT_EQ(engine->CreateSourceVoice(&voice, &format), S_OK);
    std::vector<int16_t> samples(200);

    XAUDIO2_BUFFER partialFrame = bufferOf(samples, nullptr);
    partialFrame.AudioBytes = 6;
    EXPECT_EQ(voice->SubmitSourceBuffer(&partialFrame), XAUDIO2_E_INVALID_CALL);
    XAUDIO2_BUFFER noData = bufferOf(samples, nullptr);
    noData.pAudioData = nullptr;
    EXPECT_EQ(voice->SubmitSourceBuffer(&noData), XAUDIO2_E_INVALID_CALL);
    XAUDIO2_BUFFER pastEnd = bufferOf(samples, nullptr);
    pastEnd.PlayBegin = 90;
    pastEnd.PlayLength = 20; // 100 frames in the buffer
    EXPECT_EQ(voice->SubmitSourceBuffer(&pastEnd), XAUDIO2_E_INVALID_CALL);
    XAUDIO2_BUFFER loopPastEnd = bufferOf(samples, nullptr);
    loopPastEnd.LoopCount = 1;
    loopPastEnd.LoopBegin = 50;
    loopPastEnd.LoopLength = 51;
    EXPECT_EQ(voice->SubmitSourceBuffer(&loopPastEnd), XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(voice->SubmitSourceBuffer(nullptr), XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(stateOf(voice).BuffersQueued, 0u);

    XAUDIO2_BUFFER whole = bufferOf(samples, nullptr);
    whole.PlayBegin = 90;
    whole.PlayLength = 10;
    EXPECT_EQ(voice->SubmitSourceBuffer(&whole), S_OK);
    const std::vector<int16_t> none;
    XAUDIO2_BUFFER emptyEnd = bufferOf(none, nullptr, XAUDIO2_END_OF_STREAM);
    EXPECT_EQ(voice->SubmitSourceBuffer(&emptyEnd), S_OK);
    EXPECT_EQ(stateOf(voice).BuffersQueued, 2u);
    voice->DestroyVoice();
}

TEST_F(FAudioEngineTest, QueuedBuffersStartInOrderOnceStartedAndSamplesPlayedGrows) {
    initializeWithMaster();
    const WAVEFORMATEX format = pcm16(2);
    RecordingCallback callback;
    IXAudio2SourceVoice *voice = nullptr;
    ASSERT_EQ(engine->CreateSourceVoice(&voice, &format, 0, 2.0f, &callback), S_OK);

    // A quarter second each, so the first is still playing when the test looks.
    std::vector<int16_t> samples(kRate / 4 * 2, 1000);
    int first = 1, second = 2, third = 3;
    XAUDIO2_BUFFER b1 = bufferOf(samples, &first);
    XAUDIO2_BUFFER b2 = bufferOf(samples, &second);
    XAUDIO2_BUFFER b3 = bufferOf(samples, &third);
    ASSERT_EQ(voice->SubmitSourceBuffer(&b1), S_OK);
    ASSERT_EQ(voice->SubmitSourceBuffer(&b2), S_OK);
    ASSERT_EQ(voice->SubmitSourceBuffer(&b3), S_OK);

    // A new voice is stopped: nothing starts while it stays so.
    EXPECT_EQ(WaitForSingleObject(callback.bufferStarted, 60), WAIT_TIMEOUT);
    XAUDIO2_VOICE_STATE state = stateOf(voice);
    EXPECT_EQ(state.BuffersQueued, 3u);
    EXPECT_EQ(state.SamplesPlayed, 0u);

    ASSERT_EQ(voice->Start(0), S_OK);
    ASSERT_EQ(WaitForSingleObject(callback.bufferStarted, kLongWait), WAIT_OBJECT_0);
    EXPECT_EQ(callback.firstStartContext.load(), &first);
    ASSERT_TRUE(eventually([&] { return stateOf(voice).SamplesPlayed > 0; }));

    // Stopped, the count holds (after the engine pass in flight) and the queue stays.
    ASSERT_EQ(voice->Stop(0), S_OK);
    Sleep(100);
    const UINT64 held = stateOf(voice).SamplesPlayed;
    Sleep(60);
    state = stateOf(voice);
    EXPECT_EQ(state.SamplesPlayed, held);
    EXPECT_GE(state.BuffersQueued, 2u);

    // Flushing a playing voice drops the buffers that have not started; the playing one
    // plays out.
    ASSERT_EQ(voice->Start(0), S_OK);
    ASSERT_EQ(voice->FlushSourceBuffers(), S_OK);
    EXPECT_TRUE(eventually([&] { return stateOf(voice).BuffersQueued == 0; }));
    EXPECT_EQ(callback.starts.load(), 1);
    EXPECT_GE(stateOf(voice).SamplesPlayed, kRate / 4);
    EXPECT_EQ(callback.errors.load(), 0);
    voice->DestroyVoice();
}

TEST_F(FAudioEngineTest, FlushingAStoppedVoiceDropsEveryBuffer) {
    initializeWithMaster();
    const WAVEFORMATEX format = pcm16(1);
    RecordingCallback callback;
    IXAudio2SourceVoice *voice = nullptr;
    ASSERT_EQ(engine->CreateSourceVoice(&voice, &format, 0, 2.0f, &callback), S_OK);
    std::vector<int16_t> samples(kRate / 4);
    XAUDIO2_BUFFER buffer = bufferOf(samples, nullptr);
    ASSERT_EQ(voice->SubmitSourceBuffer(&buffer), S_OK);
    ASSERT_EQ(voice->SubmitSourceBuffer(&buffer), S_OK);
    ASSERT_EQ(voice->Start(0), S_OK);
    ASSERT_EQ(WaitForSingleObject(callback.bufferStarted, kLongWait), WAIT_OBJECT_0);
    ASSERT_EQ(voice->Stop(0), S_OK);
    ASSERT_EQ(voice->FlushSourceBuffers(), S_OK);
    ASSERT_EQ(voice->Start(0), S_OK);
    EXPECT_TRUE(eventually([&] { return stateOf(voice).BuffersQueued == 0; }));
    EXPECT_EQ(WaitForSingleObject(callback.bufferStarted, 60), WAIT_TIMEOUT);
    EXPECT_EQ(callback.starts.load(), 1);
    voice->DestroyVoice();
}

TEST_F(FAudioEngineTest, VoicesKeepTheEngineAliveAfterItsLastOutsideRelease) {
    initializeWithMaster();
    const WAVEFORMATEX format = pcm16(1);
    IXAudio2SourceVoice *voice = nullptr;
    ASSERT_EQ(engine->CreateSourceVoice(&voice, &format), S_OK);
    EXPECT_EQ(engine->AddRef(), 4u); // ours, the mastering voice's, the source voice's, this one
    EXPECT_EQ(engine->Release(), 3u);
    EXPECT_EQ(engine->Release(), 2u);
    engine = nullptr;

    std::vector<int16_t> samples(480);
    XAUDIO2_BUFFER buffer = bufferOf(samples, nullptr);
    EXPECT_EQ(voice->SubmitSourceBuffer(&buffer), S_OK);
    EXPECT_EQ(stateOf(voice).BuffersQueued, 1u);
    voice->DestroyVoice();
    master->DestroyVoice(); // the last reference: the engine goes with it
    master = nullptr;
}

// Reads a file of 32-bit floats.
std::vector<float> readFloats(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    std::vector<float> samples(bytes.size() / sizeof(float));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
    return samples;
}

TEST(FAudioDiskCapture, SubmittedSixteenBitSamplesComeOutInTheMix) {
    const std::string capture = ::testing::TempDir() + "qnv_platform_capture.raw";
    std::remove(capture.c_str());
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", capture.c_str(), 1);
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);

    IXAudio2 *engine = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_XAudio25, nullptr, CLSCTX_INPROC_SERVER, IID_IXAudio27,
                               reinterpret_cast<void **>(&engine)),
              S_OK);
    ASSERT_EQ(engine->Initialize(0, XAUDIO2_DEFAULT_PROCESSOR), S_OK);
    IXAudio2MasteringVoice *master = nullptr;
    ASSERT_EQ(engine->CreateMasteringVoice(&master, 2, kRate), S_OK);
    const WAVEFORMATEX format = pcm16(2);
    RecordingCallback callback;
    IXAudio2SourceVoice *voice = nullptr;
    ASSERT_EQ(engine->CreateSourceVoice(&voice, &format, 0, 2.0f, &callback), S_OK);

    // A tenth of a second of a pattern no two neighbouring frames share, with the right
    // channel the negated left, so a swap, a shift or a scale shows.
    const size_t frames = kRate / 10;
    std::vector<int16_t> samples(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        samples[2 * i] = static_cast<int16_t>(1000 + (i * 37) % 20000);
        samples[2 * i + 1] = static_cast<int16_t>(-samples[2 * i]);
    }
    XAUDIO2_BUFFER buffer = bufferOf(samples, nullptr, XAUDIO2_END_OF_STREAM);
    ASSERT_EQ(voice->SubmitSourceBuffer(&buffer), S_OK);
    ASSERT_EQ(voice->Start(0), S_OK);
    ASSERT_EQ(WaitForSingleObject(callback.streamEnded, kLongWait), WAIT_OBJECT_0);
    voice->DestroyVoice();
    master->DestroyVoice();
    engine->Release();
    CoUninitialize();
    setenv("SDL_AUDIODRIVER", "dummy", 1);

    const std::vector<float> mix = readFloats(capture);
    std::remove(capture.c_str());
    size_t start = 0;
    while (start < mix.size() && mix[start] == 0.0f)
        ++start;
    ASSERT_LE(start + frames * 2, mix.size()) << "the capture holds " << mix.size() << " samples";
    size_t mismatches = 0;
    for (size_t i = 0; i < frames * 2; ++i) {
        if (mix[start + i] != samples[i] / 32768.0f)
            ++mismatches;
    }
    EXPECT_EQ(mismatches, 0u);
    EXPECT_EQ(start % 2, 0u); // the left channel comes first
}

} // namespace
