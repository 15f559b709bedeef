// Engines for tests that need more than the scripted engine offers: they hand out the
// scripted engine's voices (so every scripted check still works), after adjusting them or
// behind a wrapper that watches what the code under test submits.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "Platform.h"
#include "support/ScriptedXAudio2.h"

class ForwardingEngine : public IXAudio2 {
public:
    explicit ForwardingEngine(ScriptedXAudio2 &inner) : _inner(inner) {}
    virtual ~ForwardingEngine() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void **) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Initialize(UINT32, XAUDIO2_PROCESSOR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE CreateSourceVoice(IXAudio2SourceVoice **voice,
                                                const WAVEFORMATEX *format, UINT32 flags,
                                                float ratio, IXAudio2VoiceCallback *callback,
                                                const XAUDIO2_VOICE_SENDS *sends,
                                                const XAUDIO2_EFFECT_CHAIN *effects) override {
        const HRESULT hr =
            _inner.CreateSourceVoice(voice, format, flags, ratio, callback, sends, effects);
        if (SUCCEEDED(hr)) {
            *voice = adopt(*_inner.sourceVoice(_inner.sourceVoiceCount() - 1));
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE CreateMasteringVoice(IXAudio2MasteringVoice **, UINT32, UINT32,
                                                   UINT32, UINT32,
                                                   const XAUDIO2_EFFECT_CHAIN *) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE StartEngine() override { return S_OK; }
    void STDMETHODCALLTYPE StopEngine() override {}

protected:
    // The voice handed to the caller for a newly made scripted voice.
    virtual IXAudio2SourceVoice *adopt(ScriptedSourceVoice &voice) { return &voice; }

private:
    ScriptedXAudio2 &_inner;
};

// Its voices refuse every buffer.
class RefusingEngine final : public ForwardingEngine {
public:
    using ForwardingEngine::ForwardingEngine;

private:
    IXAudio2SourceVoice *adopt(ScriptedSourceVoice &voice) override {
        voice.setSubmitResult(XAUDIO2_E_INVALID_CALL);
        return &voice;
    }
};

// A voice that records the address of every block submitted and counts submissions of a
// block the voice still holds (one of the last BuffersQueued submitted). Valid while
// nothing is flushed.
class AddressRecordingVoice final : public IXAudio2SourceVoice {
public:
    explicit AddressRecordingVoice(ScriptedSourceVoice &inner) : _inner(inner) {}

    void STDMETHODCALLTYPE DestroyVoice() override { _inner.DestroyVoice(); }
    HRESULT STDMETHODCALLTYPE Start(UINT32 flags, UINT32 set) override {
        return _inner.Start(flags, set);
    }
    HRESULT STDMETHODCALLTYPE Stop(UINT32 flags, UINT32 set) override {
        return _inner.Stop(flags, set);
    }
    HRESULT STDMETHODCALLTYPE SubmitSourceBuffer(const XAUDIO2_BUFFER *buffer,
                                                 const void *wma) override {
        {
            std::lock_guard<std::mutex> guard(_lock);
            const size_t held = std::min(_inner.queuedBuffers().size(), _addresses.size());
            for (size_t i = _addresses.size() - held; i < _addresses.size(); ++i) {
                if (_addresses[i] == buffer->pAudioData) {
                    ++_overwrites;
                }
            }
            _addresses.push_back(buffer->pAudioData);
        }
        return _inner.SubmitSourceBuffer(buffer, wma);
    }
    HRESULT STDMETHODCALLTYPE FlushSourceBuffers() override { return _inner.FlushSourceBuffers(); }
    void STDMETHODCALLTYPE GetState(XAUDIO2_VOICE_STATE *state) override { _inner.GetState(state); }

    std::vector<const BYTE *> addresses() const {
        std::lock_guard<std::mutex> guard(_lock);
        return _addresses;
    }
    int overwrites() const {
        std::lock_guard<std::mutex> guard(_lock);
        return _overwrites;
    }

private:
    ScriptedSourceVoice &_inner;
    mutable std::mutex _lock;
    std::vector<const BYTE *> _addresses;
    int _overwrites = 0;
};

// Its voices record the block addresses submitted to them.
class AddressRecordingEngine final : public ForwardingEngine {
public:
    using ForwardingEngine::ForwardingEngine;
    AddressRecordingVoice &voice(size_t i) { return *_voices.at(i); }

private:
    IXAudio2SourceVoice *adopt(ScriptedSourceVoice &voice) override {
        _voices.push_back(std::make_unique<AddressRecordingVoice>(voice));
        return _voices.back().get();
    }
    std::vector<std::unique_ptr<AddressRecordingVoice>> _voices;
};
