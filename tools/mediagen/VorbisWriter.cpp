#include "VorbisWriter.h"

#include <cmath>

#include "ToneSignal.h"
#include "VorbisEncoder.h"

namespace mediagen {

namespace {

constexpr double kLinkOffsetHz = 10.0;

bool writeLink(OggFile &file, const VorbisLink &link, int index, float quality) {
    VorbisEncoder encoder(link.channels, link.rate, quality, /*serial=*/0x51560000 + index);
    if (!encoder.ok()) {
        return false;
    }
    const double offsetHz = kLinkOffsetHz * index;
    return encoder.writeStream(file, link.frames(), [&](int64_t frame, float *samples) {
        for (int c = 0; c < link.channels; ++c) {
            samples[c] = toneSample(c, frame, link.rate, offsetHz);
        }
    });
}

} // namespace

int64_t VorbisLink::frames() const {
    return std::llround(seconds * static_cast<double>(rate));
}

int64_t totalFrames(const std::vector<VorbisLink> &links) {
    int64_t total = 0;
    for (const VorbisLink &link : links) {
        total += link.frames();
    }
    return total;
}

bool writeVorbis(const std::string &path, const std::vector<VorbisLink> &links, float quality) {
    if (links.empty()) {
        return false;
    }
    OggFile file(path);
    if (!file.ok()) {
        return false;
    }
    for (size_t i = 0; i < links.size(); ++i) {
        if (!writeLink(file, links[i], static_cast<int>(i), quality)) {
            return false;
        }
    }
    return file.close();
}

bool writeVorbis(const std::string &path, const VorbisLink &link, float quality) {
    return writeVorbis(path, std::vector<VorbisLink>{link}, quality);
}

} // namespace mediagen
