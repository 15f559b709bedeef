// The host: what a game does with the library. A software Direct3D 9 device, qnv_init, one
// container holding the video and/or the sound at their offsets, a length, play, and a
// frame loop paced at the host rate that calls qnv_update between BeginScene and EndScene
// and hands each frame to the PlaybackWatch.
#pragma once

#include <memory>
#include <string>

#include "Options.h"
#include "PlaybackWatch.h"
#include "Report.h"

struct IDirect3DDevice9;
class VideoWindow;

class Player {
public:
    // `options.video` / `options.audio` are absolute paths (or empty); `outDir` is the
    // absolute output folder and the current directory while playing.
    Player(const PlayerOptions &options, std::string outDir);
    ~Player();
    Player(const Player &) = delete;
    Player &operator=(const Player &) = delete;

    // Plays to the end of the timeline (or until the window is closed) and fills
    // `summary`. False with `error` set when nothing could be played.
    bool play(Summary &summary, std::string &error);

private:
    bool createMedia(Summary &summary, std::string &error);
    void openWindow(const Summary &summary);
    void loop(Summary &summary);

    PlayerOptions _options;
    std::string _outDir;
    IDirect3DDevice9 *_device = nullptr;
    TimelineMedia _media;
    std::unique_ptr<VideoWindow> _window;
};
