/*
 * quenvo.h - Ogg Vorbis audio and Ogg Theora video for Direct3D 9 hosts.
 *
 * Synopsis
 *   qnv_init(device);                     once, on the rendering thread
 *   int c = qnv_contrCreate();            a timeline with its own clock
 *   int v = qnv_theoraCreate("intro.ogv");
 *   int a = qnv_vorbisCreate("intro.ogg");
 *   qnv_contrAddTheora(c, v, 0);          both start when the clock is at 0 s
 *   qnv_contrAddVorbis(c, a, 0);
 *   qnv_contrSetLength(c, 30.0);          the container stops itself at 30 s
 *   qnv_contrPlay(c);
 *   every frame, between BeginScene and EndScene:
 *     qnv_update();
 *     qnv_theoraInfo(v, &info);           draw info.texture wherever you like
 *   qnv_contrFree(c);                     frees the container and its media
 *
 * Threads: every function is called on the host's rendering thread (the thread
 * that owns the Direct3D 9 device given to qnv_init). None is reentrant.
 *
 * Handles: containers and media objects are named by signed 32-bit handles.
 * The two registries number independently. A registry hands out 1 when it is
 * empty and otherwise its largest handle plus 2, so a fresh library issues
 * 1, 3, 5, ... A failed creation uses up no number. A handle the registry does
 * not hold (never issued, or freed) is "unregistered": the function does
 * nothing and returns 0, and a record passed with it is not written.
 *
 * Failures of platform calls are never returned: they are written, numbered,
 * to "qnv_log.txt" in the current directory (truncated by the first entry of a
 * process, appended to after that).
 *
 * The effect file "ycbcr2rgb.fxo" is loaded from the current directory when a
 * video is created. Without it videos still decode but their texture is never
 * drawn into (a warning box "Fx Compile Error" is shown once per video).
 */
#ifndef QUENVO_H
#define QUENVO_H

#include <stdint.h>

#ifdef _WIN32
#define QNV_CALL __cdecl
#ifdef QUENVO_BUILDING
#define QNV_API __declspec(dllexport)
#else
#define QNV_API __declspec(dllimport)
#endif
#else
#define QNV_CALL
#define QNV_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
struct IDirect3DDevice9;
struct IDirect3DTexture9;
extern "C" {
#else
typedef struct IDirect3DDevice9 IDirect3DDevice9;
typedef struct IDirect3DTexture9 IDirect3DTexture9;
#endif

/* Filled by qnv_contrStatus, qnv_vorbisStatus and qnv_theoraStatus.
 * 24 bytes, little-endian, on every target. */
typedef struct PlaybackStatus {
    double time;     /* container: its clock; media: position played, seconds */
    double length;   /* container: its length; media: whole length, seconds */
    int32_t state;   /* container only: 0 stopped, 1 playing, 2 paused */
    int32_t ready;   /* media only: 1 ready, 0 not (a video: five frames queued) */
} PlaybackStatus;

/* Filled by qnv_theoraInfo. 24 bytes on 32-bit targets; on 64-bit targets the
 * texture pointer is 8 bytes and the record 32 (texture at offset 24, after
 * 4 bytes of padding). */
typedef struct VideoInfo {
    int32_t frameWidth;           /* decoded frame width, pixels (not the picture region) */
    int32_t frameHeight;          /* decoded frame height, pixels */
    int32_t framesPerSecond;      /* frame-rate numerator / denominator, fraction dropped */
    float pixelAspect;            /* aspect numerator / denominator, 1.0 when either is 0 */
    float length;                 /* video length, seconds */
    IDirect3DTexture9 *texture;   /* A8R8G8B8 render target holding the frame shown; owned
                                     by the video, valid until it is freed */
} VideoInfo;

/* Keeps the device (no reference is added), initialises COM (multithreaded)
 * on the calling thread and creates the XAudio2 engine and its mastering
 * voice. Call once before creating media: media created before it fail (0).
 * A thread already in the single-threaded COM apartment is fine. A failure is
 * logged; audio then cannot be created (qnv_vorbisCreate returns 0) but video
 * can. Calling it again takes the new device and keeps the engine and
 * mastering voice it already has, creating only what is missing (so a failed
 * first attempt can be retried).
 * Returns 0. */
QNV_API int QNV_CALL qnv_init(IDirect3DDevice9 *device);

/* Runs every container's per-frame work in ascending handle order: stops a
 * container at its length, starts members whose offset has come, and lets
 * each started video show its due frame (it draws with the device, so call
 * this between BeginScene and EndScene). Returns 0. */
QNV_API int QNV_CALL qnv_update(void);

/* Creates an empty, stopped container with no length limit; returns its
 * handle. */
QNV_API int QNV_CALL qnv_contrCreate(void);

/* Frees every media object attached to the container (their handles become
 * unregistered), then the container. 1; 0 for an unregistered handle. */
QNV_API int QNV_CALL qnv_contrFree(int container);

/* Attaches a media object (audio or video: both names accept either) to a
 * container, starting `offset` whole seconds into the container's clock.
 * An object belongs to at most one container: attaching it again (to the
 * same or another container) moves it, with the new offset.
 * 1; 0 if either handle is unregistered. */
QNV_API int QNV_CALL qnv_contrAddVorbis(int container, int media, int offset);
QNV_API int QNV_CALL qnv_contrAddTheora(int container, int media, int offset);

/* Play, pause and stop the container's clock and its members. Play on a
 * paused container resumes; stop rewinds to 0. Pause on a stopped container
 * holds the clock at 0 (the next play starts from 0).
 * Return 0 in every case, registered or not. */
QNV_API int QNV_CALL qnv_contrPlay(int container);
QNV_API int QNV_CALL qnv_contrPause(int container);
QNV_API int QNV_CALL qnv_contrStop(int container);

/* Sets the clock reading, in seconds, at which the next qnv_update stops the
 * container. 1; 0 for an unregistered handle. */
QNV_API int QNV_CALL qnv_contrSetLength(int container, double length);

/* Writes time (clock), length and state. 1; 0 for an unregistered handle or a
 * null record (nothing written). `ready` is not written. */
QNV_API int QNV_CALL qnv_contrStatus(int container, PlaybackStatus *status);

/* Opens an Ogg Vorbis file (the path goes to the file system byte for byte)
 * and creates its voice, paused at the start. Returns the media handle, or 0
 * when the file cannot be played (the log says why if a platform call
 * failed). */
QNV_API int QNV_CALL qnv_vorbisCreate(const char *path);

/* Opens an Ogg Theora file, creates its textures and starts decoding ahead.
 * Returns the media handle, or 0 when the file cannot be played. */
QNV_API int QNV_CALL qnv_theoraCreate(const char *path);

/* Both names accept audio and video handles alike: time = position played,
 * length = whole length, ready = 1/0. `state` is not written.
 * 1; 0 for an unregistered handle or a null record (nothing written). */
QNV_API int QNV_CALL qnv_vorbisStatus(int media, PlaybackStatus *status);
QNV_API int QNV_CALL qnv_theoraStatus(int media, PlaybackStatus *status);

/* Writes all six fields of a video's record. 1; 0 for an unregistered
 * handle, an audio handle or a null record (nothing written). */
QNV_API int QNV_CALL qnv_theoraInfo(int media, VideoInfo *info);

/* Both names free a media object of either kind (it leaves its container).
 * 1; 0 for an unregistered handle. */
QNV_API int QNV_CALL qnv_vorbisFree(int media);
QNV_API int QNV_CALL qnv_theoraFree(int media);

#ifdef __cplusplus
}
#endif

#endif /* QUENVO_H */
