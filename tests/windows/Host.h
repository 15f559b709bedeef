// The game the tests play: a hidden window with its Direct3D 9 device, Quenvo.dll loaded
// by name and initialised with that device, and a frame loop that calls qnv_update
// between BeginScene and EndScene.
#pragma once

#include <functional>
#include <string>

#include "GameWindow.h"
#include "QuenvoLibrary.h"
#include "Readback.h"

class Host {
public:
    static constexpr UINT kWidth = 320;
    static constexpr UINT kHeight = 240;
    static constexpr D3DCOLOR kClearColour = D3DCOLOR_XRGB(0x33, 0x66, 0x99);

    Host();

    // True when the device exists and every export resolved (qnv_init has then run).
    bool ready() const;
    // Why the host is not ready, for the failure message.
    std::string problem() const;
    // True for the first host of the process: the library's registries and log are as a
    // fresh load leaves them. run-host.sh runs every test in its own process.
    bool freshLibrary() const { return _fresh; }

    const QuenvoExports &q() const { return _library.api(); }
    IDirect3DDevice9 *device() const { return _window.device(); }

    // One game frame: clear, BeginScene, qnv_update, `afterUpdate`, EndScene, Present.
    void frame(const std::function<void()> &afterUpdate = nullptr);
    // Frames until `done` returns true (checked after each frame) or `seconds` of wall
    // time have passed; returns whether `done` was reached.
    bool framesUntil(const std::function<bool()> &done, double seconds);
    // Frames for `seconds` of wall time.
    void framesFor(double seconds);

    PlaybackStatus containerStatus(int container) const;
    PlaybackStatus mediaStatus(int media) const;
    VideoInfo videoInfo(int media) const;

    // The frame number shown in a video's RGB texture, -1 when it cannot be read.
    int shownFrame(int video) const;

private:
    GameWindow _window;
    QuenvoLibrary _library;
    bool _fresh;
};

// The wall clock of the host in seconds (timeGetTime), for loop limits only.
double hostSeconds();
