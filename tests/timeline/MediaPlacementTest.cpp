#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <set>
#include <thread>

#include "ContainerFixture.h"

namespace {

constexpr uint32_t T = 70'000;

class MediaPlacementTest : public ContainerFixture {
protected:
    MediaPlacementTest() : ContainerFixture(T) {}
};

} // namespace

TEST_F(MediaPlacementTest, LocalTimeIsTheClockLessTheStartNeverBelowZero) {
    FakeMedia loose("loose", journal);
    EXPECT_EQ(loose.getLocalTime(), 0.0);
    EXPECT_EQ(loose.container(), nullptr);

    FakeMedia late("late", journal);
    FakeMedia early("early", journal);
    container.attach(&late, 5);
    container.attach(&early, -2);
    EXPECT_EQ(late.container(), &container);
    EXPECT_EQ(late.getStartTime(), 5.0);

    container.play();
    timer.advance(1000);
    EXPECT_EQ(late.getLocalTime(), 0.0);
    EXPECT_DOUBLE_EQ(early.getLocalTime(), 3.0);
    timer.advance(2000);
    EXPECT_EQ(late.getLocalTime(), 0.0); // clock 3, start 5
    timer.advance(4500);
    EXPECT_DOUBLE_EQ(late.getLocalTime(), 2.5); // clock 7.5

    container.pause();
    timer.advance(10000);
    EXPECT_DOUBLE_EQ(late.getLocalTime(), 2.5);
    container.stop();
    EXPECT_EQ(late.getLocalTime(), 0.0);
    // A negative start means the member enters the clock already that far in, so at a
    // stopped clock of 0 it stands at 2 s, where the next play will start it.
    EXPECT_DOUBLE_EQ(early.getLocalTime(), 2.0);
}

TEST_F(MediaPlacementTest, AFreedMemberIsNeverReachedAgain) {
    FakeMedia kept("kept", journal);
    auto pending = std::make_unique<FakeMedia>("pending", journal);
    auto started = std::make_unique<FakeMedia>("started", journal);
    container.attach(&kept, 0);
    container.attach(pending.get(), 4); // its start is still queued when it goes
    container.attach(started.get(), 0);
    container.play();
    take();

    pending.reset();
    started.reset();
    EXPECT_EQ(take(), Journal({"pending.destroyed", "started.destroyed"}));

    timer.advance(5000);
    container.update();
    container.pause();
    container.play();
    container.stop();
    container.play();
    timer.advance(5000);
    container.update();
    EXPECT_EQ(take(), Journal({"kept.update", "kept.pause", "kept.play", "kept.stop", "kept.play",
                               "kept.update"}));
}

TEST_F(MediaPlacementTest, AttachingAgainMovesTheObject) {
    FakeMedia m("m", journal);
    Container other;

    // To another container: the first one neither plays nor starts it any more.
    container.attach(&m, 3);
    other.attach(&m, 1);
    EXPECT_EQ(m.container(), &other);
    EXPECT_EQ(m.getStartTime(), 1.0);
    container.play();
    timer.advance(4000);
    container.update();
    container.pause();
    container.stop();
    EXPECT_TRUE(take().empty());

    // To the same container again: one member entry, with the newest start time.
    FakeMedia n("n", journal);
    container.attach(&n, 2);
    container.attach(&n, 0);
    container.play();
    EXPECT_EQ(take(), Journal({"n.play"}));
    timer.advance(2500);
    container.update();
    EXPECT_EQ(take(), Journal({"n.update"})); // the old pending start at 2 is gone

    // Back from `other` to the first container: `other` forgets it.
    container.attach(&m, 0);
    other.play();
    timer.advance(2000);
    other.update();
    EXPECT_TRUE(take().empty());
}

// The audio feeder thread reads its local time while the host drives the container. Each
// reading must be one the clock really had: a reading put together from the fields of two
// different states (say a new pause reading with an old start) is not.
TEST_F(MediaPlacementTest, LocalTimeReadsFromAnotherThreadStayWhole) {
    FakeMedia m("m", journal);
    container.attach(&m, 0);
    // Each round runs the clock 0 -> 3, holds 3, runs 3 -> 4 and stops; the timer only
    // moves forward, from round to round too. A bad reading needs the reader to be caught
    // between two steps of a change, hence the many rounds.
    const std::set<double> possible = {0.0, 3.0, 4.0};

    std::atomic<bool> done{false};
    std::atomic<int> readings{0};
    std::atomic<int> impossible{0};
    std::thread reader([&] {
        while (!done.load()) {
            if (possible.count(m.getLocalTime()) == 0)
                ++impossible;
            ++readings;
        }
    });
    for (uint32_t round = 0; round < 100000; ++round) {
        const uint32_t base = T + round * 100000;
        timer.set(base + 10000);
        container.play();
        timer.set(base + 13000);
        container.pause();
        timer.set(base + 20000);
        container.play(); // the zero point moves to base + 17000
        timer.set(base + 21000);
        container.stop();
    }
    // Let the reader see the last state at least once.
    const int before = readings.load();
    while (readings.load() < before + 10)
        std::this_thread::yield();
    done = true;
    reader.join();
    EXPECT_EQ(impossible.load(), 0);
    EXPECT_GT(readings.load(), 0);
}

// A member moved out of a container that the host then frees: a reading its own thread
// began through the old container must not touch the freed one.
TEST_F(MediaPlacementTest, ReadsSurviveTheOldContainerBeingFreedAfterAMove) {
    FakeMedia m("m", journal);
    Container keeper;
    std::atomic<bool> done{false};
    std::thread reader([&] {
        while (!done.load())
            m.getLocalTime();
    });
    for (int round = 0; round < 20000; ++round) {
        auto old = std::make_unique<Container>();
        old->attach(&m, 0);
        old->play();
        keeper.attach(&m, 0);
        old.reset();
    }
    done = true;
    reader.join();
    journal.clear();
    EXPECT_EQ(m.container(), &keeper);
}
