// The arithmetic of the audio clock and its resynchronisation onto the container's
// timeline, as pure functions so that every boundary can be checked exactly.
//
// The audio clock is the count of frames the voice has played since a base count,
// divided by the rate. A resynchronisation seeks the decoder to the local time plus a
// lead (the part of the playing block still to be heard) and moves the base so that the
// clock reads the local time.
#pragma once

#include <cstdint>

namespace AudioClock {

// Clocks further apart than this are drifting; exactly this much is not.
constexpr double kDriftThreshold = 0.05;
// At local time zero the decoder starts this far in, whatever the voice has played.
constexpr double kLeadAtZero = 0.01;

// Frames in one 65,536-byte block of 16-bit PCM: 16,384 for stereo, 5,461 for six channels.
uint32_t framesPerBlock(int channels);

// (samplesPlayed - samplesBase) as an unsigned 64-bit difference, in seconds.
double audioTime(uint64_t samplesPlayed, uint64_t samplesBase, long rate);

bool isDrift(double audioTime, double localTime);

// Seconds from the voice's position (samplesPlayed) to the end of the block it plays,
// assuming every block so far was full; kLeadAtZero when localTime is exactly 0.
double resyncLead(double localTime, uint64_t samplesPlayed, int channels, long rate);

// The base at which the clock reads localTime where it read audioTime:
// (audioTime - localTime) x rate + oldBase, truncated toward zero. A base below zero (the
// local time is ahead of every frame played) is kept modulo 2^64, so the unsigned
// difference in audioTime() still gives the right clock, and is read back as such.
uint64_t rebasedSamplesBase(double audioTime, double localTime, long rate, uint64_t oldBase);

} // namespace AudioClock
