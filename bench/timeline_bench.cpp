// The container's per-frame and per-read costs: a clock read and a member's local-time
// read (what every audio feeder does at each refill) against a bare timer reading, and
// one update of a playing
// container with N started members (what qnv_update costs the host per container).
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "Platform.h"
#include "core/IMedia.h"
#include "timeline/Container.h"

namespace {

// A member whose operations do nothing, so only the container's own work is measured.
class IdleMedia final : public IMedia {
public:
    int open(std::wstring) override { return 1; }
    int close() override { return 1; }
    int play() override { return 1; }
    int pause() override { return 1; }
    int stop() override { return 1; }
    int update() override { return 1; }
    double getLength() override { return 0.0; }
    double getPosition() override { return 0.0; }
    bool isReady() override { return true; }
};

void BM_TimerReading(benchmark::State &state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(timeGetTime());
}
BENCHMARK(BM_TimerReading);

void BM_ClockRead(benchmark::State &state) {
    Container container;
    container.play();
    for (auto _ : state)
        benchmark::DoNotOptimize(container.clock());
}
BENCHMARK(BM_ClockRead);

// What a member's own thread pays: the clock read plus taking the placement under its lock.
void BM_LocalTimeRead(benchmark::State &state) {
    Container container;
    IdleMedia media;
    container.attach(&media, 0);
    container.play();
    for (auto _ : state)
        benchmark::DoNotOptimize(media.getLocalTime());
}
BENCHMARK(BM_LocalTimeRead);

void BM_UpdateWithStartedMembers(benchmark::State &state) {
    const int members = int(state.range(0));
    std::vector<std::unique_ptr<IdleMedia>> media;
    Container container;
    for (int i = 0; i < members; ++i) {
        media.push_back(std::make_unique<IdleMedia>());
        container.attach(media.back().get(), 0);
    }
    container.play();
    for (auto _ : state)
        container.update();
    state.SetItemsProcessed(state.iterations() * members);
}
BENCHMARK(BM_UpdateWithStartedMembers)->Arg(1)->Arg(4)->Arg(16);

} // namespace

BENCHMARK_MAIN();
