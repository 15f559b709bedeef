// The XAudio2 engine and voices as adapters over FAudio. Internal to the software
// platform; code outside it sees only the interfaces of XAudio2.h.
#pragma once

#include <FAudio.h>

#include <atomic>
#include <mutex>

#include "XAudio2.h"
#include "XAudio2Unknown.h"

namespace software {

class FAudioEngine;

class FAudioMasteringVoiceAdapter final : public IXAudio2MasteringVoice {
public:
    FAudioMasteringVoiceAdapter(FAudioEngine &engine, FAudioMasteringVoice *voice);
    void STDMETHODCALLTYPE DestroyVoice() override;

    FAudioMasteringVoice *voice() const { return _voice; }

private:
    FAudioEngine &_engine;
    FAudioMasteringVoice *const _voice;
};

// What FAudio holds as a voice's callback: its C function table first, so the pointer
// FAudio hands back to each function is also a pointer to this record, which names the
// XAudio2 callback to forward to.
struct FAudioCallbackThunk {
    FAudioVoiceCallback table;
    IXAudio2VoiceCallback *target;
};

// FAudio orders the application's voice calls and its mixer thread's callbacks with locks
// of its own, which ThreadSanitizer does not see (the audio libraries are not
// instrumented). Every voice call and the start and end of every callback go through this
// one process-wide atomic, which states that order: what the application wrote before a
// call is seen to happen before the callbacks that follow, and a callback before
// DestroyVoice returns. It lives in static storage because memory made per voice would
// itself be new to the callback thread.
void orderWithFAudioCallbacks();

class FAudioSourceVoiceAdapter final : public IXAudio2SourceVoice {
public:
    // Made before the FAudio voice exists, so that the thunk has its final address;
    // attach() hands over the voice.
    FAudioSourceVoiceAdapter(FAudioEngine &engine, const WAVEFORMATEX &format,
                             IXAudio2VoiceCallback *callback);
    void attach(FAudioSourceVoice *voice) { _voice = voice; }
    FAudioVoiceCallback *thunk() { return _thunk.target ? &_thunk.table : nullptr; }

    void STDMETHODCALLTYPE DestroyVoice() override;
    HRESULT STDMETHODCALLTYPE Start(UINT32 flags, UINT32 operationSet) override;
    HRESULT STDMETHODCALLTYPE Stop(UINT32 flags, UINT32 operationSet) override;
    HRESULT STDMETHODCALLTYPE SubmitSourceBuffer(const XAUDIO2_BUFFER *buffer,
                                                 const void *bufferWma) override;
    HRESULT STDMETHODCALLTYPE FlushSourceBuffers() override;
    void STDMETHODCALLTYPE GetState(XAUDIO2_VOICE_STATE *state) override;

private:
    FAudioEngine &_engine;
    const WAVEFORMATEX _format;
    FAudioCallbackThunk _thunk;
    FAudioSourceVoice *_voice = nullptr;
};

class FAudioEngine final : public XAudio2Unknown {
public:
    FAudioEngine() = default;
    FAudioEngine(const FAudioEngine &) = delete;
    FAudioEngine &operator=(const FAudioEngine &) = delete;

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
    HRESULT STDMETHODCALLTYPE StartEngine() override;
    void STDMETHODCALLTYPE StopEngine() override;

    // Called by the voices' DestroyVoice; each deletes the adapter and drops its engine
    // reference. The mastering voice is only destroyed when no source voice feeds it.
    void destroyMasteringVoice(FAudioMasteringVoiceAdapter *voice);
    void destroySourceVoice(FAudioSourceVoiceAdapter *voice, FAudioSourceVoice *faudioVoice);

private:
    ~FAudioEngine();
    void lastReleased() override { delete this; }

    // Guards the FAudio object's set-up and the voice bookkeeping. Never taken by a voice
    // callback, so it may be held across FAudio calls.
    std::mutex _lock;
    FAudio *_faudio = nullptr;
    FAudioMasteringVoiceAdapter *_master = nullptr;
    unsigned _sourceVoices = 0;
};

} // namespace software
