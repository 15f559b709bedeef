// Headless sound: SDL's `disk` audio driver writes the mix that the library plays (through
// FAudio) to a file of 32-bit float stereo at a chosen rate; at the end the capture becomes
// a 16-bit WAV. The driver is chosen through SDL's environment before the library starts
// its audio engine (qnv_init).
#pragma once

#include <string>

class AudioCapture {
public:
    // Chooses the disk driver when no driver was chosen by the user; capture is on when
    // the driver is `disk` (either way). Call before qnv_init.
    AudioCapture(const std::string &outDir, int rate);
    // Removes the raw capture: the engine lives as long as the process and keeps it open,
    // and removing the name leaves it writing to a file nobody sees.
    ~AudioCapture();
    AudioCapture(const AudioCapture &) = delete;
    AudioCapture &operator=(const AudioCapture &) = delete;

    bool active() const { return _active; }
    int rate() const { return _rate; }

    // Converts what was captured so far into "audio.wav" in the output folder. Returns the
    // WAV's length in seconds, or a negative value on failure.
    double finish();

    std::string wavPath() const;

private:
    std::string _outDir;
    int _rate;
    bool _active = false;
};
