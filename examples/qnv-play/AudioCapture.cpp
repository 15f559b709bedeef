#include "AudioCapture.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "WavFile.h"

namespace {

constexpr int kChannels = 2;

std::string capturePath(const std::string &outDir) {
    return outDir + "/audio.f32";
}

} // namespace

AudioCapture::AudioCapture(const std::string &outDir, int rate) : _outDir(outDir), _rate(rate) {
    setenv("SDL_AUDIODRIVER", "disk", /*overwrite=*/0);
    const char *driver = std::getenv("SDL_AUDIODRIVER");
    _active = driver != nullptr && std::string(driver) == "disk";
    if (!_active) {
        return;
    }
    setenv("SDL_DISKAUDIOFILE", capturePath(outDir).c_str(), 1);
    setenv("SDL_AUDIO_FREQUENCY", std::to_string(rate).c_str(), 1);
    setenv("SDL_AUDIO_CHANNELS", std::to_string(kChannels).c_str(), 1);
}

AudioCapture::~AudioCapture() {
    if (_active) {
        std::remove(capturePath(_outDir).c_str());
    }
}

std::string AudioCapture::wavPath() const {
    return _outDir + "/audio.wav";
}

double AudioCapture::finish() {
    if (!_active) {
        return -1.0;
    }
    const WavResult wav = convertCaptureToWav(capturePath(_outDir), wavPath(), _rate, kChannels);
    return wav.ok ? static_cast<double>(wav.frames) / _rate : -1.0;
}
