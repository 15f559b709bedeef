#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "Platform.h"

namespace {

struct ControlledTimer : ::testing::Test {
    void TearDown() override { softwareTimerUseSystem(); }
};

TEST_F(ControlledTimer, SetAndAdvanceWrapAt32Bits) {
    softwareTimerSet(0xFFFFFFF0u);
    EXPECT_TRUE(softwareTimerIsControlled());
    EXPECT_EQ(timeGetTime(), 0xFFFFFFF0u);
    EXPECT_EQ(timeGetTime(), 0xFFFFFFF0u); // held: does not follow the wall clock
    softwareTimerAdvance(0x0F);
    EXPECT_EQ(timeGetTime(), 0xFFFFFFFFu);
    softwareTimerAdvance(1);
    EXPECT_EQ(timeGetTime(), 0u);
    softwareTimerAdvance(25);
    EXPECT_EQ(timeGetTime(), 25u);
    // Differences taken in unsigned 32-bit arithmetic survive the wrap, as on Windows.
    const DWORD before = 0xFFFFFFF0u;
    EXPECT_EQ(static_cast<DWORD>(timeGetTime() - before), 41u);
}

TEST_F(ControlledTimer, AdvanceFromTheSystemClockTakesControlAtTheCurrentReading) {
    const DWORD system = timeGetTime();
    softwareTimerAdvance(1000);
    EXPECT_TRUE(softwareTimerIsControlled());
    const DWORD controlled = timeGetTime();
    EXPECT_GE(static_cast<DWORD>(controlled - system), 1000u);
    EXPECT_LT(static_cast<DWORD>(controlled - system), 60000u);
}

TEST_F(ControlledTimer, ReleasedTimerFollowsTheMonotonicClockAgain) {
    softwareTimerSet(5);
    softwareTimerUseSystem();
    EXPECT_FALSE(softwareTimerIsControlled());
    const DWORD first = timeGetTime();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const DWORD elapsed = timeGetTime() - first;
    EXPECT_GE(elapsed, 29u); // whole milliseconds may round the start down by one
    EXPECT_LT(elapsed, 60000u);
}

TEST_F(ControlledTimer, ReadersOnOtherThreadsSeeTheMovedClock) {
    softwareTimerSet(100);
    std::atomic<bool> stop{false};
    std::atomic<bool> sawBackwards{false};
    std::thread reader([&] {
        DWORD last = timeGetTime();
        while (!stop.load()) {
            const DWORD now = timeGetTime();
            if (now < last)
                sawBackwards = true;
            last = now;
        }
    });
    for (int step = 0; step < 1000; ++step)
        softwareTimerAdvance(3);
    stop = true;
    reader.join();
    EXPECT_FALSE(sawBackwards.load());
    EXPECT_EQ(timeGetTime(), 3100u);
}

} // namespace
