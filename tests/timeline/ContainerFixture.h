// A container on a timer the test holds, and the journal its fake media write to.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "FakeMedia.h"
#include "TimerControl.h"
#include "timeline/Container.h"

class ContainerFixture : public ::testing::Test {
protected:
    explicit ContainerFixture(uint32_t startMs) : timer(startMs) {}

    // The calls made since the last look.
    Journal take() {
        Journal calls;
        calls.swap(journal);
        return calls;
    }

    TimerControl timer;
    Journal journal;
    Container container;
};
