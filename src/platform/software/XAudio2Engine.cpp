// The XAudio2 engine over FAudio: creation through COM, the one mastering voice, source
// voices, and the bookkeeping that keeps FAudio from being called in states where it
// would crash (a source voice without a mastering voice, the mastering voice destroyed
// under live source voices).
#include <cstring>

#include "Com.h"
#include "XAudio2FAudio.h"

namespace software {
namespace {

bool hasEffects(const XAUDIO2_EFFECT_CHAIN *chain) {
    return chain && chain->EffectCount > 0;
}
bool hasSends(const XAUDIO2_VOICE_SENDS *sends) {
    return sends && sends->SendCount > 0;
}

// The formats FAudio can play from memory without extra records: integer PCM and
// 32-bit float, with a consistent block size.
bool isPlayableFormat(const WAVEFORMATEX &format) {
    const bool pcm = format.wFormatTag == WAVE_FORMAT_PCM &&
                     (format.wBitsPerSample == 8 || format.wBitsPerSample == 16 ||
                      format.wBitsPerSample == 24 || format.wBitsPerSample == 32);
    const bool ieeeFloat =
        format.wFormatTag == WAVE_FORMAT_IEEE_FLOAT && format.wBitsPerSample == 32;
    if (!pcm && !ieeeFloat)
        return false;
    if (format.nChannels < 1 || format.nChannels > FAUDIO_MAX_AUDIO_CHANNELS)
        return false;
    if (format.nSamplesPerSec < FAUDIO_MIN_SAMPLE_RATE ||
        format.nSamplesPerSec > FAUDIO_MAX_SAMPLE_RATE)
        return false;
    return format.nBlockAlign == format.nChannels * (format.wBitsPerSample / 8);
}

bool isValidFrequencyRatio(float ratio) {
    return ratio >= FAUDIO_MIN_FREQ_RATIO && ratio <= FAUDIO_MAX_FREQ_RATIO;
}

} // namespace

FAudioEngine::~FAudioEngine() {
    if (_faudio)
        FAudio_Release(_faudio);
}

HRESULT FAudioEngine::Initialize(UINT32 flags, XAUDIO2_PROCESSOR processor) {
    std::lock_guard<std::mutex> guard(_lock);
    if (_faudio)
        return XAUDIO2_E_INVALID_CALL;
    FAudio *faudio = nullptr;
    const uint32_t result = FAudioCreate(&faudio, flags, processor);
    if (result != 0)
        return static_cast<HRESULT>(result);
    _faudio = faudio;
    return S_OK;
}

HRESULT FAudioEngine::CreateMasteringVoice(IXAudio2MasteringVoice **voice, UINT32 channels,
                                           UINT32 sampleRate, UINT32 flags, UINT32 deviceIndex,
                                           const XAUDIO2_EFFECT_CHAIN *effectChain) {
    if (!voice)
        return E_INVALIDARG;
    *voice = nullptr;
    if (hasEffects(effectChain))
        return E_NOTIMPL;
    std::lock_guard<std::mutex> guard(_lock);
    if (!_faudio || _master)
        return XAUDIO2_E_INVALID_CALL;
    FAudioMasteringVoice *faudioVoice = nullptr;
    const uint32_t result = FAudio_CreateMasteringVoice(_faudio, &faudioVoice, channels, sampleRate,
                                                        flags, deviceIndex, nullptr);
    if (result != 0)
        return static_cast<HRESULT>(result);
    _master = new FAudioMasteringVoiceAdapter(*this, faudioVoice);
    AddRef();
    *voice = _master;
    return S_OK;
}

HRESULT FAudioEngine::CreateSourceVoice(IXAudio2SourceVoice **voice, const WAVEFORMATEX *format,
                                        UINT32 flags, float maxFrequencyRatio,
                                        IXAudio2VoiceCallback *callback,
                                        const XAUDIO2_VOICE_SENDS *sendList,
                                        const XAUDIO2_EFFECT_CHAIN *effectChain) {
    if (!voice)
        return E_INVALIDARG;
    *voice = nullptr;
    if (!format)
        return E_INVALIDARG;
    if (hasSends(sendList) || hasEffects(effectChain))
        return E_NOTIMPL;
    if (!isPlayableFormat(*format) || !isValidFrequencyRatio(maxFrequencyRatio))
        return XAUDIO2_E_INVALID_CALL;
    std::lock_guard<std::mutex> guard(_lock);
    // FAudio crashes making a source voice with no mastering voice to feed.
    if (!_faudio || !_master)
        return XAUDIO2_E_INVALID_CALL;
    auto *adapter = new FAudioSourceVoiceAdapter(*this, *format, callback);
    FAudioWaveFormatEx faudioFormat;
    static_assert(sizeof(faudioFormat) == sizeof(*format),
                  "FAudio's wave format has the Windows layout");
    std::memcpy(&faudioFormat, format, sizeof(faudioFormat));
    FAudioSourceVoice *faudioVoice = nullptr;
    // FAudio may call back as soon as the voice exists, before attach().
    orderWithFAudioCallbacks();
    const uint32_t result =
        FAudio_CreateSourceVoice(_faudio, &faudioVoice, &faudioFormat, flags, maxFrequencyRatio,
                                 adapter->thunk(), nullptr, nullptr);
    if (result != 0) {
        delete adapter;
        return static_cast<HRESULT>(result);
    }
    adapter->attach(faudioVoice);
    ++_sourceVoices;
    AddRef();
    *voice = adapter;
    return S_OK;
}

HRESULT FAudioEngine::StartEngine() {
    std::lock_guard<std::mutex> guard(_lock);
    if (!_faudio)
        return XAUDIO2_E_INVALID_CALL;
    return static_cast<HRESULT>(FAudio_StartEngine(_faudio));
}

void FAudioEngine::StopEngine() {
    std::lock_guard<std::mutex> guard(_lock);
    if (_faudio)
        FAudio_StopEngine(_faudio);
}

void FAudioEngine::destroyMasteringVoice(FAudioMasteringVoiceAdapter *voice) {
    {
        std::lock_guard<std::mutex> guard(_lock);
        // XAudio2 refuses to destroy a mastering voice that source voices still feed; it
        // stays usable.
        if (_sourceVoices > 0 || voice != _master)
            return;
        FAudioVoice_DestroyVoice(voice->voice());
        _master = nullptr;
    }
    delete voice;
    Release(); // the voice's reference; may delete the engine, so nothing follows
}

void FAudioEngine::destroySourceVoice(FAudioSourceVoiceAdapter *voice,
                                      FAudioSourceVoice *faudioVoice) {
    // FAudio makes no callback after this returns, so the adapter (and its thunk) may go.
    if (faudioVoice)
        FAudioVoice_DestroyVoice(faudioVoice);
    orderWithFAudioCallbacks();
    delete voice;
    {
        std::lock_guard<std::mutex> guard(_lock);
        --_sourceVoices;
    }
    Release();
}

} // namespace software

HRESULT softwareCreateFAudioEngine(REFIID iid, void **object) {
    if (!object)
        return E_POINTER;
    auto *engine = new software::FAudioEngine();
    const HRESULT result = engine->QueryInterface(iid, object);
    engine->Release(); // the creation reference; the interface handed out holds its own
    return result;
}
