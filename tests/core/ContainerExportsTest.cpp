#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "quenvo.h"
#include "timeline/TimerControl.h"

// Each test frees the containers it made, so every test starts with empty registries (the
// numbering cases depend on that).

namespace {

// A record filled with a byte pattern, to tell what an export wrote.
template <class Record> struct Sentinel {
    Sentinel() { std::memset(&record, 0xA5, sizeof record); }
    bool untouched() const {
        Record pattern;
        std::memset(&pattern, 0xA5, sizeof pattern);
        return std::memcmp(&record, &pattern, sizeof record) == 0;
    }
    Record record;
};

void freeAll(const std::vector<int> &containers) {
    for (int c : containers)
        qnv_contrFree(c);
}

} // namespace

TEST(ContainerExports, HandlesAreNumberedOneThenLargestPlusTwo) {
    EXPECT_EQ(qnv_contrCreate(), 1);
    EXPECT_EQ(qnv_contrCreate(), 3);
    EXPECT_EQ(qnv_contrCreate(), 5);

    EXPECT_EQ(qnv_contrFree(3), 1);
    EXPECT_EQ(qnv_contrCreate(), 7);
    EXPECT_EQ(qnv_contrFree(7), 1);
    EXPECT_EQ(qnv_contrFree(5), 1);
    EXPECT_EQ(qnv_contrCreate(), 3);

    EXPECT_EQ(qnv_contrFree(1), 1);
    EXPECT_EQ(qnv_contrFree(3), 1);
    EXPECT_EQ(qnv_contrFree(3), 0); // freed twice
    EXPECT_EQ(qnv_contrCreate(), 1);
    EXPECT_EQ(qnv_contrFree(1), 1);
}

TEST(ContainerExports, UnregisteredHandlesChangeNothingAndGiveZero) {
    const int container = qnv_contrCreate();
    ASSERT_EQ(container, 1);
    // Media handle 1 is not registered even though container 1 is: the registries are
    // apart. A failed creation registers nothing.
    EXPECT_EQ(qnv_vorbisCreate("no_such_file.ogg"), 0);
    EXPECT_EQ(qnv_theoraCreate("no_such_file.ogv"), 0);
    EXPECT_EQ(qnv_vorbisCreate(nullptr), 0);
    EXPECT_EQ(qnv_theoraCreate(nullptr), 0);

    for (int handle : {0, 1, 2, 3, -1, 0x7FFFFFFF, int(0x80000000u)}) {
        SCOPED_TRACE(handle);
        Sentinel<PlaybackStatus> media;
        Sentinel<VideoInfo> info;
        EXPECT_EQ(qnv_vorbisStatus(handle, &media.record), 0);
        EXPECT_EQ(qnv_theoraStatus(handle, &media.record), 0);
        EXPECT_EQ(qnv_theoraInfo(handle, &info.record), 0);
        EXPECT_TRUE(media.untouched());
        EXPECT_TRUE(info.untouched());
        EXPECT_EQ(qnv_vorbisFree(handle), 0);
        EXPECT_EQ(qnv_theoraFree(handle), 0);
        EXPECT_EQ(qnv_contrAddVorbis(container, handle, 0), 0);
        EXPECT_EQ(qnv_contrAddTheora(container, handle, 0), 0);
        if (handle == container)
            continue;
        Sentinel<PlaybackStatus> status;
        EXPECT_EQ(qnv_contrStatus(handle, &status.record), 0);
        EXPECT_TRUE(status.untouched());
        EXPECT_EQ(qnv_contrAddVorbis(handle, handle, 0), 0);
        EXPECT_EQ(qnv_contrAddTheora(handle, handle, 3), 0);
        EXPECT_EQ(qnv_contrSetLength(handle, 5.0), 0);
        EXPECT_EQ(qnv_contrPlay(handle), 0);
        EXPECT_EQ(qnv_contrPause(handle), 0);
        EXPECT_EQ(qnv_contrStop(handle), 0);
        EXPECT_EQ(qnv_contrFree(handle), 0);
    }

    // Null records are refused the same way.
    EXPECT_EQ(qnv_contrStatus(container, nullptr), 0);

    // The registered container was not disturbed by any of it.
    Sentinel<PlaybackStatus> status;
    EXPECT_EQ(qnv_contrStatus(container, &status.record), 1);
    EXPECT_EQ(status.record.state, 0);
    EXPECT_EQ(qnv_contrFree(container), 1);
}

TEST(ContainerExports, StatusShowsClockLengthAndState) {
    TimerControl timer(123456);
    const int container = qnv_contrCreate();
    Sentinel<PlaybackStatus> status;
    EXPECT_EQ(qnv_contrStatus(container, &status.record), 1);
    EXPECT_EQ(status.record.time, 0.0);
    EXPECT_TRUE(std::isinf(status.record.length)); // no length: no limit
    EXPECT_EQ(status.record.state, 0);
    // `ready` is the media exports' field: left as it was.
    int32_t pattern;
    std::memset(&pattern, 0xA5, sizeof pattern);
    EXPECT_EQ(status.record.ready, pattern);

    EXPECT_EQ(qnv_contrSetLength(container, 10.0), 1);
    EXPECT_EQ(qnv_contrPlay(container), 0);
    timer.advance(4200);
    EXPECT_EQ(qnv_contrPause(container), 0);
    timer.advance(3000);
    EXPECT_EQ(qnv_contrStatus(container, &status.record), 1);
    EXPECT_DOUBLE_EQ(status.record.time, 4.2);
    EXPECT_EQ(status.record.length, 10.0);
    EXPECT_EQ(status.record.state, 2);

    EXPECT_EQ(qnv_contrPlay(container), 0);
    qnv_update();
    EXPECT_EQ(qnv_contrStatus(container, &status.record), 1);
    EXPECT_EQ(status.record.state, 1);
    timer.advance(5800); // the clock reaches 10
    EXPECT_EQ(qnv_update(), 0);
    EXPECT_EQ(qnv_contrStatus(container, &status.record), 1);
    EXPECT_EQ(status.record.state, 0);
    EXPECT_EQ(status.record.time, 0.0);

    EXPECT_EQ(qnv_contrPlay(container), 0);
    EXPECT_EQ(qnv_contrStop(container), 0);
    EXPECT_EQ(qnv_contrStatus(container, &status.record), 1);
    EXPECT_EQ(status.record.state, 0);
    freeAll({container});
}

TEST(ContainerExports, UpdateDrivesEveryContainer) {
    TimerControl timer(1000);
    const std::vector<int> containers = {qnv_contrCreate(), qnv_contrCreate(), qnv_contrCreate()};
    qnv_contrSetLength(containers[0], 1.0);
    qnv_contrSetLength(containers[2], 2.0);
    for (int c : containers)
        qnv_contrPlay(c);
    timer.advance(2000);
    qnv_update();
    PlaybackStatus status{};
    std::vector<int> states;
    for (int c : containers) {
        qnv_contrStatus(c, &status);
        states.push_back(status.state);
    }
    EXPECT_EQ(states, std::vector<int>({0, 1, 0}));
    freeAll(containers);
}
