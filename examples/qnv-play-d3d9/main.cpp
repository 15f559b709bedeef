// qnv-play-d3d9: the smallest Direct3D 9 program that plays a video with Quenvo.
//
//   qnv-play-d3d9 <video.ogv> [music.ogg] [--seconds S] [--hidden]
//
// It opens a window and a Direct3D 9 device, gives the device to qnv_init, puts the
// video and the music on one container and plays it. Every frame it calls qnv_update
// inside its scene and draws the video's texture into the window, letterboxed with the
// stream's pixel aspect. It ends when the container stops at its length (the video's, or
// S seconds), or when the window is closed; the exit status is 0 when the video played.
// ycbcr2rgb.fxo must be in the current directory.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <d3d9.h>
#include <windows.h>

#include "quenvo.h"

namespace {

struct Options {
    const char *video = nullptr;
    const char *music = nullptr;
    double seconds = 0.0; // 0: the video's length
    bool hidden = false;
};

bool parseOptions(int argc, char **argv, Options &options) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--hidden") == 0)
            options.hidden = true;
        else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc)
            options.seconds = std::atof(argv[++i]);
        else if (!options.video)
            options.video = argv[i];
        else if (!options.music)
            options.music = argv[i];
        else
            return false;
    }
    return options.video != nullptr;
}

bool windowClosed = false;

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        windowClosed = true;
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND createWindow(int width, int height, bool hidden) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = L"QnvPlayD3D9";
    RegisterClassW(&windowClass);
    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    HWND window =
        CreateWindowW(L"QnvPlayD3D9", L"qnv-play-d3d9", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                      CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                      nullptr, windowClass.hInstance, nullptr);
    if (window && !hidden)
        ShowWindow(window, SW_SHOW);
    return window;
}

IDirect3DDevice9 *createDevice(IDirect3D9 *d3d, HWND window, int width, int height) {
    D3DPRESENT_PARAMETERS present = {};
    present.BackBufferWidth = UINT(width);
    present.BackBufferHeight = UINT(height);
    present.BackBufferFormat = D3DFMT_X8R8G8B8;
    present.SwapEffect = D3DSWAPEFFECT_DISCARD;
    present.hDeviceWindow = window;
    present.Windowed = TRUE;
    present.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
    IDirect3DDevice9 *device = nullptr;
    if (FAILED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                 D3DCREATE_SOFTWARE_VERTEXPROCESSING, &present, &device)))
        return nullptr;
    return device;
}

// A screen-space vertex with one texture coordinate.
struct ScreenVertex {
    float x, y, z, rhw;
    float u, v;
};
constexpr DWORD kScreenVertexFormat = D3DFVF_XYZRHW | D3DFVF_TEX1;

// Draws `texture` as large as the back buffer allows with the picture's shape kept.
void drawVideo(IDirect3DDevice9 *device, const VideoInfo &info, int width, int height) {
    if (!info.texture || info.frameWidth <= 0 || info.frameHeight <= 0)
        return;
    const float pictureAspect = info.frameWidth * info.pixelAspect / info.frameHeight;
    float w = float(width);
    float h = w / pictureAspect;
    if (h > height) {
        h = float(height);
        w = h * pictureAspect;
    }
    // Pixel centres lie half a pixel off in Direct3D 9.
    const float left = (width - w) / 2 - 0.5f;
    const float top = (height - h) / 2 - 0.5f;
    const ScreenVertex quad[4] = {{left, top, 0, 1, 0, 0},
                                  {left + w, top, 0, 1, 1, 0},
                                  {left, top + h, 0, 1, 0, 1},
                                  {left + w, top + h, 0, 1, 1, 1}};
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetTexture(0, info.texture);
    device->SetFVF(kScreenVertexFormat);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex));
    device->SetTexture(0, nullptr);
}

// Frames until the container stops or the window closes.
void playLoop(IDirect3DDevice9 *device, int container, int video, int width, int height) {
    PlaybackStatus status = {};
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0, 0, 0), 1.0f, 0);
        device->BeginScene();
        qnv_update(); // inside the scene: the video draws its next frame now
        VideoInfo info = {};
        qnv_theoraInfo(video, &info);
        drawVideo(device, info, width, height);
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        qnv_contrStatus(container, &status);
    } while (status.state != 0 && !windowClosed);
}

} // namespace

int main(int argc, char **argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: qnv-play-d3d9 <video.ogv> [music.ogg] [--seconds S] "
                             "[--hidden]\n");
        return 2;
    }
    constexpr int kWidth = 800;
    constexpr int kHeight = 450;
    HWND window = createWindow(kWidth, kHeight, options.hidden);
    IDirect3D9 *d3d = Direct3DCreate9(D3D_SDK_VERSION);
    IDirect3DDevice9 *device = window && d3d ? createDevice(d3d, window, kWidth, kHeight) : nullptr;
    if (!device) {
        std::fprintf(stderr, "qnv-play-d3d9: no Direct3D 9 device\n");
        return 1;
    }

    qnv_init(device);
    const int container = qnv_contrCreate();
    const int video = qnv_theoraCreate(options.video);
    if (video == 0) {
        std::fprintf(stderr, "qnv-play-d3d9: cannot play %s (see qnv_log.txt)\n", options.video);
        return 1;
    }
    qnv_contrAddTheora(container, video, 0);
    if (options.music) {
        const int music = qnv_vorbisCreate(options.music);
        if (music)
            qnv_contrAddVorbis(container, music, 0);
        else
            std::fprintf(stderr, "qnv-play-d3d9: no music from %s\n", options.music);
    }
    PlaybackStatus videoStatus = {};
    qnv_theoraStatus(video, &videoStatus);
    qnv_contrSetLength(container, options.seconds > 0 ? options.seconds : videoStatus.length);

    qnv_contrPlay(container);
    playLoop(device, container, video, kWidth, kHeight);

    qnv_contrFree(container); // frees the video and the music with it
    device->Release();
    d3d->Release();
    if (!windowClosed)
        DestroyWindow(window);
    return 0;
}
