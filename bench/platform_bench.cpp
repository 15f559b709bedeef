// The software platform's kernel objects against the standard library doing the same
// work: an event handed back and forth between two threads (what the audio feeder and
// the engine's callback do for every block), an owned mutex taken and given back (the
// decode thread's frame-queue lock), and a timer reading.
#include <benchmark/benchmark.h>

#include <atomic>
#include <condition_variable>
#include <ctime>
#include <mutex>
#include <thread>

#include "Platform.h"

namespace {

// Two auto-reset events: this thread sets `ping` and waits for `pong`, the other the
// reverse. One iteration is one round trip.
void BM_EventRoundTrip(benchmark::State &state) {
    HANDLE ping = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE pong = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::atomic<bool> stop{false};
    std::thread partner([&] {
        while (WaitForSingleObject(ping, INFINITE) == WAIT_OBJECT_0 && !stop.load())
            SetEvent(pong);
    });
    for (auto _ : state) {
        SetEvent(ping);
        WaitForSingleObject(pong, INFINITE);
    }
    stop = true;
    SetEvent(ping);
    partner.join();
    CloseHandle(ping);
    CloseHandle(pong);
}
BENCHMARK(BM_EventRoundTrip)->UseRealTime();

// The same round trip with a mutex, a condition variable and two flags.
void BM_ConditionVariableRoundTrip(benchmark::State &state) {
    std::mutex lock;
    std::condition_variable changed;
    bool pinged = false;
    bool ponged = false;
    bool stop = false;
    std::thread partner([&] {
        std::unique_lock<std::mutex> guard(lock);
        while (true) {
            changed.wait(guard, [&] { return pinged || stop; });
            if (stop)
                return;
            pinged = false;
            ponged = true;
            changed.notify_all();
        }
    });
    for (auto _ : state) {
        std::unique_lock<std::mutex> guard(lock);
        pinged = true;
        changed.notify_all();
        changed.wait(guard, [&] { return ponged; });
        ponged = false;
    }
    {
        std::lock_guard<std::mutex> guard(lock);
        stop = true;
    }
    changed.notify_all();
    partner.join();
}
BENCHMARK(BM_ConditionVariableRoundTrip)->UseRealTime();

void BM_MutexWaitRelease(benchmark::State &state) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, nullptr);
    for (auto _ : state) {
        WaitForSingleObject(mutex, INFINITE);
        ReleaseMutex(mutex);
    }
    CloseHandle(mutex);
}
BENCHMARK(BM_MutexWaitRelease);

void BM_RecursiveMutexLockUnlock(benchmark::State &state) {
    std::recursive_mutex mutex;
    for (auto _ : state) {
        mutex.lock();
        mutex.unlock();
    }
}
BENCHMARK(BM_RecursiveMutexLockUnlock);

void BM_TimeGetTime(benchmark::State &state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(timeGetTime());
}
BENCHMARK(BM_TimeGetTime);

void BM_ClockGettimeMonotonic(benchmark::State &state) {
    timespec now{};
    for (auto _ : state) {
        clock_gettime(CLOCK_MONOTONIC, &now);
        benchmark::DoNotOptimize(now);
    }
}
BENCHMARK(BM_ClockGettimeMonotonic);

} // namespace

BENCHMARK_MAIN();
