// One playing 1280x720 4:2:0 Theora video, measured three ways:
//   BM_BareDecode / BM_DecodeThread   frames per second of decoding work through a bare
//                                     libtheora decode loop (also with a copy of each
//                                     frame's planes), and into TheoraVideo's queue by its
//                                     decode thread (the host drains the queue as fast as
//                                     it can); both count the processor time of the thread
//                                     that decodes, nothing else
//   BM_UpdateOneFrame / BM_PlaneCopy  the host's cost of update for one frame (upload and
//                                     pass dispatch; without the effect file, so the
//                                     software pass is left out) against a plain memcpy of
//                                     the three planes; BM_UpdateOneFrameWithPass adds the
//                                     software pass, reported apart
//   BM_PeakMemory                     heap memory one playing video holds at its peak
//
//     video_bench [--benchmark_min_time=2]
// It writes its test file into the current folder and runs the videos from two folders it
// makes there, one with the effect file and one without.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <ogg/ogg.h>
#include <theora/theoradec.h>

#include "MediaGen.h"
#include "Platform.h"
#include "quenvo_software.h"
#include "timeline/Container.h"
#include "video/TheoraVideo.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr int kFrames = 100;
namespace fs = std::filesystem;

// The test files, written once, as absolute paths (the players run in other folders).
// With grain, the picture carries moving noise that the decoder works on as hard as on
// filmed video; without, it is the plain test pattern, cheap to decode.
const fs::path &makeFile(bool grain = false) {
    static const fs::path paths[2] = {fs::absolute("video_bench_720p.ogv"),
                                      fs::absolute("video_bench_720p_grain.ogv")};
    static bool made[2] = {false, false};
    const fs::path &path = paths[grain];
    if (made[grain])
        return path;
    mediagen::TheoraFile file;
    file.frameWidth = kWidth;
    file.frameHeight = kHeight;
    file.frames = kFrames;
    file.grain = grain;
    made[grain] = mediagen::writeTheora(path.string(), file);
    if (!made[grain])
        std::fprintf(stderr, "could not write %s\n", path.c_str());
    return path;
}

// Pages in order, headers, then every data packet decoded and its planes fetched: what a
// player that decodes on its own thread cannot do with less work.
// With copy, each frame's planes are also copied out whole, as the decode thread must do
// to queue frames ahead: the part of its cost that the queue itself adds.
int bareDecode(bool grain, bool copy) {
    std::vector<unsigned char> copies[3];
    std::FILE *file = std::fopen(makeFile(grain).c_str(), "rb");
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    ogg_stream_state stream;
    bool haveStream = false;
    th_info info;
    th_info_init(&info);
    th_comment comment;
    th_comment_init(&comment);
    th_setup_info *setup = nullptr;
    th_dec_ctx *decoder = nullptr;
    int frames = 0;
    for (;;) {
        ogg_packet packet;
        if (haveStream && ogg_stream_packetout(&stream, &packet) == 1) {
            if (!decoder) {
                if (th_decode_headerin(&info, &comment, &setup, &packet) > 0)
                    continue;
                decoder = th_decode_alloc(&info, setup);
            }
            if (th_decode_packetin(decoder, &packet, nullptr) == 0) {
                th_ycbcr_buffer planes;
                th_decode_ycbcr_out(decoder, planes);
                for (int i = 0; copy && i < 3; ++i) {
                    size_t bytes = size_t(planes[i].stride) * planes[i].height;
                    copies[i].resize(bytes);
                    std::memcpy(copies[i].data(), planes[i].data, bytes);
                }
                benchmark::DoNotOptimize(planes[0].data);
                ++frames;
            }
            continue;
        }
        ogg_page page;
        if (ogg_sync_pageout(&sync, &page) != 1) {
            char *buffer = ogg_sync_buffer(&sync, 8192);
            size_t got = std::fread(buffer, 1, 8192, file);
            if (got == 0)
                break;
            ogg_sync_wrote(&sync, static_cast<long>(got));
            continue;
        }
        if (!haveStream) {
            ogg_stream_init(&stream, ogg_page_serialno(&page));
            haveStream = true;
        }
        ogg_stream_pagein(&stream, &page);
    }
    th_decode_free(decoder);
    th_setup_free(setup);
    th_comment_clear(&comment);
    th_info_clear(&info);
    if (haveStream)
        ogg_stream_clear(&stream);
    ogg_sync_clear(&sync);
    std::fclose(file);
    return frames;
}

// Makes the current folder one where the video finds the effect file, or one where it
// finds none.
void withEffectFile(bool present) {
    static const fs::path home = fs::current_path();
    const fs::path folder = home / (present ? "bench-effect" : "bench-no-effect");
    fs::create_directories(folder);
    if (present)
        fs::copy_file(fs::path(QNV_EFFECT_DIR) / "ycbcr2rgb.fxo", folder / "ycbcr2rgb.fxo",
                      fs::copy_options::overwrite_existing);
    fs::current_path(folder);
}

// A video on a software device, attached to a container far into its clock, so every
// frame is due as soon as it is queued.
struct Player {
    IDirect3DDevice9 *device = CreateSoftwareDevice9(64, 64, FALSE);
    Container container;
    std::unique_ptr<TheoraVideo> video;

    explicit Player(bool grain = false) {
        softwareCaptureMessageBoxes(true); // the box about a missing effect file
        video = std::make_unique<TheoraVideo>(device);
        if (video->open(makeFile(grain).wstring()) != 1)
            std::fprintf(stderr, "could not open %s\n", makeFile(grain).c_str());
        softwareTakeMessageBoxes();
        container.setLength(1e9);
        container.attach(video.get(), -1e6);
        container.play();
    }
    ~Player() {
        video->close();
        video.reset();
        device->Release();
    }
    bool ended() const {
        return video->state() == TheoraVideo::StreamEnd && video->queuedFrames() == 0;
    }
    // Sleeps between looks, so that the decode thread has the processor to itself.
    void waitForFrame() const {
        while (video->queuedFrames() == 0 && video->state() != TheoraVideo::StreamEnd)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
};

// Processor time, seconds: the machine may be shared, and this counts only the work done.
double cpuSeconds(clockid_t clock) {
    timespec now;
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec * 1e-9;
}

// Processor time of the calling thread and of all the process's threads.
double threadSeconds() {
    return cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
}
double processSeconds() {
    return cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
}

// Each iteration's time is the decoding thread's processor time, so frames per second
// are frames per second of decoding work.
void reportFrames(benchmark::State &state, int frames, double decodeSeconds) {
    state.SetItemsProcessed(frames);
    state.counters["cpu_ms_per_frame"] = frames ? decodeSeconds * 1000.0 / frames : 0.0;
}

// First argument 0: the plain pattern; 1: with grain. Second: 1 to copy each frame out.
void BM_BareDecode(benchmark::State &state) {
    const bool grain = state.range(0) != 0;
    makeFile(grain);
    int frames = 0;
    double decodeSeconds = 0.0;
    for (auto _ : state) {
        const double start = threadSeconds();
        frames += bareDecode(grain, state.range(1) != 0);
        const double seconds = threadSeconds() - start;
        state.SetIterationTime(seconds);
        decodeSeconds += seconds;
    }
    reportFrames(state, frames, decodeSeconds);
}
BENCHMARK(BM_BareDecode)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

// The decode thread's work is the whole process's processor time less the host thread's:
// the host's part (opening the file, uploading every frame into the textures, polling)
// runs on another thread, and on a machine with a free core it costs the decoder nothing.
// Counted together, as elapsed time or as process time, the host's upload of a cheap
// frame would be charged to the decoder, which it is not; the host's cost per frame is
// reported on its own. The process has no other busy threads.

void BM_DecodeThread(benchmark::State &state) {
    const bool grain = state.range(0) != 0;
    makeFile(grain);
    withEffectFile(false);
    int frames = 0;
    double decodeSeconds = 0.0;
    double hostSeconds = 0.0;
    for (auto _ : state) {
        const double processStart = processSeconds();
        const double hostStart = threadSeconds();
        {
            Player player(grain);
            // Every queued frame is shown at once; with none, the host sleeps a little, as
            // a host waiting for its next frame would, and leaves the processor to the
            // decoder.
            while (!player.ended()) {
                if (player.video->update() == 1)
                    ++frames;
                else
                    std::this_thread::sleep_for(std::chrono::microseconds(500));
            }
        }
        const double host = threadSeconds() - hostStart;
        const double decode = processSeconds() - processStart - host;
        state.SetIterationTime(decode);
        decodeSeconds += decode;
        hostSeconds += host;
    }
    reportFrames(state, frames, decodeSeconds);
    state.counters["host_ms_per_frame"] = frames ? hostSeconds * 1000.0 / frames : 0.0;
}
BENCHMARK(BM_DecodeThread)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseManualTime();

void updateOneFrame(benchmark::State &state, bool effect) {
    makeFile();
    withEffectFile(effect);
    auto player = std::make_unique<Player>();
    for (auto _ : state) {
        state.PauseTiming();
        if (player->ended())
            player = std::make_unique<Player>();
        player->waitForFrame();
        state.ResumeTiming();
        benchmark::DoNotOptimize(player->video->update());
    }
}

void BM_UpdateOneFrame(benchmark::State &state) {
    updateOneFrame(state, false);
}
BENCHMARK(BM_UpdateOneFrame)->Unit(benchmark::kMicrosecond);

void BM_UpdateOneFrameWithPass(benchmark::State &state) {
    updateOneFrame(state, true);
}
BENCHMARK(BM_UpdateOneFrameWithPass)->Unit(benchmark::kMicrosecond);

// The three planes of one frame copied whole, the least an upload can cost.
void BM_PlaneCopy(benchmark::State &state) {
    const size_t luma = size_t(kWidth) * kHeight;
    const size_t chroma = luma / 4;
    std::vector<unsigned char> source(luma + 2 * chroma, 90), target(luma + 2 * chroma);
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), luma);
        std::memcpy(target.data() + luma, source.data() + luma, chroma);
        std::memcpy(target.data() + luma + chroma, source.data() + luma + chroma, chroma);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PlaneCopy)->Unit(benchmark::kMicrosecond);

// Heap bytes in use, mapped blocks included: the decoder, the queued frames and the
// software device's textures all live there.
long heapBytesInUse() {
    struct mallinfo2 info = mallinfo2();
    return static_cast<long>(info.uordblks + info.hblkhd);
}

void BM_PeakMemory(benchmark::State &state) {
    makeFile();
    withEffectFile(true);
    long peak = 0;
    for (auto _ : state) {
        const long before = heapBytesInUse();
        Player player;
        for (int shown = 0; shown < 30 && !player.ended(); ++shown) {
            while (!player.video->isReady() && player.video->state() != TheoraVideo::StreamEnd)
                std::this_thread::yield();
            peak = std::max(peak, heapBytesInUse() - before);
            player.video->update();
        }
    }
    state.counters["peak_MiB"] = static_cast<double>(peak) / (1024.0 * 1024.0);
}
BENCHMARK(BM_PeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
