// The exported functions, the handle registries and the library-wide state.
//
// Every export runs on the host's thread and none is reentrant, so the registries and
// the state below need no lock; the media objects' own threads never touch them.
#include <cstddef>
#include <memory>
#include <string>

#include "Platform.h"
#include "audio/VorbisAudio.h"
#include "core/HandleRegistry.h"
#include "core/IMedia.h"
#include "core/Trace.h"
#include "quenvo.h"
#include "timeline/Container.h"
#include "video/TheoraVideo.h"

// The records cross the boundary by layout, so pin it down.
static_assert(offsetof(PlaybackStatus, time) == 0 && offsetof(PlaybackStatus, length) == 8 &&
                  offsetof(PlaybackStatus, state) == 16 && offsetof(PlaybackStatus, ready) == 20 &&
                  sizeof(PlaybackStatus) == 24,
              "PlaybackStatus layout");
static_assert(offsetof(VideoInfo, frameWidth) == 0 && offsetof(VideoInfo, frameHeight) == 4 &&
                  offsetof(VideoInfo, framesPerSecond) == 8 &&
                  offsetof(VideoInfo, pixelAspect) == 12 && offsetof(VideoInfo, length) == 16,
              "VideoInfo layout");
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(offsetof(VideoInfo, texture) == 20 && sizeof(VideoInfo) == 24, "VideoInfo layout");
#else
// 64-bit hosts: the pointer is 8 bytes, aligned after 4 bytes of padding.
static_assert(offsetof(VideoInfo, texture) == 24 && sizeof(VideoInfo) == 32, "VideoInfo layout");
#endif

namespace {

// The XAudio2 2.5 engine class and the interface with the 2.4-2.7 layout, spelled out
// here so the library does not depend on which SDK defines them.
const GUID kXAudio2Class = {
    0x4C9B6DDE, 0x6809, 0x46E6, {0xA2, 0x78, 0x9B, 0x6A, 0x97, 0x58, 0x86, 0x70}};
const GUID kXAudio2Interface = {
    0x8BCF1F58, 0x9FE7, 0x4583, {0x8A, 0xC6, 0xE2, 0xAD, 0xC4, 0x65, 0xC8, 0xBB}};

// The library-wide state, created empty at load. The engine and the mastering voice live
// as long as the process; the registries let go of their entries at unload without
// destroying the objects (the host frees them before it unloads the library).
IDirect3DDevice9 *_pD3DDevice = nullptr;
IXAudio2 *_pXAudio2 = nullptr;
IXAudio2MasteringVoice *_pMasteringVoice = nullptr;
HandleRegistry<Container> _containers;
HandleRegistry<IMedia> _media;

// What the platform's XAudio2Create does: create the engine object, then initialise it.
HRESULT createAudioEngine(IXAudio2 **engine) {
    *engine = nullptr;
    IXAudio2 *created = nullptr;
    HRESULT hr = CoCreateInstance(kXAudio2Class, nullptr, CLSCTX_INPROC_SERVER, kXAudio2Interface,
                                  reinterpret_cast<void **>(&created));
    if (FAILED(hr))
        return hr;
    hr = created->Initialize(0, XAUDIO2_DEFAULT_PROCESSOR);
    if (FAILED(hr)) {
        created->Release();
        return hr;
    }
    *engine = created;
    return hr;
}

// Registers a media object whose open succeeded; destroys it otherwise (without close:
// the object copes with an open that failed at any step).
int registerOpened(std::unique_ptr<IMedia> media, int openResult) {
    if (openResult != 1)
        return 0;
    const int handle = _media.add(media.get());
    if (handle != 0)
        media.release();
    return handle;
}

// One wide character per byte, without sign extension, so a path names the same file
// here as it does for audio, whatever bytes it holds.
std::wstring widen(const char *path) {
    std::wstring wide;
    for (const char *p = path; *p; ++p)
        wide.push_back(wchar_t(static_cast<unsigned char>(*p)));
    return wide;
}

void writeMediaStatus(IMedia &media, PlaybackStatus *status) {
    status->time = media.getPosition();
    status->length = media.getLength();
    status->ready = media.isReady() ? 1 : 0;
}

int freeMedia(int handle) {
    IMedia *media = _media.find(handle);
    if (!media)
        return 0;
    _media.remove(handle);
    media->close();
    delete media;
    return 1;
}

int attachMedia(int container, int media, int offset) {
    Container *target = _containers.find(container);
    if (!target)
        return 0;
    IMedia *member = _media.find(media);
    if (!member)
        return 0;
    return target->attach(member, double(offset));
}

} // namespace

extern "C" {

QNV_API int QNV_CALL qnv_init(IDirect3DDevice9 *device) {
    _pD3DDevice = device;
    // A thread already in the single-threaded apartment refuses this; the engine is
    // free-threaded and is created all the same.
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);

    // A second call keeps what the first one made and only retries what is missing.
    if (!_pXAudio2) {
        const HRESULT hr = createAudioEngine(&_pXAudio2);
        if (FAILED(hr))
            traceFailure(hr, "Quenvo", 153,
                         "XAudio2Create( &_pXAudio2, 0, XAUDIO2_DEFAULT_PROCESSOR )");
    }
    // Without an engine there is nothing to make a mastering voice with; audio objects
    // then fail to open.
    if (_pXAudio2 && !_pMasteringVoice) {
        const HRESULT hr = _pXAudio2->CreateMasteringVoice(&_pMasteringVoice, 0, 0, 0, 0, nullptr);
        if (FAILED(hr)) {
            _pMasteringVoice = nullptr;
            traceFailure(hr, "Quenvo", 154, "_pXAudio2->CreateMasteringVoice(&_pMasteringVoice)");
        }
    }
    return 0;
}

QNV_API int QNV_CALL qnv_update(void) {
    for (const auto &entry : _containers.entries())
        entry.second->update();
    return 0;
}

QNV_API int QNV_CALL qnv_contrCreate(void) {
    auto container = std::make_unique<Container>();
    const int handle = _containers.add(container.get());
    if (handle != 0)
        container.release();
    return handle;
}

QNV_API int QNV_CALL qnv_contrFree(int container) {
    Container *freed = _containers.find(container);
    if (!freed)
        return 0;
    // Each member's destructor unlinks it from the member list, which ends the loop.
    while (freed->hasMembers()) {
        IMedia *member = freed->firstMember();
        _media.removeFirstHolding(member);
        member->close();
        delete member;
    }
    _containers.remove(container);
    delete freed;
    return 1;
}

QNV_API int QNV_CALL qnv_contrAddVorbis(int container, int media, int offset) {
    return attachMedia(container, media, offset);
}

QNV_API int QNV_CALL qnv_contrAddTheora(int container, int media, int offset) {
    return attachMedia(container, media, offset);
}

QNV_API int QNV_CALL qnv_contrPlay(int container) {
    if (Container *c = _containers.find(container))
        c->play();
    return 0;
}

QNV_API int QNV_CALL qnv_contrPause(int container) {
    if (Container *c = _containers.find(container))
        c->pause();
    return 0;
}

QNV_API int QNV_CALL qnv_contrStop(int container) {
    if (Container *c = _containers.find(container))
        c->stop();
    return 0;
}

QNV_API int QNV_CALL qnv_contrSetLength(int container, double length) {
    Container *c = _containers.find(container);
    if (!c)
        return 0;
    c->setLength(length);
    return 1;
}

QNV_API int QNV_CALL qnv_contrStatus(int container, PlaybackStatus *status) {
    Container *c = _containers.find(container);
    if (!c || !status)
        return 0;
    status->time = c->clock();
    status->length = c->length();
    status->state = c->state();
    return 1;
}

QNV_API int QNV_CALL qnv_vorbisCreate(const char *path) {
    if (!path)
        return 0;
    auto audio = std::make_unique<VorbisAudio>(_pXAudio2);
    const int opened = audio->openPath(path);
    return registerOpened(std::move(audio), opened);
}

QNV_API int QNV_CALL qnv_theoraCreate(const char *path) {
    if (!path)
        return 0;
    auto video = std::make_unique<TheoraVideo>(_pD3DDevice);
    const int opened = video->open(widen(path));
    return registerOpened(std::move(video), opened);
}

QNV_API int QNV_CALL qnv_vorbisStatus(int media, PlaybackStatus *status) {
    IMedia *m = _media.find(media);
    if (!m || !status)
        return 0;
    writeMediaStatus(*m, status);
    return 1;
}

QNV_API int QNV_CALL qnv_theoraStatus(int media, PlaybackStatus *status) {
    return qnv_vorbisStatus(media, status);
}

QNV_API int QNV_CALL qnv_theoraInfo(int media, VideoInfo *info) {
    IMedia *m = _media.find(media);
    if (!m || !info)
        return 0;
    // Only video objects have a frame to describe.
    auto *video = dynamic_cast<TheoraVideo *>(m);
    if (!video)
        return 0;
    info->frameWidth = video->width();
    info->frameHeight = video->height();
    info->framesPerSecond = video->framesPerSecond();
    info->pixelAspect = video->aspect();
    info->length = static_cast<float>(video->getLength());
    info->texture = video->texture();
    return 1;
}

QNV_API int QNV_CALL qnv_vorbisFree(int media) {
    return freeMedia(media);
}

QNV_API int QNV_CALL qnv_theoraFree(int media) {
    return freeMedia(media);
}

} // extern "C"
