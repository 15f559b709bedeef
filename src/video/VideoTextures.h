// The four textures of a Theora video object on the host's device: one L8 texture per
// plane (Y' frame-sized, Cb and Cr sized by the pixel format's subsampling) in the managed
// pool, and the A8R8G8B8 render target that the GPU pass fills and the host draws.
// Host's thread only.
#pragma once

#include <theora/codec.h>

#include "Platform.h"

struct VideoFrame;

class VideoTextures {
public:
    VideoTextures() = default;
    ~VideoTextures() { release(); }
    VideoTextures(const VideoTextures &) = delete;
    VideoTextures &operator=(const VideoTextures &) = delete;

    // Creates the four textures for a frame of width x height in pixelFormat. A texture
    // that cannot be created is logged and stays null; the others are still made.
    void create(IDirect3DDevice9 *device, int width, int height, th_pixel_fmt pixelFormat);

    // Copies each plane of the frame row by row into its texture. A plane whose texture
    // is missing or cannot be locked is left out.
    void upload(const VideoFrame &frame);

    // True when all four textures exist, so the GPU pass can run.
    bool complete() const;

    void release();

    IDirect3DTexture9 *_pMovieYTex = nullptr;
    IDirect3DTexture9 *_pMovieCbTex = nullptr;
    IDirect3DTexture9 *_pMovieCrTex = nullptr;
    IDirect3DTexture9 *_pMovieTex = nullptr;
};
