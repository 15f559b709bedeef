// VorbisAudio: one Ogg Vorbis file played through its own XAudio2 source voice.
//
// The object owns the decoder, the voice, three 65,536-byte PCM blocks and a feeder
// thread. The feeder keeps at most two blocks queued on the voice: it sleeps on an
// auto-reset event that the voice signals whenever a block starts to play, and at each
// refill it compares the audio clock (frames played since a base count) with the local
// time on the owning container's timeline, seeking the decoder and re-basing the clock
// when they drift more than 0.05 s apart or after a stop.
//
// Threads: every operation but the feeder runs on the host's thread. The voice callback
// only signals the event. Values shared with the feeder are atomics; the orders that
// matter are noted where they are written.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "Platform.h"
#include "core/IMedia.h"

#include "VorbisBlockFill.h"

class VorbisAudio : public IMedia {
public:
    // `xaudio2` is the library's engine (not owned); null when there is none, and then
    // every open fails.
    explicit VorbisAudio(IXAudio2 *xaudio2);
    ~VorbisAudio() override;

    // Keeps the low 8 bits of each character and runs openPath.
    int open(std::wstring path) override;
    // Opens the file, creates the voice, queues block 0 and starts the feeder thread.
    // 1 when open, -1 when the file is not a readable Ogg Vorbis stream or the voice,
    // the event or the thread cannot be had; nothing is left behind on failure.
    int openPath(std::string path);
    // Ends the feeder, clears the decoder and destroys the voice. Always 1.
    int close() override;
    // Starts the voice with the clock's base at 0. 0 when not open.
    int play() override;
    // Stops the voice keeping its blocks. 0 when not open.
    int pause() override;
    // Stops and flushes the voice and has the feeder refill from the local time.
    // 0 when not open.
    int stop() override;
    int update() override { return 1; }
    double getLength() override { return _length; }
    // The audio clock in seconds; the length once the last block has played; 0 when not
    // open.
    double getPosition() override;
    bool isReady() override { return true; }

    // The voice's callback: signals the feeder's event when a block starts.
    class StreamingVoiceContext : public IXAudio2VoiceCallback {
    public:
        StreamingVoiceContext();
        virtual ~StreamingVoiceContext();
        StreamingVoiceContext(const StreamingVoiceContext &) = delete;
        StreamingVoiceContext &operator=(const StreamingVoiceContext &) = delete;

        void STDMETHODCALLTYPE OnVoiceProcessingPassStart(UINT32) override {}
        void STDMETHODCALLTYPE OnVoiceProcessingPassEnd() override {}
        void STDMETHODCALLTYPE OnStreamEnd() override {}
        void STDMETHODCALLTYPE OnBufferStart(void *) override { SetEvent(_hBufferEvent); }
        void STDMETHODCALLTYPE OnBufferEnd(void *) override {}
        void STDMETHODCALLTYPE OnLoopEnd(void *) override {}
        void STDMETHODCALLTYPE OnVoiceError(void *, HRESULT) override {}

        // Unnamed auto-reset event, created non-signalled; null if it could not be made.
        HANDLE _hBufferEvent;
    };

private:
    static DWORD WINAPI feederThread(LPVOID self);
    void runFeeder();
    // Waits for a block start (or a stop/close). False when the feeder is to end.
    bool waitForWake();
    // Compares the audio clock at `samplesPlayed` with the local time and resynchronises
    // when they drift apart or a stop asked for it.
    void checkClock(uint64_t samplesPlayed);
    // Queues block `index` holding `bytes` bytes; returns the voice's result.
    HRESULT submitBlock(int index, uint32_t bytes, bool endOfStream);
    // Tells the feeder to end, wakes it and waits for it; then no thread but the caller's
    // touches the decoder or the voice.
    void endFeeder();
    void destroyVoice();

    HANDLE _hThread = nullptr;
    std::atomic<uint64_t> _samplesBase{0};
    std::atomic<int32_t> _stopRequested{0};
    std::atomic<int32_t> _state{0};
    std::atomic<int32_t> _resyncRequested{0};
    // Blocks queued from the first end-of-stream block on (it included), 0 when none is;
    // cleared wherever the queue is flushed. Written by the feeder after each submission
    // and by stop.
    std::atomic<uint32_t> _blocksFromEnd{0};
    std::string _path;
    IXAudio2 *_pXAudio2;
    IXAudio2SourceVoice *_pSourceVoice = nullptr;
    double _length = 0.0;
    double _audioTime = 0.0;
    double _localTime = 0.0;
    OggVorbis_File _vorbisFile{};
    vorbis_info *_pVorbisInfo = nullptr;
    char _buffers[3][kPcmBlockBytes];
    std::atomic<int32_t> _bufferIndex{0};
    StreamingVoiceContext _streamContext;
    // Links played before the file counts as ended (see countPlayableLinks).
    int _playableLinks = 1;
};
