#include "TheoraVideo.h"

#include <utility>

namespace {

// Packets without a frame that one decode cycle passes over at most.
constexpr int kPacketsPerCycle = 64;

} // namespace

class TheoraVideo::CycleLock {
public:
    explicit CycleLock(HANDLE mutex) : _mutex(mutex) { WaitForSingleObject(_mutex, INFINITE); }
    ~CycleLock() { ReleaseMutex(_mutex); }
    CycleLock(const CycleLock &) = delete;
    CycleLock &operator=(const CycleLock &) = delete;

private:
    HANDLE _mutex;
};

TheoraVideo::TheoraVideo(IDirect3DDevice9 *device)
    : _hEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      _hCycleMutex(CreateMutexW(nullptr, FALSE, nullptr)), _pDevice(device),
      _gpuRender(device, L"ycbcr2rgb.fxo"), _reader(_state) {
    // Last, so that the thread finds every member constructed.
    if (_hEvent != nullptr && _hCycleMutex != nullptr && _frames.ok())
        _hThread = CreateThread(nullptr, 0, decodeThread, this, 0, nullptr);
}

TheoraVideo::~TheoraVideo() {
    _quit = 1;
    if (_hThread != nullptr) {
        SetEvent(_hEvent);
        WaitForSingleObject(_hThread, INFINITE);
        CloseHandle(_hThread);
    }
    if (_hEvent != nullptr)
        CloseHandle(_hEvent);
    if (_hCycleMutex != nullptr)
        CloseHandle(_hCycleMutex);
}

int TheoraVideo::open(std::wstring path) {
    // Without a device there is nothing to show frames in; without the thread, nothing
    // to decode them.
    if (_pDevice == nullptr || _hThread == nullptr)
        return -1;
    {
        // The decode thread may already be past its first look at _state: holding the
        // cycle lock keeps it out of the reader until the open is over.
        CycleLock lock(_hCycleMutex);
        if (!openLocked(path)) {
            _state = Closed;
            return -1;
        }
    }
    SetEvent(_hEvent);
    return 1;
}

bool TheoraVideo::openLocked(const std::wstring &path) {
    if (!_reader.openHeaders(path))
        return false;
    setPictureFacts();
    _textures.create(_pDevice, _width, _height, _reader.info().pixel_fmt);
    _duration = _reader.findDuration();
    _reader.rewind();
    _state = Ready;
    return true;
}

void TheoraVideo::setPictureFacts() {
    const th_info &info = _reader.info();
    _width = static_cast<int32_t>(info.frame_width);
    _height = static_cast<int32_t>(info.frame_height);
    _gpuRender.setSize(_width, _height);
    const uint32_t aspectNum = info.aspect_numerator;
    const uint32_t aspectDen = info.aspect_denominator;
    _aspect = aspectNum == 0 || aspectDen == 0
                  ? 1.0f
                  : static_cast<float>(static_cast<double>(aspectNum) / aspectDen);
    // The header parser refuses a zero frame rate.
    _fps = static_cast<int32_t>(info.fps_numerator / info.fps_denominator);
}

int TheoraVideo::close() {
    CycleLock lock(_hCycleMutex);
    if (_state >= Ready) {
        _textures.release();
        _reader.freeDecoder();
        _frames.clear();
        _state = HeadersRead;
    }
    _reader.close();
    _state = Closed;
    return 1;
}

int TheoraVideo::stop() {
    {
        CycleLock lock(_hCycleMutex);
        _frames.clear();
        if (_state < Ready)
            return 1;
        _reader.rewind();
        // Rewound, the stream has packets again, also after the decode thread had run out.
        _state = Ready;
    }
    SetEvent(_hEvent);
    return 1;
}

int TheoraVideo::update() {
    const double localTime = getLocalTime();
    if (_state < Ready)
        return -2;
    VideoFrame *frame = _frames.oldest();
    if (frame == nullptr)
        return -1;
    if (frame->time > localTime)
        return 0;
    _shownTime = frame->time;
    _textures.upload(*frame);
    _frames.recycleOldest();
    // Without all four textures the pass would be handed a missing one; the frame still
    // counts as shown, so playback keeps its pace.
    if (_textures.complete())
        _gpuRender.render(_textures._pMovieYTex, _textures._pMovieCbTex, _textures._pMovieCrTex,
                          _textures._pMovieTex);
    SetEvent(_hEvent);
    return 1;
}

DWORD WINAPI TheoraVideo::decodeThread(LPVOID self) {
    if (self == nullptr)
        return static_cast<DWORD>(-1);
    return static_cast<DWORD>(static_cast<TheoraVideo *>(self)->decodeLoop());
}

int TheoraVideo::decodeLoop() {
    for (;;) {
        if (_quit)
            return 1;
        const int32_t state = _state;
        if (state < Ready || state == StreamEnd) {
            WaitForSingleObject(_hEvent, INFINITE);
            if (_quit)
                return 1;
        }
        if (_frames.count() >= _maxFrames) {
            WaitForSingleObject(_hEvent, INFINITE);
            if (_quit)
                return 1;
        }
        CycleLock lock(_hCycleMutex);
        decodeCycle();
    }
}

void TheoraVideo::decodeCycle() {
    // What was seen before the lock may have changed: stop, close or the end of the
    // stream. Checking again also keeps the queue at five frames at most.
    const int32_t state = _state;
    if ((state != Ready && state != FileEnd) || _frames.count() >= _maxFrames ||
        _reader.decoder() == nullptr)
        return;
    // Packets that give no new frame are passed over: headers met again after a return
    // to the start (their granule position 0 restarts the frame clock), zero-byte packets
    // that repeat the frame before, damaged packets. A cycle passes over a bounded number
    // of them, so that stop and close never wait long for the lock on a damaged file; the
    // next cycle goes on from there.
    ogg_int64_t granule = 0;
    for (int packets = 0;; ++packets) {
        if (packets == kPacketsPerCycle)
            return;
        if (_reader.nextPacket() != 1) {
            _state = StreamEnd;
            return;
        }
        if (th_decode_packetin(_reader.decoder(), &_reader.packet(), &granule) == 0)
            break;
        ogg_int64_t packetGranule = _reader.packet().granulepos;
        if (packetGranule >= 0)
            th_decode_ctl(_reader.decoder(), TH_DECCTL_SET_GRANPOS, &packetGranule,
                          sizeof(packetGranule));
    }
    _frameTime = th_granule_time(_reader.decoder(), granule);
    _frameNumber = th_granule_frame(_reader.decoder(), granule);
    th_ycbcr_buffer decoded;
    th_decode_ycbcr_out(_reader.decoder(), decoded);
    // Out of memory, the frame is left out: the decoder has moved past it, and the next
    // cycle decodes the one after it.
    std::unique_ptr<VideoFrame> frame = _frames.spareFrame();
    if (frame && frame->copyFrom(decoded, _frameTime, _frameNumber))
        _frames.push(std::move(frame));
}
