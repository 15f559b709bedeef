// What the host saw during playback, gathered once per host frame: which video frames the
// RGB texture showed and how late, and how far the sound's clock was from its timeline.
#pragma once

#include <cstddef>
#include <cstdint>

// One host frame's look at the video, taken after qnv_update.
struct VideoSample {
    double localTime = 0.0;   // the container's clock minus the video's offset, seconds
    int frameNumber = -1;     // read from the texture's frame-number cells; -1: unreadable
    uint64_t pictureHash = 0; // of the texture's pixels
    // Due time of the frame last uploaded, which is the frame the texture holds
    // (qnv_theoraStatus time): exact for any frame rate, where the whole frames per second
    // of qnv_theoraInfo are not.
    double shownTime = 0.0;
};

class VideoStats {
public:
    // `hostPeriod` the time of one host frame; `blankHash` the texture's hash before any
    // frame was shown.
    VideoStats(double hostPeriod, uint64_t blankHash);

    // Takes one host frame's sample. Returns true when it shows a frame not shown before
    // (the texture changed to another picture).
    bool take(const VideoSample &sample);

    int framesShown() const { return _shown; }
    // Frames shown more than one host frame after they were due.
    int lateFrames() const { return _late; }
    // Frame numbers passed over between two frames shown (the library never drops frames,
    // so anything here is a fault).
    int skippedFrames() const { return _skipped; }
    int lastFrameNumber() const { return _lastNumber; }
    // Largest delay seen between a frame's due time and its first host frame, seconds.
    double worstDelay() const { return _worstDelay; }

private:
    double _hostPeriod;
    uint64_t _lastHash;
    bool _anyShown = false;
    int _lastNumber = -1;
    int _shown = 0;
    int _late = 0;
    int _skipped = 0;
    double _worstDelay = 0.0;
};

// The sound's clock against its timeline: audio position (qnv_vorbisStatus time) minus the
// container's clock less the sound's offset.
class AudioOffsetStats {
public:
    void take(double audioPosition, double localTime);

    int samples() const { return _samples; }
    double meanOffset() const { return _samples > 0 ? _sum / _samples : 0.0; }
    double lastOffset() const { return _last; }
    double worstOffset() const { return _worst; } // largest in magnitude, with its sign

private:
    int _samples = 0;
    double _sum = 0.0;
    double _last = 0.0;
    double _worst = 0.0;
};

// A hash of a byte range, to tell one picture from another.
uint64_t hashBytes(const uint8_t *bytes, size_t count);
