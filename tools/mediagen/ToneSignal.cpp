#include "ToneSignal.h"

#include <cmath>

namespace mediagen {

namespace {
constexpr double kBaseHz = 220.0;
// Channel 5 of a six-channel Vorbis stream is the low-frequency effects channel, which the
// encoder keeps only at low frequencies: it gets a tone below all the others.
constexpr int kLowFrequencyChannel = 5;
constexpr double kLowFrequencyHz = 55.0;
constexpr double kAmplitude = 0.25;
constexpr double kPi = 3.14159265358979323846;
} // namespace

double toneFrequency(int channel, double offsetHz) {
    if (channel == kLowFrequencyChannel) {
        return kLowFrequencyHz + offsetHz;
    }
    return kBaseHz * (channel + 1) + offsetHz;
}

float toneSample(int channel, int64_t frame, long rate, double offsetHz) {
    const double t = static_cast<double>(frame) / static_cast<double>(rate);
    return static_cast<float>(kAmplitude *
                              std::sin(2.0 * kPi * toneFrequency(channel, offsetHz) * t));
}

} // namespace mediagen
