// What a game sets up before it loads the library: a window (kept hidden) and a HAL
// Direct3D 9 device with software vertex processing whose back buffer is the render
// target the game draws into.
#pragma once

#include <functional>

#include <d3d9.h>
#include <windows.h>

class GameWindow {
public:
    GameWindow(UINT width, UINT height);
    ~GameWindow();
    GameWindow(const GameWindow &) = delete;
    GameWindow &operator=(const GameWindow &) = delete;

    // The HRESULT of CreateDevice (or of Direct3DCreate9 failing: E_FAIL).
    HRESULT createResult() const { return _createResult; }
    IDirect3DDevice9 *device() const { return _device; }
    UINT width() const { return _width; }
    UINT height() const { return _height; }

    // One frame of the game: clear the back buffer to `clearColour`, open the scene, run
    // `inScene` (where the game calls qnv_update and may read the target back), close the
    // scene and present. Window messages are pumped first, as a game loop does.
    void frame(D3DCOLOR clearColour, const std::function<void()> &inScene);

private:
    void pumpMessages();

    UINT _width;
    UINT _height;
    HWND _window = nullptr;
    IDirect3D9 *_d3d = nullptr;
    IDirect3DDevice9 *_device = nullptr;
    HRESULT _createResult = E_FAIL;
};
