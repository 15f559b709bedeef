#include "VorbisAudio.h"

#include "AudioClock.h"
#include "core/Trace.h"

namespace {

constexpr const char *kSource = "VorbisAudio";

// Every block queued after the first end-of-stream block is another end-of-stream block,
// and none of them can finish before it: while it is queued, at least `blocksFromEnd`
// blocks are. Fewer means it has finished, and the voice's count has restarted at 0.
bool streamEnded(uint32_t blocksFromEnd, const XAUDIO2_VOICE_STATE &voice) {
    return blocksFromEnd > 0 && voice.BuffersQueued < blocksFromEnd;
}

} // namespace

VorbisAudio::StreamingVoiceContext::StreamingVoiceContext()
    : _hBufferEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

VorbisAudio::StreamingVoiceContext::~StreamingVoiceContext() {
    if (_hBufferEvent != nullptr) {
        CloseHandle(_hBufferEvent);
    }
}

VorbisAudio::VorbisAudio(IXAudio2 *xaudio2) : _pXAudio2(xaudio2) {}

VorbisAudio::~VorbisAudio() {
    endFeeder();
    // Normally close has run; an object destroyed while open still gives its decoder back.
    if (_state.load() == 1) {
        ov_clear(&_vorbisFile);
        _state.store(0);
    }
    destroyVoice();
}

int VorbisAudio::open(std::wstring path) {
    std::string narrow;
    narrow.reserve(path.size());
    for (wchar_t unit : path) {
        narrow.push_back(static_cast<char>(static_cast<uint32_t>(unit) & 0xFFu));
    }
    return openPath(std::move(narrow));
}

int VorbisAudio::openPath(std::string path) {
    // Opened once: a second open would orphan the first decoder, voice and thread, and
    // after a close no feeder would run again.
    if (_state.load() == 1 || _stopRequested.load() == 1) {
        return -1;
    }
    _path = std::move(path);
    // Without an engine there is no voice; without the event the feeder could only spin.
    if (_pXAudio2 == nullptr || _streamContext._hBufferEvent == nullptr) {
        return -1;
    }
    if (ov_fopen(_path.c_str(), &_vorbisFile) != 0) {
        return -1;
    }
    _pVorbisInfo = ov_info(&_vorbisFile, -1);
    const ogg_int64_t totalFrames = ov_pcm_total(&_vorbisFile, -1);
    _length = totalFrames > 0 ? static_cast<double>(totalFrames) / _pVorbisInfo->rate : 0.0;
    _playableLinks = countPlayableLinks(_vorbisFile);

    WAVEFORMATEX wfx{};
    wfx.wFormatTag = WAVE_FORMAT_PCM;
    wfx.nChannels = static_cast<WORD>(_pVorbisInfo->channels);
    wfx.nSamplesPerSec = static_cast<DWORD>(_pVorbisInfo->rate);
    wfx.nAvgBytesPerSec = static_cast<DWORD>(_pVorbisInfo->rate * _pVorbisInfo->channels * 2);
    wfx.nBlockAlign = static_cast<WORD>(_pVorbisInfo->channels * 2);
    wfx.wBitsPerSample = 16;
    wfx.cbSize = 0;
    const HRESULT created =
        _pXAudio2->CreateSourceVoice(&_pSourceVoice, &wfx, 0, 2.0f, &_streamContext, 0, 0);
    if (FAILED(created)) {
        traceFailure(
            created, kSource, 96,
            "_pXAudio2->CreateSourceVoice(&_pSourceVoice, &wfx, 0, 2.0f, &_streamContext, 0, 0)");
        // Every later operation needs the voice: the open fails rather than run silent.
        _pSourceVoice = nullptr;
        ov_clear(&_vorbisFile);
        return -1;
    }

    const BlockFill first =
        fillBuffer(_vorbisFile, _pVorbisInfo->channels, _playableLinks, _buffers[0]);
    const HRESULT submitted = submitBlock(0, first.bytes, false);
    if (FAILED(submitted)) {
        traceFailure(submitted, kSource, 162, "_pSourceVoice->SubmitSourceBuffer(&buf)");
    }

    // The index before the state: a feeder that sees the object open fills block 1. Both
    // are set before the thread starts, so it fills block 1 as soon as it runs.
    _bufferIndex.store(1);
    _state.store(1);
    _resyncRequested.store(0);
    _hThread = CreateThread(nullptr, 0, feederThread, this, 0, nullptr);
    if (_hThread == nullptr) {
        // Nothing would refill the voice: give everything back and fail the open.
        _state.store(0);
        destroyVoice();
        ov_clear(&_vorbisFile);
        return -1;
    }
    return 1;
}

int VorbisAudio::close() {
    if (_state.load() == 1) {
        endFeeder();
        ov_clear(&_vorbisFile);
        destroyVoice();
    }
    _state.store(0);
    return 1;
}

int VorbisAudio::play() {
    if (_state.load() != 1) {
        return 0;
    }
    _samplesBase.store(0);
    _pSourceVoice->Start(0, XAUDIO2_COMMIT_NOW);
    return 1;
}

int VorbisAudio::pause() {
    if (_state.load() != 1) {
        return 0;
    }
    _pSourceVoice->Stop(0, XAUDIO2_COMMIT_NOW);
    return 1;
}

int VorbisAudio::stop() {
    if (_state.load() != 1) {
        return 0;
    }
    _pSourceVoice->Stop(0, XAUDIO2_COMMIT_NOW);
    // Flushed before the request is raised, so the feeder's refill never lands in front
    // of blocks that are about to be dropped.
    _pSourceVoice->FlushSourceBuffers();
    // Cleared after the flush: an end-of-stream block the feeder queued just before it is
    // gone, and one it queues after it is counted again.
    _blocksFromEnd.store(0);
    _resyncRequested.store(1);
    SetEvent(_streamContext._hBufferEvent);
    return 1;
}

double VorbisAudio::getPosition() {
    if (_state.load() != 1) {
        return 0.0;
    }
    // The count before the voice state: a block the feeder queues in between then adds to
    // BuffersQueued and not to the count, and cannot make the sound look ended.
    const uint32_t blocksFromEnd = _blocksFromEnd.load();
    XAUDIO2_VOICE_STATE state{};
    _pSourceVoice->GetState(&state);
    // After the last block the voice's count is 0 again, whatever the base: the clock
    // would read 0 or far ahead.
    if (streamEnded(blocksFromEnd, state)) {
        return _length;
    }
    return AudioClock::audioTime(state.SamplesPlayed, _samplesBase.load(), _pVorbisInfo->rate);
}

DWORD WINAPI VorbisAudio::feederThread(LPVOID self) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    static_cast<VorbisAudio *>(self)->runFeeder();
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return 1;
}

bool VorbisAudio::waitForWake() {
    // A failed wait would return at once every time; ending the feeder is the only way
    // not to spin on it.
    if (WaitForSingleObject(_streamContext._hBufferEvent, INFINITE) != WAIT_OBJECT_0) {
        return false;
    }
    return _stopRequested.load() != 1;
}

void VorbisAudio::runFeeder() {
    bool endOfFile = false;
    for (;;) {
        if (_stopRequested.load() == 1) {
            return;
        }
        if ((_state.load() != 1 || endOfFile) && !waitForWake()) {
            return;
        }
        XAUDIO2_VOICE_STATE voice{};
        _pSourceVoice->GetState(&voice);
        // Two blocks queued (the playing one counts) is enough: sleep until one starts.
        while (voice.BuffersQueued >= 2 && _resyncRequested.load() == 0) {
            if (!waitForWake()) {
                return;
            }
            _pSourceVoice->GetState(&voice);
        }
        const bool over = voice.BuffersQueued == 0 || streamEnded(_blocksFromEnd.load(), voice);
        if (endOfFile && over && _resyncRequested.load() == 0) {
            // Woken after the last block played: the sound is over. The clock is not
            // checked against a count that has restarted at 0.
            _pSourceVoice->Stop(0, XAUDIO2_COMMIT_NOW);
        } else {
            endOfFile = false;
            checkClock(voice.SamplesPlayed);
            const int index = _bufferIndex.load();
            const BlockFill fill =
                fillBuffer(_vorbisFile, _pVorbisInfo->channels, _playableLinks, _buffers[index]);
            endOfFile = fill.endOfFile;
            // Counted after the submission, so the count never runs ahead of the queue.
            if (SUCCEEDED(submitBlock(index, fill.bytes, endOfFile)) && endOfFile) {
                _blocksFromEnd.fetch_add(1);
            }
            _bufferIndex.store((index + 1) % 3);
        }
    }
}

void VorbisAudio::checkClock(uint64_t samplesPlayed) {
    const long rate = _pVorbisInfo->rate;
    const uint64_t base = _samplesBase.load();
    _localTime = getLocalTime();
    _audioTime = AudioClock::audioTime(samplesPlayed, base, rate);
    // The request is taken here, where it is acted on: a stop that comes in while this
    // block is being filled stays raised for the next refill instead of being cleared.
    const bool requested = _resyncRequested.exchange(0) == 1;
    if (!requested && !AudioClock::isDrift(_audioTime, _localTime)) {
        return;
    }
    const double lead =
        AudioClock::resyncLead(_localTime, samplesPlayed, _pVorbisInfo->channels, rate);
    // A target past the end fails and leaves the decoder where it was; the rest still runs.
    ov_time_seek(&_vorbisFile, _localTime + lead);
    // Cleared before the flush, so the shorter queue never reads as the end of the sound.
    _blocksFromEnd.store(0);
    _pSourceVoice->FlushSourceBuffers();
    _samplesBase.store(AudioClock::rebasedSamplesBase(_audioTime, _localTime, rate, base));
    traceWarning(kSource, 209, "Audio out of sync");
}

HRESULT VorbisAudio::submitBlock(int index, uint32_t bytes, bool endOfStream) {
    XAUDIO2_BUFFER buf{};
    buf.Flags = endOfStream ? XAUDIO2_END_OF_STREAM : 0;
    buf.AudioBytes = bytes;
    buf.pAudioData = reinterpret_cast<const BYTE *>(_buffers[index]);
    return _pSourceVoice->SubmitSourceBuffer(&buf);
}

void VorbisAudio::endFeeder() {
    // Raised before the wake-up, so the woken feeder sees it and ends.
    _stopRequested.store(1);
    if (_streamContext._hBufferEvent != nullptr) {
        SetEvent(_streamContext._hBufferEvent);
    }
    if (_hThread != nullptr) {
        WaitForSingleObject(_hThread, INFINITE);
        CloseHandle(_hThread);
        _hThread = nullptr;
    }
}

void VorbisAudio::destroyVoice() {
    if (_pSourceVoice != nullptr) {
        _pSourceVoice->DestroyVoice();
        _pSourceVoice = nullptr;
    }
}
