// qnv-sample-music: writes the built-in sample's music as an Ogg Vorbis file.
//
//   qnv-sample-music <out.ogg> <seconds>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "Melody.h"
#include "OggOutput.h"
#include "VorbisEncoder.h"

namespace {

constexpr long kRate = 44100;
constexpr long kChunkFrames = 4096;
constexpr float kQuality = 0.4f;
constexpr int kSerial = 0x514d5553;

bool writeMusic(const char *path, double seconds) {
    mediagen::VorbisEncoder encoder(sample::kMelodyChannels, kRate, kQuality, kSerial);
    mediagen::OggFile file(path);
    if (!encoder.ok() || !file.ok()) {
        return false;
    }
    ogg_page page;
    while (encoder.headerPage(page)) {
        file.write(page);
    }
    const int64_t frames = static_cast<int64_t>(seconds * kRate);
    std::vector<float> chunk(kChunkFrames * sample::kMelodyChannels);
    for (int64_t start = 0; start < frames; start += kChunkFrames) {
        const long count = static_cast<long>(std::min<int64_t>(kChunkFrames, frames - start));
        for (long f = 0; f < count; ++f) {
            sample::melodyFrame(start + f, kRate, chunk[2 * f], chunk[2 * f + 1]);
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
    return file.close();
}

} // namespace

int main(int argc, char **argv) {
    const double seconds = argc == 3 ? std::atof(argv[2]) : 0.0;
    if (seconds <= 0.0) {
        std::fprintf(stderr, "usage: qnv-sample-music <out.ogg> <seconds>\n");
        return 2;
    }
    if (!writeMusic(argv[1], seconds)) {
        std::fprintf(stderr, "could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
