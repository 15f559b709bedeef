// A scripted XAudio2 engine for tests: no sound, no engine thread. The test decides what
// Initialize, CreateMasteringVoice and CreateSourceVoice return, reads back every call the
// code under test made on the source voices and the bytes it submitted, and plays the
// queue by hand, firing OnBufferStart from whatever thread it likes.
//
// Typical use:
//
//     ScriptedXAudio2 engine;                 // owned by the test, outlives the library use
//     ScriptedXAudio2::Installation installed(engine);   // CoCreateInstance(CLSID_XAudio25)
//                                                        // now yields `engine`
//     ... qnv_init(...), qnv_vorbisCreate(...) ...
//     ScriptedSourceVoice* voice = engine.sourceVoice(0);
//     EXPECT_EQ(voice->calls(), (std::vector<std::string>{"Submit", "Submit", "Start"}));
//     voice->startNextBuffer();                // first buffer plays: OnBufferStart fires
//     voice->setSamplesPlayed(44100);          // or let startNextBuffer count frames
//
// The queue model, unless the test overrides the readings with setBuffersQueued /
// setSamplesPlayed:
// - SubmitSourceBuffer appends a copy of the buffer (bytes, flags, context) to the queue.
// - startNextBuffer() needs the voice started (Start without a later Stop). It finishes
//   the playing buffer, if any (its frames are added to SamplesPlayed, and SamplesPlayed
//   returns to 0 if it carried XAUDIO2_END_OF_STREAM, as FAudio does), then makes the next
//   queued buffer the playing one and calls OnBufferStart(its context) on the calling
//   thread. It returns false, firing nothing, when the voice is stopped or the queue is empty.
// - FlushSourceBuffers drops the queued buffers that have not started; the playing one
//   stays if the voice is started (a stopped voice loses it too, as with XAudio2).
// - GetState reports BuffersQueued = playing + waiting buffers, SamplesPlayed = frames of
//   finished buffers, and the playing buffer's context.
//
// The engine is reference-counted like a COM object, starting at 1 for the test's own
// reference, but is never deleted by Release: the
// test owns it and can check refCount() for leaks. Voices are owned by the engine and stay
// readable after DestroyVoice (destroyed() turns true); a call on a destroyed voice is a
// fault of the code under test and is counted by callsAfterDestroy().
//
// Call the engine and voices through the IXAudio2 interfaces, as the library does: the
// default arguments are declared there.
//
// Thread safety: voice and engine methods may be called from any thread, as with the real
// engine; fireBufferStart/startNextBuffer call the callback without holding any lock of
// the voice, so a callback may call GetState.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Platform.h"
#include "software/XAudio2Unknown.h"

// One buffer as it was submitted: a copy of its bytes and its fields.
struct ScriptedBuffer {
    std::vector<uint8_t> bytes;
    UINT32 flags = 0;
    void *context = nullptr;

    bool endOfStream() const { return (flags & XAUDIO2_END_OF_STREAM) != 0; }
};

class ScriptedSourceVoice final : public IXAudio2SourceVoice {
public:
    ScriptedSourceVoice(const WAVEFORMATEX &format, UINT32 flags, float maxFrequencyRatio,
                        IXAudio2VoiceCallback *callback);

    // IXAudio2SourceVoice. Each records its name in calls(): "Start", "Stop", "Submit",
    // "Flush", "Destroy" (GetState is not recorded: it is polled).
    void STDMETHODCALLTYPE DestroyVoice() override;
    HRESULT STDMETHODCALLTYPE Start(UINT32 flags, UINT32 operationSet) override;
    HRESULT STDMETHODCALLTYPE Stop(UINT32 flags, UINT32 operationSet) override;
    HRESULT STDMETHODCALLTYPE SubmitSourceBuffer(const XAUDIO2_BUFFER *buffer,
                                                 const void *bufferWma) override;
    HRESULT STDMETHODCALLTYPE FlushSourceBuffers() override;
    void STDMETHODCALLTYPE GetState(XAUDIO2_VOICE_STATE *state) override;

    // --- What the voice was made with ---
    const WAVEFORMATEX &format() const { return _format; }
    UINT32 creationFlags() const { return _creationFlags; }
    float maxFrequencyRatio() const { return _maxFrequencyRatio; }
    IXAudio2VoiceCallback *callback() const { return _callback; }

    // --- What the code under test did ---
    std::vector<std::string> calls() const;
    // Every buffer submitted, in order, whatever became of it.
    std::vector<ScriptedBuffer> submittedBuffers() const;
    // The buffers in the queue now: the playing one (if any) first.
    std::vector<ScriptedBuffer> queuedBuffers() const;
    bool running() const { return _running.load(); }
    bool destroyed() const { return _destroyed.load(); }
    int callsAfterDestroy() const { return _callsAfterDestroy.load(); }
    // The Start/Stop flags last passed, for checks of "flags 0, immediate".
    UINT32 lastStartFlags() const { return _lastStartFlags.load(); }

    // --- Scripting ---
    // The result of the next calls of Start, Stop, SubmitSourceBuffer or FlushSourceBuffers
    // (S_OK by default). A failed call is recorded but changes nothing else.
    void setStartResult(HRESULT result) { _startResult = result; }
    void setStopResult(HRESULT result) { _stopResult = result; }
    void setSubmitResult(HRESULT result) { _submitResult = result; }
    void setFlushResult(HRESULT result) { _flushResult = result; }

    // Fixes what GetState reports, overriding the queue model until cleared.
    void setBuffersQueued(UINT32 count);
    void setSamplesPlayed(UINT64 frames);
    void clearStateOverrides();

    // Plays the queue one step; see the header comment. True when a buffer started.
    bool startNextBuffer();
    // Calls OnBufferStart(context) on the calling thread, touching no state. Does nothing
    // without a callback or after DestroyVoice.
    void fireBufferStart(void *context = nullptr);

private:
    void record(const char *call);

    const WAVEFORMATEX _format;
    const UINT32 _creationFlags;
    const float _maxFrequencyRatio;
    IXAudio2VoiceCallback *const _callback;

    mutable std::mutex _lock;
    std::vector<std::string> _calls;
    std::vector<ScriptedBuffer> _submitted;
    std::vector<ScriptedBuffer> _queue;
    bool _playing = false;
    UINT64 _framesPlayed = 0;
    bool _overrideQueued = false;
    UINT32 _queuedOverride = 0;
    bool _overridePlayed = false;
    UINT64 _playedOverride = 0;

    std::atomic<bool> _running{false};
    std::atomic<bool> _destroyed{false};
    std::atomic<int> _callsAfterDestroy{0};
    std::atomic<UINT32> _lastStartFlags{0};
    std::atomic<HRESULT> _startResult{S_OK};
    std::atomic<HRESULT> _stopResult{S_OK};
    std::atomic<HRESULT> _submitResult{S_OK};
    std::atomic<HRESULT> _flushResult{S_OK};
};

class ScriptedMasteringVoice final : public IXAudio2MasteringVoice {
public:
    void STDMETHODCALLTYPE DestroyVoice() override { _destroyed = true; }
    bool destroyed() const { return _destroyed.load(); }

private:
    std::atomic<bool> _destroyed{false};
};

// IUnknown's part (IID_IXAudio27 and IUnknown, refCount()) is the platform's; the last
// Release deletes nothing.
class ScriptedXAudio2 final : public software::XAudio2Unknown {
public:
    ScriptedXAudio2() = default;
    ScriptedXAudio2(const ScriptedXAudio2 &) = delete;
    ScriptedXAudio2 &operator=(const ScriptedXAudio2 &) = delete;

    // IXAudio2: each returns the result the test set. On success CreateMasteringVoice and
    // CreateSourceVoice make a voice and store it; on failure they store null in `*voice`.
    HRESULT STDMETHODCALLTYPE Initialize(UINT32 flags, XAUDIO2_PROCESSOR processor) override;
    HRESULT STDMETHODCALLTYPE CreateSourceVoice(IXAudio2SourceVoice **voice,
                                                const WAVEFORMATEX *format, UINT32 flags,
                                                float maxFrequencyRatio,
                                                IXAudio2VoiceCallback *callback,
                                                const XAUDIO2_VOICE_SENDS *sendList,
                                                const XAUDIO2_EFFECT_CHAIN *effectChain) override;
    HRESULT STDMETHODCALLTYPE CreateMasteringVoice(
        IXAudio2MasteringVoice **voice, UINT32 channels, UINT32 sampleRate, UINT32 flags,
        UINT32 deviceIndex, const XAUDIO2_EFFECT_CHAIN *effectChain) override;
    HRESULT STDMETHODCALLTYPE StartEngine() override { return S_OK; }
    void STDMETHODCALLTYPE StopEngine() override {}

    // --- Scripting ---
    void setInitializeResult(HRESULT result) { _initializeResult = result; }
    void setMasteringVoiceResult(HRESULT result) { _masteringResult = result; }
    void setSourceVoiceResult(HRESULT result) { _sourceResult = result; }

    // --- What the code under test did ---
    int initializeCalls() const { return _initializeCalls.load(); }
    UINT32 lastInitializeFlags() const { return _initializeFlags.load(); }
    XAUDIO2_PROCESSOR lastInitializeProcessor() const { return _initializeProcessor.load(); }
    // The mastering voice made last, or null.
    ScriptedMasteringVoice *masteringVoice() const;
    // Source voices in creation order, destroyed ones included.
    size_t sourceVoiceCount() const;
    ScriptedSourceVoice *sourceVoice(size_t index) const;
    // Source voices not yet destroyed.
    size_t liveSourceVoiceCount() const;
    // CreateSourceVoice calls, failed ones included.
    int sourceVoiceRequests() const { return _sourceRequests.load(); }

    // Registers this engine as the XAudio2 class for as long as it lives, so that
    // CoCreateInstance(CLSID_XAudio25, ...) hands out this engine (with a reference added);
    // on destruction the start-up classes come back.
    class Installation {
    public:
        explicit Installation(ScriptedXAudio2 &engine);
        ~Installation();
        Installation(const Installation &) = delete;
        Installation &operator=(const Installation &) = delete;
    };

    // Makes CoCreateInstance(CLSID_XAudio25, ...) fail with `result` while it lives.
    class FailingInstallation {
    public:
        explicit FailingInstallation(HRESULT result);
        ~FailingInstallation();
        FailingInstallation(const FailingInstallation &) = delete;
        FailingInstallation &operator=(const FailingInstallation &) = delete;
    };

private:
    std::atomic<HRESULT> _initializeResult{S_OK};
    std::atomic<HRESULT> _masteringResult{S_OK};
    std::atomic<HRESULT> _sourceResult{S_OK};
    std::atomic<int> _initializeCalls{0};
    std::atomic<UINT32> _initializeFlags{0};
    std::atomic<XAUDIO2_PROCESSOR> _initializeProcessor{0};
    std::atomic<int> _sourceRequests{0};

    mutable std::mutex _lock;
    std::vector<std::unique_ptr<ScriptedMasteringVoice>> _masteringVoices;
    std::vector<std::unique_ptr<ScriptedSourceVoice>> _sourceVoices;
};
