// qnv-sample-music: writes the built-in sample's music as an Ogg Vorbis file.
//
//   qnv-sample-music <out.ogg> <seconds>
#include <cstdio>
#include <cstdlib>

#include "Melody.h"
#include "OggOutput.h"
#include "VorbisEncoder.h"

namespace {

constexpr long kRate = 44100;
constexpr float kQuality = 0.4f;
constexpr int kSerial = 0x514d5553;

bool writeMusic(const char *path, double seconds) {
    mediagen::VorbisEncoder encoder(sample::kMelodyChannels, kRate, kQuality, kSerial);
    mediagen::OggFile file(path);
    if (!encoder.ok() || !file.ok()) {
        return false;
    }
    const int64_t frames = static_cast<int64_t>(seconds * kRate);
    const bool written = encoder.writeStream(file, frames, [](int64_t frame, float *samples) {
        sample::melodyFrame(frame, kRate, samples[0], samples[1]);
    });
    return file.close() && written;
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
