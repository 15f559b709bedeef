// XAudio2 in the 2.7 interface layout (the one the XAudio2 2.5 class also has): the
// engine, the mastering voice, source voices and the voice callback, with the Windows
// records, flags and result codes. On this platform the engine is an adapter over FAudio
// (XAudio2Engine.cpp), created with CoCreateInstance(CLSID_XAudio25, ..., IID_IXAudio27).
//
// Only the subset the library uses is declared. Voice methods may be called from any
// thread; callbacks run on the engine's own thread and must not block or call the voice.
// Voices are destroyed with DestroyVoice, source voices before the mastering voice; each
// voice holds a reference on the engine, so releasing the engine's last outside reference
// while voices exist keeps it alive until they are destroyed.
#pragma once

#include "Win32Types.h"

typedef UINT32 XAUDIO2_PROCESSOR;
#define XAUDIO2_ANY_PROCESSOR 0xFFFFFFFFu
#define XAUDIO2_DEFAULT_PROCESSOR XAUDIO2_ANY_PROCESSOR

#define XAUDIO2_COMMIT_NOW 0u
#define XAUDIO2_END_OF_STREAM 0x0040u
#define XAUDIO2_MAX_BUFFER_BYTES 0x80000000u
#define XAUDIO2_MAX_QUEUED_BUFFERS 64u
#define XAUDIO2_DEFAULT_FREQ_RATIO 2.0f
#define XAUDIO2_DEFAULT_CHANNELS 0u
#define XAUDIO2_DEFAULT_SAMPLERATE 0u

#define XAUDIO2_E_INVALID_CALL MAKE_HRESULT_VALUE(0x88960001u)
#define XAUDIO2_E_XMA_DECODER_ERROR MAKE_HRESULT_VALUE(0x88960002u)
#define XAUDIO2_E_XAPO_CREATION_FAILED MAKE_HRESULT_VALUE(0x88960003u)
#define XAUDIO2_E_DEVICE_INVALIDATED MAKE_HRESULT_VALUE(0x88960004u)

#define WAVE_FORMAT_PCM 0x0001u
#define WAVE_FORMAT_IEEE_FLOAT 0x0003u

// The XAudio2 2.5 class and its interface (the 2.7 layout), under the names mingw-w64's
// xaudio2.h gives them, so code naming them builds for both platforms.
inline constexpr GUID CLSID_XAudio25 = {
    0x4C9B6DDE, 0x6809, 0x46E6, {0xA2, 0x78, 0x9B, 0x6A, 0x97, 0x58, 0x86, 0x70}};
inline constexpr GUID IID_IXAudio27 = {
    0x8BCF1F58, 0x9FE7, 0x4583, {0x8A, 0xC6, 0xE2, 0xAD, 0xC4, 0x65, 0xC8, 0xBB}};

// WAVEFORMATEX is byte-packed as on Windows (18 bytes; its fields fall on their natural
// boundaries all the same). The XAudio2 records keep their natural alignment here: Windows
// packs them too, which on 32-bit x86 changes nothing, but on a 64-bit host packing would
// put pContext and SamplesPlayed off their boundaries, and code that takes a reference to
// them would be undefined. Nothing outside this process reads their bytes; the FAudio
// adapter copies them field by field.
#pragma pack(push, 1)
struct WAVEFORMATEX {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize;
};
#pragma pack(pop)

struct XAUDIO2_BUFFER {
    UINT32 Flags;
    UINT32 AudioBytes;
    const BYTE *pAudioData;
    UINT32 PlayBegin;
    UINT32 PlayLength;
    UINT32 LoopBegin;
    UINT32 LoopLength;
    UINT32 LoopCount;
    void *pContext;
};

struct XAUDIO2_VOICE_STATE {
    void *pCurrentBufferContext;
    UINT32 BuffersQueued;
    UINT64 SamplesPlayed;
};

struct IXAudio2Voice;

struct XAUDIO2_SEND_DESCRIPTOR {
    UINT32 Flags;
    IXAudio2Voice *pOutputVoice;
};

struct XAUDIO2_VOICE_SENDS {
    UINT32 SendCount;
    XAUDIO2_SEND_DESCRIPTOR *pSends;
};

struct XAUDIO2_EFFECT_DESCRIPTOR {
    IUnknown *pEffect;
    BOOL InitialState;
    UINT32 OutputChannels;
};

struct XAUDIO2_EFFECT_CHAIN {
    UINT32 EffectCount;
    XAUDIO2_EFFECT_DESCRIPTOR *pEffectDescriptors;
};

static_assert(sizeof(WAVEFORMATEX) == 18, "WAVEFORMATEX has the Windows layout");

// The callback a source voice makes on the engine's thread, in XAudio2's order.
struct IXAudio2VoiceCallback {
    virtual void STDMETHODCALLTYPE OnVoiceProcessingPassStart(UINT32 bytesRequired) = 0;
    virtual void STDMETHODCALLTYPE OnVoiceProcessingPassEnd() = 0;
    virtual void STDMETHODCALLTYPE OnStreamEnd() = 0;
    virtual void STDMETHODCALLTYPE OnBufferStart(void *bufferContext) = 0;
    virtual void STDMETHODCALLTYPE OnBufferEnd(void *bufferContext) = 0;
    virtual void STDMETHODCALLTYPE OnLoopEnd(void *bufferContext) = 0;
    virtual void STDMETHODCALLTYPE OnVoiceError(void *bufferContext, HRESULT error) = 0;

protected:
    ~IXAudio2VoiceCallback() = default;
};

// Voices are not COM objects: they live until DestroyVoice.
struct IXAudio2Voice {
    // No callback runs and no buffer memory is read after this returns. Must not be called
    // from the voice's own callback.
    virtual void STDMETHODCALLTYPE DestroyVoice() = 0;

protected:
    ~IXAudio2Voice() = default;
};

struct IXAudio2SourceVoice : IXAudio2Voice {
    // A new voice is stopped; Start plays the queued buffers, Stop halts and keeps them.
    virtual HRESULT STDMETHODCALLTYPE Start(UINT32 flags = 0,
                                            UINT32 operationSet = XAUDIO2_COMMIT_NOW) = 0;
    virtual HRESULT STDMETHODCALLTYPE Stop(UINT32 flags = 0,
                                           UINT32 operationSet = XAUDIO2_COMMIT_NOW) = 0;
    // Queues a buffer behind the ones already queued. Its memory is read until it has
    // played or been flushed. A zero-byte buffer is accepted with XAUDIO2_END_OF_STREAM.
    virtual HRESULT STDMETHODCALLTYPE SubmitSourceBuffer(const XAUDIO2_BUFFER *buffer,
                                                         const void *bufferWma = nullptr) = 0;
    // Drops the queued buffers that have not started; the playing one plays out if the voice
    // is started (a stopped voice drops it too).
    virtual HRESULT STDMETHODCALLTYPE FlushSourceBuffers() = 0;
    // BuffersQueued counts the playing buffer; SamplesPlayed counts frames played since the
    // voice was made (or since the last end-of-stream buffer finished).
    virtual void STDMETHODCALLTYPE GetState(XAUDIO2_VOICE_STATE *state) = 0;

protected:
    ~IXAudio2SourceVoice() = default;
};

struct IXAudio2MasteringVoice : IXAudio2Voice {
protected:
    ~IXAudio2MasteringVoice() = default;
};

struct IXAudio2 : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE
    Initialize(UINT32 flags = 0, XAUDIO2_PROCESSOR processor = XAUDIO2_DEFAULT_PROCESSOR) = 0;
    // XAUDIO2_E_INVALID_CALL before Initialize, without a mastering voice, or with a
    // format that is not PCM/float; E_NOTIMPL for sends or effects.
    virtual HRESULT STDMETHODCALLTYPE CreateSourceVoice(
        IXAudio2SourceVoice **voice, const WAVEFORMATEX *format, UINT32 flags = 0,
        float maxFrequencyRatio = XAUDIO2_DEFAULT_FREQ_RATIO,
        IXAudio2VoiceCallback *callback = nullptr, const XAUDIO2_VOICE_SENDS *sendList = nullptr,
        const XAUDIO2_EFFECT_CHAIN *effectChain = nullptr) = 0;
    // One mastering voice per engine; XAUDIO2_E_INVALID_CALL for a second one or when
    // there is no output device.
    virtual HRESULT STDMETHODCALLTYPE CreateMasteringVoice(
        IXAudio2MasteringVoice **voice, UINT32 channels = XAUDIO2_DEFAULT_CHANNELS,
        UINT32 sampleRate = XAUDIO2_DEFAULT_SAMPLERATE, UINT32 flags = 0, UINT32 deviceIndex = 0,
        const XAUDIO2_EFFECT_CHAIN *effectChain = nullptr) = 0;
    virtual HRESULT STDMETHODCALLTYPE StartEngine() = 0;
    virtual void STDMETHODCALLTYPE StopEngine() = 0;

protected:
    ~IXAudio2() = default;
};

// Makes the FAudio-backed engine, not yet initialised, and returns its `iid` interface
HRESULT softwareCreateFAudioEngine(REFIID iid, void **object);
