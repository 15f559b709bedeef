// The scripted engine that the core, audio and video tests drive: its queue model and
// its installation as the XAudio2 class must behave as its header promises.
#include <gtest/gtest.h>

#include <thread>

#include "support/ScriptedXAudio2.h"

namespace {

WAVEFORMATEX stereo16() {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 44100;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = 44100 * 4;
    return format;
}

// The engine as the code under test sees it, with the interface's default arguments.
IXAudio2 *api(ScriptedXAudio2 &engine) {
    return &engine;
}

// Records buffer starts and, from inside the callback, what GetState reports then.
class StartRecorder final : public IXAudio2VoiceCallback {
public:
    void STDMETHODCALLTYPE OnVoiceProcessingPassStart(UINT32) override {}
    void STDMETHODCALLTYPE OnVoiceProcessingPassEnd() override {}
    void STDMETHODCALLTYPE OnStreamEnd() override {}
    void STDMETHODCALLTYPE OnBufferStart(void *context) override {
        contexts.push_back(context);
        threads.push_back(std::this_thread::get_id());
        if (voice) {
            XAUDIO2_VOICE_STATE state{};
            voice->GetState(&state);
            queuedSeenInCallback.push_back(state.BuffersQueued);
        }
    }
    void STDMETHODCALLTYPE OnBufferEnd(void *) override {}
    void STDMETHODCALLTYPE OnLoopEnd(void *) override {}
    void STDMETHODCALLTYPE OnVoiceError(void *, HRESULT) override {}

    IXAudio2SourceVoice *voice = nullptr;
    std::vector<void *> contexts;
    std::vector<std::thread::id> threads;
    std::vector<UINT32> queuedSeenInCallback;
};

class ScriptedEngineTest : public ::testing::Test {
protected:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
    void TearDown() override { CoUninitialize(); }

    IXAudio2 *create() {
        IXAudio2 *created = nullptr;
        CoCreateInstance(CLSID_XAudio25, nullptr, CLSCTX_INPROC_SERVER, IID_IXAudio27,
                         reinterpret_cast<void **>(&created));
        return created;
    }
};

TEST_F(ScriptedEngineTest, InstallationHandsOutTheEngineUntilItEnds) {
    ScriptedXAudio2 engine;
    {
        ScriptedXAudio2::Installation installed(engine);
        IXAudio2 *created = create();
        EXPECT_EQ(created, &engine);
        EXPECT_EQ(engine.refCount(), 2u);
        created->Release();
        EXPECT_EQ(engine.refCount(), 1u);
    }
    IXAudio2 *real = create();
    ASSERT_NE(real, nullptr);
    EXPECT_NE(real, &engine);
    real->Release();

    ScriptedXAudio2::FailingInstallation failing(E_OUTOFMEMORY);
    void *object = reinterpret_cast<void *>(0x1);
    EXPECT_EQ(
        CoCreateInstance(CLSID_XAudio25, nullptr, CLSCTX_INPROC_SERVER, IID_IXAudio27, &object),
        E_OUTOFMEMORY);
    EXPECT_EQ(object, nullptr);
}

TEST_F(ScriptedEngineTest, CreationResultsAreTheOnesTheTestChose) {
    ScriptedXAudio2 engine;
    engine.setInitializeResult(E_FAIL);
    EXPECT_EQ(engine.Initialize(0, XAUDIO2_DEFAULT_PROCESSOR), E_FAIL);
    EXPECT_EQ(engine.initializeCalls(), 1);
    EXPECT_EQ(engine.lastInitializeProcessor(), XAUDIO2_DEFAULT_PROCESSOR);

    engine.setMasteringVoiceResult(XAUDIO2_E_INVALID_CALL);
    IXAudio2MasteringVoice *master = reinterpret_cast<IXAudio2MasteringVoice *>(0x1);
    EXPECT_EQ(api(engine)->CreateMasteringVoice(&master), XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(master, nullptr);
    EXPECT_EQ(engine.masteringVoice(), nullptr);
    engine.setMasteringVoiceResult(S_OK);
    ASSERT_EQ(api(engine)->CreateMasteringVoice(&master), S_OK);
    EXPECT_EQ(master, engine.masteringVoice());

    const WAVEFORMATEX format = stereo16();
    engine.setSourceVoiceResult(E_OUTOFMEMORY);
    IXAudio2SourceVoice *voice = nullptr;
    EXPECT_EQ(api(engine)->CreateSourceVoice(&voice, &format), E_OUTOFMEMORY);
    EXPECT_EQ(voice, nullptr);
    EXPECT_EQ(engine.sourceVoiceCount(), 0u);
    engine.setSourceVoiceResult(S_OK);
    StartRecorder callback;
    ASSERT_EQ(api(engine)->CreateSourceVoice(&voice, &format, 0, 2.0f, &callback), S_OK);
    EXPECT_EQ(engine.sourceVoiceRequests(), 2);
    ScriptedSourceVoice *scripted = engine.sourceVoice(0);
    ASSERT_EQ(voice, scripted);
    EXPECT_EQ(scripted->format().nBlockAlign, 4);
    EXPECT_EQ(scripted->callback(), &callback);
    EXPECT_EQ(scripted->maxFrequencyRatio(), 2.0f);
    EXPECT_EQ(engine.sourceVoice(1), nullptr);

    EXPECT_EQ(engine.liveSourceVoiceCount(), 1u);
    voice->DestroyVoice();
    EXPECT_EQ(engine.liveSourceVoiceCount(), 0u);
    EXPECT_TRUE(scripted->destroyed());
    EXPECT_EQ(scripted->callsAfterDestroy(), 0);
    XAUDIO2_VOICE_STATE state{};
    voice->GetState(&state);
    EXPECT_EQ(scripted->callsAfterDestroy(), 1);
}

TEST_F(ScriptedEngineTest, QueuePlaysInOrderAndCountsFrames) {
    ScriptedXAudio2 engine;
    const WAVEFORMATEX format = stereo16();
    StartRecorder callback;
    IXAudio2SourceVoice *voice = nullptr;
    ASSERT_EQ(api(engine)->CreateSourceVoice(&voice, &format, 0, 2.0f, &callback), S_OK);
    ScriptedSourceVoice *scripted = engine.sourceVoice(0);
    callback.voice = voice;

    std::vector<uint8_t> bytes(400, 7); // 100 frames
    int contexts[3] = {};
    for (int &context : contexts) {
        XAUDIO2_BUFFER buffer{};
        buffer.AudioBytes = static_cast<UINT32>(bytes.size());
        buffer.pAudioData = bytes.data();
        buffer.pContext = &context;
        if (&context == &contexts[2])
            buffer.Flags = XAUDIO2_END_OF_STREAM;
        ASSERT_EQ(voice->SubmitSourceBuffer(&buffer), S_OK);
    }
    bytes.assign(bytes.size(), 0); // the voice keeps its own copy
    EXPECT_EQ(scripted->submittedBuffers()[0].bytes[0], 7);
    EXPECT_TRUE(scripted->submittedBuffers()[2].endOfStream());

    EXPECT_FALSE(scripted->startNextBuffer()); // stopped: nothing plays
    EXPECT_TRUE(callback.contexts.empty());
    ASSERT_EQ(voice->Start(0), S_OK);

    XAUDIO2_VOICE_STATE state{};
    ASSERT_TRUE(scripted->startNextBuffer());
    voice->GetState(&state);
    EXPECT_EQ(state.BuffersQueued, 3u);
    EXPECT_EQ(state.SamplesPlayed, 0u);
    EXPECT_EQ(state.pCurrentBufferContext, &contexts[0]);

    ASSERT_TRUE(scripted->startNextBuffer());
    voice->GetState(&state);
    EXPECT_EQ(state.BuffersQueued, 2u);
    EXPECT_EQ(state.SamplesPlayed, 100u);

    ASSERT_TRUE(scripted->startNextBuffer());  // the end-of-stream buffer
    EXPECT_FALSE(scripted->startNextBuffer()); // it finishes: the count starts again
    voice->GetState(&state);
    EXPECT_EQ(state.BuffersQueued, 0u);
    EXPECT_EQ(state.SamplesPlayed, 0u);
    EXPECT_EQ(state.pCurrentBufferContext, nullptr);

    EXPECT_EQ(callback.contexts, (std::vector<void *>{&contexts[0], &contexts[1], &contexts[2]}));
    EXPECT_EQ(callback.queuedSeenInCallback, (std::vector<UINT32>{3, 2, 1}));
    EXPECT_EQ(scripted->calls(), (std::vector<std::string>{"Submit", "Submit", "Submit", "Start"}));
}

TEST_F(ScriptedEngineTest, FlushKeepsOnlyTheBufferAStartedVoiceIsPlaying) {
    ScriptedXAudio2 engine;
    const WAVEFORMATEX format = stereo16();
    IXAudio2SourceVoice *voice = nullptr;
    ASSERT_EQ(api(engine)->CreateSourceVoice(&voice, &format), S_OK);
    ScriptedSourceVoice *scripted = engine.sourceVoice(0);
    std::vector<uint8_t> bytes(40);
    XAUDIO2_BUFFER buffer{};
    buffer.AudioBytes = 40;
    buffer.pAudioData = bytes.data();
    for (int i = 0; i < 3; ++i)
        voice->SubmitSourceBuffer(&buffer);
    voice->Start(0);
    scripted->startNextBuffer();
    voice->FlushSourceBuffers();
    EXPECT_EQ(scripted->queuedBuffers().size(), 1u);

    voice->SubmitSourceBuffer(&buffer);
    voice->Stop(0);
    voice->FlushSourceBuffers();
    EXPECT_TRUE(scripted->queuedBuffers().empty());
    EXPECT_EQ(scripted->submittedBuffers().size(), 4u);
    EXPECT_EQ(scripted->calls(), (std::vector<std::string>{"Submit", "Submit", "Submit", "Start",
                                                           "Flush", "Submit", "Stop", "Flush"}));
}

TEST_F(ScriptedEngineTest, OverridesAndFailuresAndCallbacksFromAnotherThread) {
    ScriptedXAudio2 engine;
    const WAVEFORMATEX format = stereo16();
    StartRecorder callback;
    IXAudio2SourceVoice *voice = nullptr;
    ASSERT_EQ(api(engine)->CreateSourceVoice(&voice, &format, 0, 2.0f, &callback), S_OK);
    ScriptedSourceVoice *scripted = engine.sourceVoice(0);

    scripted->setBuffersQueued(5);
    scripted->setSamplesPlayed(123456);
    XAUDIO2_VOICE_STATE state{};
    voice->GetState(&state);
    EXPECT_EQ(state.BuffersQueued, 5u);
    EXPECT_EQ(state.SamplesPlayed, 123456u);
    scripted->clearStateOverrides();
    voice->GetState(&state);
    EXPECT_EQ(state.BuffersQueued, 0u);

    scripted->setStartResult(XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(voice->Start(0), XAUDIO2_E_INVALID_CALL);
    EXPECT_FALSE(scripted->running());
    scripted->setSubmitResult(E_FAIL);
    XAUDIO2_BUFFER buffer{};
    EXPECT_EQ(voice->SubmitSourceBuffer(&buffer), E_FAIL);
    EXPECT_TRUE(scripted->submittedBuffers().empty());

    int marker = 0;
    std::thread engineThread([&] { scripted->fireBufferStart(&marker); });
    const std::thread::id engineThreadId = engineThread.get_id();
    engineThread.join();
    ASSERT_EQ(callback.contexts.size(), 1u);
    EXPECT_EQ(callback.contexts[0], &marker);
    EXPECT_EQ(callback.threads[0], engineThreadId);

    voice->DestroyVoice();
    scripted->fireBufferStart(&marker); // no callback after DestroyVoice
    EXPECT_EQ(callback.contexts.size(), 1u);
}

} // namespace
