// The XAudio2 voices over FAudio voices, and the thunk that turns FAudio's C callbacks
// into calls on the XAudio2 callback object.
#include "XAudio2FAudio.h"

namespace software {
namespace {

std::atomic<uint32_t> g_callbackOrder{0};

// One callback on FAudio's thread, ordered with the application's voice calls.
class CallbackScope {
public:
    explicit CallbackScope(FAudioVoiceCallback *callback)
        : _thunk(*reinterpret_cast<FAudioCallbackThunk *>(callback)) {
        orderWithFAudioCallbacks();
    }
    ~CallbackScope() { orderWithFAudioCallbacks(); }
    CallbackScope(const CallbackScope &) = delete;
    CallbackScope &operator=(const CallbackScope &) = delete;

    IXAudio2VoiceCallback *operator->() const { return _thunk.target; }

private:
    FAudioCallbackThunk &_thunk;
};

void FAUDIOCALL onBufferEnd(FAudioVoiceCallback *callback, void *context) {
    CallbackScope(callback)->OnBufferEnd(context);
}
void FAUDIOCALL onBufferStart(FAudioVoiceCallback *callback, void *context) {
    CallbackScope(callback)->OnBufferStart(context);
}
void FAUDIOCALL onLoopEnd(FAudioVoiceCallback *callback, void *context) {
    CallbackScope(callback)->OnLoopEnd(context);
}
void FAUDIOCALL onStreamEnd(FAudioVoiceCallback *callback) {
    CallbackScope(callback)->OnStreamEnd();
}
void FAUDIOCALL onVoiceError(FAudioVoiceCallback *callback, void *context, uint32_t error) {
    CallbackScope(callback)->OnVoiceError(context, static_cast<HRESULT>(error));
}
void FAUDIOCALL onPassEnd(FAudioVoiceCallback *callback) {
    CallbackScope(callback)->OnVoiceProcessingPassEnd();
}
void FAUDIOCALL onPassStart(FAudioVoiceCallback *callback, uint32_t bytesRequired) {
    CallbackScope(callback)->OnVoiceProcessingPassStart(bytesRequired);
}

constexpr FAudioVoiceCallback kThunkTable = {onBufferEnd,  onBufferStart, onLoopEnd,  onStreamEnd,
                                             onVoiceError, onPassEnd,     onPassStart};

// A buffer FAudio can read without going outside its memory: bytes present when counted,
// whole frames, play and loop regions inside the buffer, no WMA packet table.
bool isValidBuffer(const XAUDIO2_BUFFER &buffer, const WAVEFORMATEX &format,
                   const void *bufferWma) {
    if (bufferWma)
        return false;
    if (buffer.AudioBytes > XAUDIO2_MAX_BUFFER_BYTES ||
        (buffer.AudioBytes > 0 && !buffer.pAudioData))
        return false;
    if (buffer.AudioBytes % format.nBlockAlign != 0)
        return false;
    const uint64_t frames = buffer.AudioBytes / format.nBlockAlign;
    if (static_cast<uint64_t>(buffer.PlayBegin) + buffer.PlayLength > frames)
        return false;
    if (buffer.LoopCount == 0)
        return true;
    if (buffer.LoopCount > FAUDIO_LOOP_INFINITE)
        return false;
    return static_cast<uint64_t>(buffer.LoopBegin) + buffer.LoopLength <= frames;
}

} // namespace

FAudioMasteringVoiceAdapter::FAudioMasteringVoiceAdapter(FAudioEngine &engine,
                                                         FAudioMasteringVoice *voice)
    : _engine(engine), _voice(voice) {}

void FAudioMasteringVoiceAdapter::DestroyVoice() {
    _engine.destroyMasteringVoice(this);
}

FAudioSourceVoiceAdapter::FAudioSourceVoiceAdapter(FAudioEngine &engine, const WAVEFORMATEX &format,
                                                   IXAudio2VoiceCallback *callback)
    : _engine(engine), _format(format), _thunk{kThunkTable, callback} {}

void FAudioSourceVoiceAdapter::DestroyVoice() {
    _engine.destroySourceVoice(this, _voice);
}

void orderWithFAudioCallbacks() {
    g_callbackOrder.fetch_add(1, std::memory_order_acq_rel);
}

HRESULT FAudioSourceVoiceAdapter::Start(UINT32 flags, UINT32 operationSet) {
    orderWithFAudioCallbacks();
    return static_cast<HRESULT>(FAudioSourceVoice_Start(_voice, flags, operationSet));
}

HRESULT FAudioSourceVoiceAdapter::Stop(UINT32 flags, UINT32 operationSet) {
    orderWithFAudioCallbacks();
    return static_cast<HRESULT>(FAudioSourceVoice_Stop(_voice, flags, operationSet));
}

HRESULT FAudioSourceVoiceAdapter::SubmitSourceBuffer(const XAUDIO2_BUFFER *buffer,
                                                     const void *bufferWma) {
    if (!buffer || !isValidBuffer(*buffer, _format, bufferWma))
        return XAUDIO2_E_INVALID_CALL;
    orderWithFAudioCallbacks();
    FAudioBuffer faudioBuffer;
    faudioBuffer.Flags = buffer->Flags;
    faudioBuffer.AudioBytes = buffer->AudioBytes;
    faudioBuffer.pAudioData = buffer->pAudioData;
    faudioBuffer.PlayBegin = buffer->PlayBegin;
    faudioBuffer.PlayLength = buffer->PlayLength;
    faudioBuffer.LoopBegin = buffer->LoopBegin;
    faudioBuffer.LoopLength = buffer->LoopLength;
    faudioBuffer.LoopCount = buffer->LoopCount;
    faudioBuffer.pContext = buffer->pContext;
    return static_cast<HRESULT>(
        FAudioSourceVoice_SubmitSourceBuffer(_voice, &faudioBuffer, nullptr));
}

HRESULT FAudioSourceVoiceAdapter::FlushSourceBuffers() {
    orderWithFAudioCallbacks();
    return static_cast<HRESULT>(FAudioSourceVoice_FlushSourceBuffers(_voice));
}

void FAudioSourceVoiceAdapter::GetState(XAUDIO2_VOICE_STATE *state) {
    if (!state)
        return;
    orderWithFAudioCallbacks();
    FAudioVoiceState faudioState;
    FAudioSourceVoice_GetState(_voice, &faudioState, 0);
    state->pCurrentBufferContext = faudioState.pCurrentBufferContext;
    state->BuffersQueued = faudioState.BuffersQueued;
    state->SamplesPlayed = faudioState.SamplesPlayed;
}

} // namespace software
