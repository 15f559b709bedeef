#include "VorbisWriter.h"

#include <algorithm>
#include <cmath>

#include "ToneSignal.h"
#include "VorbisEncoder.h"

namespace mediagen {

namespace {

constexpr long kChunkFrames = 4096;
constexpr double kLinkOffsetHz = 10.0;

bool writeLink(OggFile &file, const VorbisLink &link, int index, float quality) {
    VorbisEncoder encoder(link.channels, link.rate, quality, /*serial=*/0x51560000 + index);
    if (!encoder.ok()) {
        return false;
    }
    ogg_page page;
    while (encoder.headerPage(page)) {
        file.write(page);
    }

    const double offsetHz = kLinkOffsetHz * index;
    const int64_t frames = link.frames();
    std::vector<float> chunk(static_cast<size_t>(kChunkFrames) * link.channels);
    for (int64_t start = 0; start < frames; start += kChunkFrames) {
        const long count = static_cast<long>(std::min<int64_t>(kChunkFrames, frames - start));
        for (long f = 0; f < count; ++f) {
            for (int c = 0; c < link.channels; ++c) {
                chunk[f * link.channels + c] = toneSample(c, start + f, link.rate, offsetHz);
            }
        }
        encoder.write(chunk.data(), count);
        while (encoder.pageOut(page)) {
            file.write(page);
        }
    }
    encoder.finish();
    while (encoder.flushPage(page)) {
        file.write(page);
    }
    return true;
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
