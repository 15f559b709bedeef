#include "AudioClock.h"

#include <cmath>

namespace AudioClock {

namespace {
constexpr uint32_t kBlockBytes = 65536;
constexpr double kTwoPow64 = 18446744073709551616.0;
constexpr double kTwoPow63 = 9223372036854775808.0;
} // namespace

uint32_t framesPerBlock(int channels) {
    return channels > 0 ? kBlockBytes / (2u * static_cast<uint32_t>(channels)) : 0;
}

double audioTime(uint64_t samplesPlayed, uint64_t samplesBase, long rate) {
    return static_cast<double>(samplesPlayed - samplesBase) / static_cast<double>(rate);
}

bool isDrift(double audioTime, double localTime) {
    return std::fabs(audioTime - localTime) > kDriftThreshold;
}

double resyncLead(double localTime, uint64_t samplesPlayed, int channels, long rate) {
    if (localTime == 0.0) {
        return kLeadAtZero;
    }
    const uint64_t frames = framesPerBlock(channels);
    if (frames == 0) {
        return 0.0;
    }
    const uint64_t intoBlock = samplesPlayed % frames;
    const double lead = static_cast<double>(frames - intoBlock) / static_cast<double>(rate);
    return lead > 0.0 ? lead : 0.0;
}

uint64_t rebasedSamplesBase(double audioTime, double localTime, long rate, uint64_t oldBase) {
    // The old base is taken as signed: a base below zero (kept modulo 2^64) is then a
    // small exact number instead of one near 2^64, where a double is 4,096 frames coarse.
    double base = std::trunc((audioTime - localTime) * static_cast<double>(rate) +
                             static_cast<double>(static_cast<int64_t>(oldBase)));
    if (!std::isfinite(base)) {
        return oldBase;
    }
    // Keep any reading in range (the voice's count restarts at 0 after an end-of-stream
    // block, which can make the clock read far ahead), so every conversion is defined.
    base = std::fmod(base, kTwoPow64);
    if (base >= kTwoPow63) {
        base -= kTwoPow64;
    } else if (base < -kTwoPow63) {
        base += kTwoPow64;
    }
    return static_cast<uint64_t>(static_cast<int64_t>(base));
}

} // namespace AudioClock
