// The feeder's decode path against a bare libvorbisfile loop over the same file.
//
// FeederFill: fillBuffer into a 65,536-byte block until the end, as the feeder does.
// BareOvRead: ov_read into a 65,536-byte buffer until it returns 0, nothing else.
// Both open and clear the file in each iteration. The ratio BareOvRead / FeederFill
// (time per iteration) is the feeder's efficiency; it should stay at 0.95 or above.
#include <benchmark/benchmark.h>

#include <string>

#include "VorbisWriter.h"
#include "audio/VorbisBlockFill.h"

namespace {

// 20 s of stereo at 44,100 Hz, written once into the working directory.
const std::string &benchFile() {
    static const std::string path = [] {
        const std::string name = "audio_feeder_bench.ogg";
        if (!mediagen::writeVorbis(name, mediagen::VorbisLink{2, 44100, 20.0})) {
            std::abort();
        }
        return name;
    }();
    return path;
}

constexpr int64_t kFileBytes = 20 * 44100 * 4;

// Opens the file, has `decode` read it to the end (returning the bytes it got) and clears
// it, once per iteration. The file is written before the first iteration is timed.
template <typename Decode> void decodeWholeFile(benchmark::State &state, Decode decode) {
    const std::string &path = benchFile();
    for (auto _ : state) {
        OggVorbis_File file;
        if (ov_fopen(path.c_str(), &file) != 0) {
            state.SkipWithError("cannot open the file");
            return;
        }
        benchmark::DoNotOptimize(decode(file));
        ov_clear(&file);
    }
    state.SetBytesProcessed(state.iterations() * kFileBytes);
}

void FeederFill(benchmark::State &state) {
    decodeWholeFile(state, [](OggVorbis_File &file) {
        static char block[kPcmBlockBytes];
        const int channels = ov_info(&file, -1)->channels;
        const int playable = countPlayableLinks(file);
        int64_t total = 0;
        for (;;) {
            const BlockFill fill = fillBuffer(file, channels, playable, block);
            total += fill.bytes;
            if (fill.endOfFile) {
                return total;
            }
        }
    });
}

void BareOvRead(benchmark::State &state) {
    decodeWholeFile(state, [](OggVorbis_File &file) {
        static char block[kPcmBlockBytes];
        int64_t total = 0;
        int link = 0;
        long got;
        while ((got = ov_read(&file, block, sizeof block, 0, 2, 1, &link)) != 0) {
            if (got > 0) {
                total += got;
            }
        }
        return total;
    });
}

BENCHMARK(FeederFill)->Unit(benchmark::kMillisecond);
BENCHMARK(BareOvRead)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
