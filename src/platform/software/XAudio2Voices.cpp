// The XAudio2 voices over FAudio voices, and the thunk that turns FAudio's C callbacks
// into calls on the XAudio2 callback object.
#include <cstring>

#include "XAudio2FAudio.h"

namespace software {
namespace {

IXAudio2VoiceCallback *target(FAudioVoiceCallback *callback) {
    return reinterpret_cast<FAudioCallbackThunk *>(callback)->target;
}

void FAUDIOCALL onBufferEnd(FAudioVoiceCallback *callback, void *context) {
    target(callback)->OnBufferEnd(context);
}
void FAUDIOCALL onBufferStart(FAudioVoiceCallback *callback, void *context) {
    target(callback)->OnBufferStart(context);
}
void FAUDIOCALL onLoopEnd(FAudioVoiceCallback *callback, void *context) {
    target(callback)->OnLoopEnd(context);
}
void FAUDIOCALL onStreamEnd(FAudioVoiceCallback *callback) {
    target(callback)->OnStreamEnd();
}
void FAUDIOCALL onVoiceError(FAudioVoiceCallback *callback, void *context, uint32_t error) {
    target(callback)->OnVoiceError(context, static_cast<HRESULT>(error));
}
void FAUDIOCALL onPassEnd(FAudioVoiceCallback *callback) {
    target(callback)->OnVoiceProcessingPassEnd();
}
void FAUDIOCALL onPassStart(FAudioVoiceCallback *callback, uint32_t bytesRequired) {
    target(callback)->OnVoiceProcessingPassStart(bytesRequired);
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

HRESULT FAudioSourceVoiceAdapter::Start(UINT32 flags, UINT32 operationSet) {
    return static_cast<HRESULT>(FAudioSourceVoice_Start(_voice, flags, operationSet));
}

HRESULT FAudioSourceVoiceAdapter::Stop(UINT32 flags, UINT32 operationSet) {
    return static_cast<HRESULT>(FAudioSourceVoice_Stop(_voice, flags, operationSet));
}

HRESULT FAudioSourceVoiceAdapter::SubmitSourceBuffer(const XAUDIO2_BUFFER *buffer,
                                                     const void *bufferWma) {
    if (!buffer || !isValidBuffer(*buffer, _format, bufferWma))
        return XAUDIO2_E_INVALID_CALL;
    FAudioBuffer faudioBuffer;
    static_assert(sizeof(faudioBuffer) == sizeof(*buffer),
                  "FAudio's buffer has the Windows layout");
    std::memcpy(&faudioBuffer, buffer, sizeof(faudioBuffer));
    return static_cast<HRESULT>(
        FAudioSourceVoice_SubmitSourceBuffer(_voice, &faudioBuffer, nullptr));
}

HRESULT FAudioSourceVoiceAdapter::FlushSourceBuffers() {
    return static_cast<HRESULT>(FAudioSourceVoice_FlushSourceBuffers(_voice));
}

void FAudioSourceVoiceAdapter::GetState(XAUDIO2_VOICE_STATE *state) {
    if (!state)
        return;
    FAudioVoiceState faudioState;
    static_assert(sizeof(faudioState) == sizeof(*state),
                  "FAudio's voice state has the Windows layout");
    FAudioSourceVoice_GetState(_voice, &faudioState, 0);
    std::memcpy(state, &faudioState, sizeof(*state));
}

} // namespace software
