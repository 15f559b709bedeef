// The built-in sample's music: a short tune of plucked notes over a bass line, so that
// a listener (or a look at the captured WAV) hears where in the tune the player is.
#pragma once

#include <cstdint>

namespace sample {

constexpr int kMelodyChannels = 2;

// Stereo sample at frame `frame` of a tune played at `rate` frames per second: the tune
// (eight notes per bar, two bars) repeats for as long as it is asked for. Left carries
// the melody louder, right the bass, so a swapped channel shows.
void melodyFrame(int64_t frame, long rate, float &left, float &right);

} // namespace sample
