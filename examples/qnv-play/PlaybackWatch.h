// What the host watches once per host frame while the timeline plays: the video's RGB
// texture (read back, identified, written out as PNG and offered to the contact sheet), the
// sound's clock against the timeline, and the library's log. At the end it fills in the
// summary's figures and writes the contact sheet.
#pragma once

#include <string>

#include "ContactSheet.h"
#include "FrameWriter.h"
#include "Image.h"
#include "LogWatcher.h"
#include "Options.h"
#include "PlaybackStats.h"
#include "Report.h"
#include "TextureReadback.h"
#include "quenvo.h"

class VideoWindow;

// The media on the timeline, as the player created them (handles 0 when absent).
struct TimelineMedia {
    int container = 0;
    int video = 0;
    int audio = 0;
    VideoInfo info{};
    double audioLength = 0.0;
    double length = 0.0; // where the container stops
};

class PlaybackWatch {
public:
    // Reads the video's texture once before playback, to know its blank picture.
    PlaybackWatch(IDirect3DDevice9 *device, const TimelineMedia &media,
                  const PlayerOptions &options);

    // One host frame, after qnv_update; `frameClock` is the container's clock at the start
    // of the host frame, just before qnv_update. Frames are due against it, so the time
    // the update itself takes (upload and GPU pass) does not count as lateness. The frame
    // shown goes to `window` when there is one.
    void watch(double frameClock, VideoWindow *window);
    // The progress line for the clock of the last frame watched.
    std::string progress() const;
    // Waits for the frame PNGs, writes the contact sheet ("contact.png" in the current
    // directory) and fills in what was watched.
    void finish(Summary &summary);

private:
    void watchVideo(double clock, VideoWindow *window);
    void watchAudio();

    const TimelineMedia &_media;
    const PlayerOptions &_options;
    TextureReadback _readback;
    Image _frame;
    VideoStats _video;
    AudioOffsetStats _audio;
    LogWatcher _log;
    ContactSheet _sheet;
    FrameWriter _writer;
    double _clock = 0.0;
    int _hostFrames = 0;
};
