// TheoraVideo: the media object for Ogg Theora files. A decode thread of its own works
// ahead of presentation and keeps up to five decoded frames queued; on the host's thread
// `update` shows the oldest one once the local time has reached it, one frame per call,
// by uploading its planes into three textures and running the GPU pass into the RGB
// texture that the host draws.
//
// Threads: every operation runs on the host's thread; decodeLoop runs on the decode
// thread. The frame queue has its own mutex. The reader and decoder are used by one
// thread at a time: the decode thread holds the cycle lock for each frame it decodes,
// and open, stop and close hold it while they use them.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "FrameQueue.h"
#include "Platform.h"
#include "TheoraReader.h"
#include "VideoTextures.h"
#include "core/IMedia.h"
#include "gpu/GPUVideoRender.h"

class TheoraVideo : public IMedia {
public:
    // _state values.
    enum State : int32_t {
        Closed = 0,      // constructed or closed
        StreamFound = 1, // Theora stream found, headers being read
        HeadersRead = 2, // decoder allocated
        Ready = 3,       // textures made; the decode thread fills the queue
        FileEnd = 4,     // a read met the end of the file; decoding goes on
        StreamEnd = 5,   // the decode thread found no further packet
    };

    static constexpr int kMaxFrames = 5;

    // Starts the decode thread, which waits for the end of a successful open, and loads
    // the effect file into the GPU pass.
    explicit TheoraVideo(IDirect3DDevice9 *device);
    ~TheoraVideo() override;

    // 1 when the file is open, its textures made and decoding started; -1 otherwise
    // (no device, no file, no Theora stream, a file that ends before the first frame).
    int open(std::wstring path) override;
    int close() override;
    int play() override { return 1; }
    int pause() override { return 1; }
    // Empties the queue and returns to the start of the file; decoding starts again.
    int stop() override;
    // -2 not open; -1 no frame queued; 0 the oldest frame is not due yet; 1 a frame shown.
    int update() override;
    double getLength() override { return _duration; }
    // Due time of the frame shown last; 0 before the first one.
    double getPosition() override { return _shownTime; }
    // True when the queue holds its five frames.
    bool isReady() override { return _frames.count() == _maxFrames; }

    int32_t width() const { return _width; }
    int32_t height() const { return _height; }
    int32_t framesPerSecond() const { return _fps; }
    float aspect() const { return _aspect; }
    IDirect3DTexture9 *texture() const { return _textures._pMovieTex; }
    const VideoTextures &textures() const { return _textures; }
    int32_t state() const { return _state.load(); }
    int queuedFrames() const { return _frames.count(); }

private:
    static DWORD WINAPI decodeThread(LPVOID self);
    int decodeLoop();
    // Decodes the next frame into the queue, if there is room and a stream to read.
    void decodeCycle();
    bool openLocked(const std::wstring &path);
    void setPictureFacts();

    // Holds the cycle lock for a scope.
    class CycleLock;

    HANDLE _hEvent;
    HANDLE _hThread = nullptr;
    HANDLE _hCycleMutex;
    int32_t _fps = 0;
    int32_t _width = 0;
    int32_t _height = 0;
    float _aspect = 1.0f;
    const int32_t _maxFrames = kMaxFrames;
    std::atomic<int32_t> _state{Closed};
    std::atomic<int32_t> _quit{0};
    IDirect3DDevice9 *_pDevice;
    VideoTextures _textures;
    GPUVideoRender _gpuRender;
    TheoraReader _reader;
    double _frameTime = 0.0;
    int64_t _frameNumber = 0;
    double _shownTime = 0.0;
    double _duration = 0.0;
    FrameQueue _frames;
};
