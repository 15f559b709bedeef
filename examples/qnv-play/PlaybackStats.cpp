#include "PlaybackStats.h"

#include <algorithm>
#include <cmath>
#include <cstring>

VideoStats::VideoStats(double hostPeriod, uint64_t blankHash)
    : _hostPeriod(hostPeriod), _lastHash(blankHash) {}

bool VideoStats::take(const VideoSample &sample) {
    const bool readable = sample.frameNumber >= 0;
    // Until the first frame arrives the texture holds whatever it was created with; a
    // black texture would even read as frame 0, so nothing counts before it changes.
    const bool changed = sample.pictureHash != _lastHash;
    const bool newFrame =
        _anyShown ? (readable ? sample.frameNumber != _lastNumber : changed) : changed;
    if (!newFrame) {
        return false;
    }
    if (readable && _lastNumber >= 0 && sample.frameNumber > _lastNumber + 1) {
        _skipped += sample.frameNumber - _lastNumber - 1;
    }
    const double delay = sample.localTime - sample.shownTime;
    _worstDelay = std::max(_worstDelay, delay);
    if (delay > _hostPeriod) {
        ++_late;
    }
    ++_shown;
    _anyShown = true;
    _lastHash = sample.pictureHash;
    _lastNumber = readable ? sample.frameNumber : _lastNumber;
    return true;
}

void AudioOffsetStats::take(double audioPosition, double localTime) {
    const double offset = audioPosition - localTime;
    ++_samples;
    _sum += offset;
    _last = offset;
    if (std::fabs(offset) > std::fabs(_worst)) {
        _worst = offset;
    }
}

uint64_t hashBytes(const uint8_t *bytes, size_t count) {
    // FNV-1a taken a 64-bit word at a time: a frame is hashed every host frame.
    uint64_t hash = 1469598103934665603ull;
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        hash = (hash ^ word) * 1099511628211ull;
    }
    for (; i < count; ++i) {
        hash = (hash ^ bytes[i]) * 1099511628211ull;
    }
    return hash;
}
