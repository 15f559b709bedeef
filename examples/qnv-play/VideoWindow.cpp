#include "VideoWindow.h"

#include <SDL.h>

VideoWindow::VideoWindow(const std::string &title, int width, int height) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        _error = SDL_GetError();
        return;
    }
    _videoInitialised = true;
    _window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                               height, SDL_WINDOW_RESIZABLE);
    if (_window == nullptr) {
        _error = SDL_GetError();
    }
}

VideoWindow::~VideoWindow() {
    if (_window != nullptr) {
        SDL_DestroyWindow(_window);
    }
    if (_videoInitialised) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
}

void VideoWindow::show(const Image &frame) {
    if (_window == nullptr || frame.empty()) {
        return;
    }
    // The window's own surface and a plain blit work with every video driver, including
    // the offscreen one, where an accelerated renderer may not exist.
    SDL_Surface *target = SDL_GetWindowSurface(_window);
    SDL_Surface *source = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint8_t *>(frame.bgra.data()), frame.width, frame.height, 32, frame.pitch(),
        SDL_PIXELFORMAT_ARGB8888);
    if (target != nullptr && source != nullptr) {
        // The texture's alpha says nothing about coverage: copy, do not blend.
        SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
        SDL_BlitScaled(source, nullptr, target, nullptr);
        SDL_UpdateWindowSurface(_window);
    }
    SDL_FreeSurface(source);
}

bool VideoWindow::pump() {
    SDL_Event event;
    bool open = true;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT ||
            (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE)) {
            open = false;
        }
    }
    return open;
}
