#include "ScriptedXAudio2.h"

#include <utility>

namespace {

UINT64 framesIn(const ScriptedBuffer &buffer, const WAVEFORMATEX &format) {
    return format.nBlockAlign == 0 ? 0 : buffer.bytes.size() / format.nBlockAlign;
}

} // namespace

ScriptedSourceVoice::ScriptedSourceVoice(const WAVEFORMATEX &format, UINT32 flags,
                                         float maxFrequencyRatio, IXAudio2VoiceCallback *callback)
    : _format(format), _creationFlags(flags), _maxFrequencyRatio(maxFrequencyRatio),
      _callback(callback) {}

void ScriptedSourceVoice::record(const char *call) {
    if (_destroyed.load())
        ++_callsAfterDestroy;
    std::lock_guard<std::mutex> guard(_lock);
    _calls.emplace_back(call);
}

void ScriptedSourceVoice::DestroyVoice() {
    record("Destroy");
    _destroyed = true;
    _running = false;
}

HRESULT ScriptedSourceVoice::Start(UINT32 flags, UINT32) {
    record("Start");
    _lastStartFlags = flags;
    const HRESULT result = _startResult.load();
    if (SUCCEEDED(result))
        _running = true;
    return result;
}

HRESULT ScriptedSourceVoice::Stop(UINT32, UINT32) {
    record("Stop");
    const HRESULT result = _stopResult.load();
    if (SUCCEEDED(result))
        _running = false;
    return result;
}

HRESULT ScriptedSourceVoice::SubmitSourceBuffer(const XAUDIO2_BUFFER *buffer, const void *) {
    record("Submit");
    const HRESULT result = _submitResult.load();
    if (FAILED(result))
        return result;
    if (!buffer)
        return XAUDIO2_E_INVALID_CALL;
    ScriptedBuffer copy;
    if (buffer->AudioBytes > 0 && buffer->pAudioData)
        copy.bytes.assign(buffer->pAudioData, buffer->pAudioData + buffer->AudioBytes);
    copy.flags = buffer->Flags;
    copy.context = buffer->pContext;
    std::lock_guard<std::mutex> guard(_lock);
    _submitted.push_back(copy);
    _queue.push_back(std::move(copy));
    return S_OK;
}

HRESULT ScriptedSourceVoice::FlushSourceBuffers() {
    record("Flush");
    const HRESULT result = _flushResult.load();
    if (FAILED(result))
        return result;
    std::lock_guard<std::mutex> guard(_lock);
    // As in XAudio2, only a started voice keeps its playing buffer.
    const bool keepPlaying = _playing && _running.load();
    _queue.erase(keepPlaying ? _queue.begin() + 1 : _queue.begin(), _queue.end());
    _playing = keepPlaying;
    return S_OK;
}

void ScriptedSourceVoice::GetState(XAUDIO2_VOICE_STATE *state) {
    if (_destroyed.load())
        ++_callsAfterDestroy;
    if (!state)
        return;
    std::lock_guard<std::mutex> guard(_lock);
    state->pCurrentBufferContext = _playing ? _queue.front().context : nullptr;
    state->BuffersQueued = _overrideQueued ? _queuedOverride : static_cast<UINT32>(_queue.size());
    state->SamplesPlayed = _overridePlayed ? _playedOverride : _framesPlayed;
}

std::vector<std::string> ScriptedSourceVoice::calls() const {
    std::lock_guard<std::mutex> guard(_lock);
    return _calls;
}

std::vector<ScriptedBuffer> ScriptedSourceVoice::submittedBuffers() const {
    std::lock_guard<std::mutex> guard(_lock);
    return _submitted;
}

std::vector<ScriptedBuffer> ScriptedSourceVoice::queuedBuffers() const {
    std::lock_guard<std::mutex> guard(_lock);
    return _queue;
}

void ScriptedSourceVoice::setBuffersQueued(UINT32 count) {
    std::lock_guard<std::mutex> guard(_lock);
    _overrideQueued = true;
    _queuedOverride = count;
}

void ScriptedSourceVoice::setSamplesPlayed(UINT64 frames) {
    std::lock_guard<std::mutex> guard(_lock);
    _overridePlayed = true;
    _playedOverride = frames;
}

void ScriptedSourceVoice::clearStateOverrides() {
    std::lock_guard<std::mutex> guard(_lock);
    _overrideQueued = false;
    _overridePlayed = false;
}

bool ScriptedSourceVoice::startNextBuffer() {
    if (!_running.load() || _destroyed.load())
        return false;
    void *context = nullptr;
    {
        std::lock_guard<std::mutex> guard(_lock);
        if (_playing) {
            const ScriptedBuffer &finished = _queue.front();
            _framesPlayed =
                finished.endOfStream() ? 0 : _framesPlayed + framesIn(finished, _format);
            _queue.erase(_queue.begin());
            _playing = false;
        }
        if (_queue.empty())
            return false;
        _playing = true;
        context = _queue.front().context;
    }
    fireBufferStart(context);
    return true;
}

void ScriptedSourceVoice::fireBufferStart(void *context) {
    if (!_callback || _destroyed.load())
        return;
    _callback->OnBufferStart(context);
}

HRESULT ScriptedXAudio2::Initialize(UINT32 flags, XAUDIO2_PROCESSOR processor) {
    ++_initializeCalls;
    _initializeFlags = flags;
    _initializeProcessor = processor;
    return _initializeResult.load();
}

HRESULT ScriptedXAudio2::CreateMasteringVoice(IXAudio2MasteringVoice **voice, UINT32, UINT32,
                                              UINT32, UINT32, const XAUDIO2_EFFECT_CHAIN *) {
    if (!voice)
        return E_INVALIDARG;
    *voice = nullptr;
    const HRESULT result = _masteringResult.load();
    if (FAILED(result))
        return result;
    std::lock_guard<std::mutex> guard(_lock);
    _masteringVoices.push_back(std::make_unique<ScriptedMasteringVoice>());
    *voice = _masteringVoices.back().get();
    return result;
}

HRESULT ScriptedXAudio2::CreateSourceVoice(IXAudio2SourceVoice **voice, const WAVEFORMATEX *format,
                                           UINT32 flags, float maxFrequencyRatio,
                                           IXAudio2VoiceCallback *callback,
                                           const XAUDIO2_VOICE_SENDS *,
                                           const XAUDIO2_EFFECT_CHAIN *) {
    ++_sourceRequests;
    if (!voice)
        return E_INVALIDARG;
    *voice = nullptr;
    if (!format)
        return E_INVALIDARG;
    const HRESULT result = _sourceResult.load();
    if (FAILED(result))
        return result;
    std::lock_guard<std::mutex> guard(_lock);
    _sourceVoices.push_back(
        std::make_unique<ScriptedSourceVoice>(*format, flags, maxFrequencyRatio, callback));
    *voice = _sourceVoices.back().get();
    return result;
}

ScriptedMasteringVoice *ScriptedXAudio2::masteringVoice() const {
    std::lock_guard<std::mutex> guard(_lock);
    return _masteringVoices.empty() ? nullptr : _masteringVoices.back().get();
}

size_t ScriptedXAudio2::sourceVoiceCount() const {
    std::lock_guard<std::mutex> guard(_lock);
    return _sourceVoices.size();
}

ScriptedSourceVoice *ScriptedXAudio2::sourceVoice(size_t index) const {
    std::lock_guard<std::mutex> guard(_lock);
    return index < _sourceVoices.size() ? _sourceVoices[index].get() : nullptr;
}

size_t ScriptedXAudio2::liveSourceVoiceCount() const {
    std::lock_guard<std::mutex> guard(_lock);
    size_t live = 0;
    for (const auto &voice : _sourceVoices)
        live += voice->destroyed() ? 0 : 1;
    return live;
}

ScriptedXAudio2::Installation::Installation(ScriptedXAudio2 &engine) {
    softwareRegisterClass(CLSID_XAudio25, [&engine](REFIID iid, void **object) {
        return engine.QueryInterface(iid, object);
    });
}

ScriptedXAudio2::Installation::~Installation() {
    softwareResetClasses();
}

ScriptedXAudio2::FailingInstallation::FailingInstallation(HRESULT result) {
    softwareRegisterClass(CLSID_XAudio25, [result](REFIID, void **object) {
        *object = nullptr;
        return result;
    });
}

ScriptedXAudio2::FailingInstallation::~FailingInstallation() {
    softwareResetClasses();
}
