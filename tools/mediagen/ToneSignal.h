// The test signal: a sine tone per channel, each channel at its own frequency so that a
// swapped or dropped channel shows in the decoded output.
#pragma once

#include <cstdint>

namespace mediagen {

// Frequency of channel c's tone: 220 Hz times (c + 1), except 55 Hz on channel 5 (the
// low-frequency channel of 5.1 audio), plus the link's offset so that the links of a
// chained file differ too.
double toneFrequency(int channel, double offsetHz = 0.0);

// Sample of channel c at frame n, amplitude 0.25 (well clear of clipping after encoding).
float toneSample(int channel, int64_t frame, long rate, double offsetHz = 0.0);

} // namespace mediagen
