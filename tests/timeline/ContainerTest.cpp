#include <gtest/gtest.h>

#include <cmath>

#include "ContainerFixture.h"

namespace {

constexpr uint32_t T = 5'000'000; // an arbitrary timer reading to start from

class ContainerTest : public ContainerFixture {
protected:
    ContainerTest() : ContainerFixture(T) {}

    FakeMedia a{"a", journal};
    FakeMedia b{"b", journal};
    FakeMedia c{"c", journal};
};

} // namespace

TEST_F(ContainerTest, MembersStartAtTheirOffsetsAndTheLengthStopsTheClock) {
    container.attach(&a, 0);
    container.attach(&b, 2);
    container.setLength(10);
    EXPECT_TRUE(take().empty()); // attaching calls nothing

    container.play();
    EXPECT_EQ(take(), Journal({"a.play"}));
    EXPECT_EQ(container.state(), Container::Playing);
    EXPECT_EQ(container.clock(), 0.0);

    timer.set(T + 1999);
    container.update();
    EXPECT_EQ(take(), Journal({"a.update"}));
    EXPECT_DOUBLE_EQ(container.clock(), 1.999);

    timer.set(T + 2000);
    container.update();
    EXPECT_EQ(take(), Journal({"b.play", "a.update", "b.update"}));

    timer.set(T + 9999);
    container.update();
    EXPECT_EQ(take(), Journal({"a.update", "b.update"}));

    // Reaching the length stops: no member gets update in that call.
    timer.set(T + 10000);
    container.update();
    EXPECT_EQ(take(), Journal({"a.stop", "b.stop"}));
    EXPECT_EQ(container.state(), Container::Stopped);
    EXPECT_EQ(container.clock(), 0.0);

    timer.set(T + 10001);
    container.update();
    EXPECT_TRUE(take().empty());
}

TEST_F(ContainerTest, PauseHoldsTheClockAndPlayGoesOnFromIt) {
    container.attach(&a, 0);
    container.attach(&b, 6);
    container.play();
    timer.advance(4200);
    take();

    container.pause();
    EXPECT_EQ(take(), Journal({"a.pause", "b.pause"})); // every member, started or not
    EXPECT_EQ(container.state(), Container::Paused);
    timer.advance(3000);
    EXPECT_DOUBLE_EQ(container.clock(), 4.2);
    container.update();
    container.pause(); // already paused: nothing at all
    EXPECT_TRUE(take().empty());
    EXPECT_DOUBLE_EQ(container.clock(), 4.2);

    container.play();
    EXPECT_EQ(take(), Journal({"a.play"})); // b's start lies ahead
    EXPECT_DOUBLE_EQ(container.clock(), 4.2);
    timer.advance(1800);
    EXPECT_DOUBLE_EQ(container.clock(), 6.0);
    container.update();
    EXPECT_EQ(take(), Journal({"b.play", "a.update", "b.update"}));
}

TEST_F(ContainerTest, EqualStartTimesAllStartInOneUpdateInHeapOrder) {
    container.attach(&a, 3);
    container.attach(&b, 3);
    container.attach(&c, 3);
    container.play();
    EXPECT_TRUE(take().empty());
    timer.advance(3000);
    container.update();
    EXPECT_EQ(take(), Journal({"c.play", "b.play", "a.play", "a.update", "b.update", "c.update"}));
    container.update();
    EXPECT_EQ(take(), Journal({"a.update", "b.update", "c.update"}));
}

TEST_F(ContainerTest, PlayWhilePlayingKeepsTheClockAndReplaysDueMembers) {
    container.attach(&a, 0);
    container.attach(&b, 2);
    container.attach(&c, 4);
    container.play();
    timer.advance(2500);
    container.update();
    take();

    container.play();
    EXPECT_DOUBLE_EQ(container.clock(), 2.5);
    EXPECT_EQ(take(), Journal({"a.play", "b.play"}));
}

TEST_F(ContainerTest, MembersAttachedWhilePlaying) {
    container.play();
    timer.advance(8000);

    // Start 0: updated from the next update on, played only by the next play.
    container.attach(&a, 0);
    container.update();
    EXPECT_EQ(take(), Journal({"a.update"}));

    // A start already passed: played by the next update.
    container.attach(&b, 5);
    container.update();
    EXPECT_EQ(take(), Journal({"b.play", "a.update", "b.update"}));

    container.play();
    EXPECT_EQ(take(), Journal({"a.play", "b.play"}));
}

TEST_F(ContainerTest, LengthSetBelowTheClockStopsAtTheNextUpdate) {
    container.attach(&a, 0);
    container.play();
    timer.advance(5000);
    take();

    container.setLength(3);
    EXPECT_EQ(container.length(), 3.0);
    EXPECT_EQ(container.state(), Container::Playing);
    EXPECT_TRUE(take().empty());
    container.update();
    EXPECT_EQ(take(), Journal({"a.stop"}));
    EXPECT_EQ(container.state(), Container::Stopped);
}

TEST_F(ContainerTest, WithoutALengthTheClockRunsOn) {
    EXPECT_TRUE(std::isinf(container.length()));
    container.attach(&a, 0);
    container.play();
    timer.advance(0xFFFFFFF0u); // the furthest the 32-bit clock reaches
    container.update();
    EXPECT_EQ(take(), Journal({"a.play", "a.update"}));
    EXPECT_EQ(container.state(), Container::Playing);
}

TEST_F(ContainerTest, StopRewindsAndTheNextPlayStartsMembersAgain) {
    container.attach(&a, 0);
    container.attach(&b, 2);
    container.attach(&c, -1); // a negative start is due at once, and queued like any other
    container.play();
    EXPECT_EQ(take(), Journal({"a.play", "c.play"}));
    timer.advance(3000);
    container.update();
    EXPECT_EQ(take(), Journal({"c.play", "b.play", "a.update", "b.update", "c.update"}));

    container.stop();
    EXPECT_EQ(take(), Journal({"a.stop", "b.stop", "c.stop"}));
    EXPECT_EQ(container.clock(), 0.0);
    container.update(); // stopped: nothing
    EXPECT_TRUE(take().empty());

    timer.advance(60000);
    container.play();
    EXPECT_EQ(container.clock(), 0.0);
    EXPECT_EQ(take(), Journal({"a.play", "c.play"}));
    timer.advance(1999);
    container.update();
    EXPECT_EQ(take(), Journal({"c.play", "a.update", "c.update"}));
    timer.advance(1);
    container.update();
    EXPECT_EQ(take(), Journal({"b.play", "a.update", "b.update", "c.update"}));
}

TEST_F(ContainerTest, TheClockIsRightAcrossATimerWrap) {
    timer.set(0xFFFFF000u);
    container.play();
    timer.advance(0x2000); // now 0x00001000
    EXPECT_DOUBLE_EQ(container.clock(), 8.192);

    timer.set(0xFFFFFF00u - 0x1000u - 0x2000u);
    container.stop();
    container.play();
    timer.advance(0x1000);
    container.pause(); // held at 4.096, with the pause reading just below the wrap
    timer.advance(0x2000);
    EXPECT_DOUBLE_EQ(container.clock(), 4.096);
    container.play(); // resumed after the wrap
    EXPECT_DOUBLE_EQ(container.clock(), 4.096);
    timer.advance(904);
    EXPECT_DOUBLE_EQ(container.clock(), 5.0);
}

TEST_F(ContainerTest, PauseOnAStoppedContainerHoldsZero) {
    // Never played, with the timer far from 0.
    container.attach(&a, 0);
    container.pause();
    EXPECT_EQ(take(), Journal({"a.pause"}));
    EXPECT_EQ(container.state(), Container::Paused);
    EXPECT_EQ(container.clock(), 0.0);
    timer.advance(2000);
    EXPECT_EQ(container.clock(), 0.0);
    container.play();
    EXPECT_EQ(container.clock(), 0.0);
    timer.advance(1000);
    EXPECT_DOUBLE_EQ(container.clock(), 1.0);

    // Stopped after a run: the old run's start is not reused.
    container.stop();
    timer.advance(7000);
    container.pause();
    EXPECT_EQ(container.clock(), 0.0);
    timer.advance(500);
    container.play();
    timer.advance(250);
    EXPECT_DOUBLE_EQ(container.clock(), 0.25);
}

TEST_F(ContainerTest, AContainerGoingAwayDetachesItsMembers) {
    {
        Container shortLived;
        shortLived.attach(&a, 1);
        EXPECT_EQ(a.container(), &shortLived);
    }
    EXPECT_EQ(a.container(), nullptr);
    EXPECT_EQ(a.getLocalTime(), 0.0);
}
