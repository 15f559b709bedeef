// An SDL window that shows the video's RGB texture as read back each host frame.
#pragma once

#include <string>

#include "Image.h"

struct SDL_Window;

class VideoWindow {
public:
    // Opens a window of the given size; ok() tells whether it worked, error() why not.
    VideoWindow(const std::string &title, int width, int height);
    ~VideoWindow();
    VideoWindow(const VideoWindow &) = delete;
    VideoWindow &operator=(const VideoWindow &) = delete;

    bool ok() const { return _window != nullptr; }
    const std::string &error() const { return _error; }

    // Draws the frame scaled to the window and shows it.
    void show(const Image &frame);
    // Handles the window's events; false once the user closed it or pressed Escape.
    bool pump();

private:
    SDL_Window *_window = nullptr;
    bool _videoInitialised = false;
    std::string _error;
};
