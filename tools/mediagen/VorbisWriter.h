// Ogg Vorbis test files: one link or a chain of links, each with its own channel count,
// rate and length, carrying the per-channel tones of ToneSignal.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mediagen {

struct VorbisLink {
    int channels = 2;
    long rate = 44100;
    double seconds = 1.0;

    // Frames this link holds once decoded: seconds x rate, rounded.
    int64_t frames() const;
};

constexpr float kDefaultVorbisQuality = 0.4f;

// Writes the links one after another as a chained Ogg Vorbis file (a single link is a
// plain file). Link i's tones are shifted by 10 Hz x i. False when the file cannot be
// written or the encoder refuses a link's settings.
bool writeVorbis(const std::string &path, const std::vector<VorbisLink> &links,
                 float quality = kDefaultVorbisQuality);
bool writeVorbis(const std::string &path, const VorbisLink &link,
                 float quality = kDefaultVorbisQuality);

// Total frames of all links.
int64_t totalFrames(const std::vector<VorbisLink> &links);

} // namespace mediagen
