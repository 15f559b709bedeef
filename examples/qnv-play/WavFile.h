// Turns the sound captured by SDL's `disk` audio driver (interleaved 32-bit floats, native
// byte order) into a 16-bit PCM WAV file.
#pragma once

#include <cstdint>
#include <string>

struct WavResult {
    bool ok = false;
    int64_t frames = 0; // sample frames written
};

// Converts the first whole frames of `capturePath` (the file may still be growing: only
// what it holds when the conversion starts is taken) into `wavPath`. Samples beyond -1..1
// are clipped. Fails when the capture cannot be read, the WAV cannot be written, or the
// capture is too long for a WAV file.
WavResult convertCaptureToWav(const std::string &capturePath, const std::string &wavPath, int rate,
                              int channels);

// One float sample as 16-bit PCM: clipped to -1..1, scaled by 32767, rounded to nearest.
int16_t floatToPcm16(float sample);
