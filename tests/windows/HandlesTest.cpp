// Handle numbering and unregistered handles, through the exports of a freshly loaded
// library. Media handles come from videos (and music when there is an audio engine):
// both kinds share one registry.
#include <cstring>

#include <gtest/gtest.h>

#include "Host.h"
#include "HostMedia.h"

namespace {

// A record filled with a byte pattern, to see whether an export wrote into it.
template <typename Record> Record sentinel() {
    Record record;
    std::memset(&record, 0xAB, sizeof record);
    return record;
}

template <typename Record> bool untouched(const Record &record) {
    const Record pattern = sentinel<Record>();
    return std::memcmp(&record, &pattern, sizeof record) == 0;
}

} // namespace

class Handles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.ready()) << host.problem();
        if (!host.freshLibrary())
            GTEST_SKIP() << "needs a freshly loaded library: run each test in its own process";
    }

    int newVideo() { return host.q().theoraCreate(hostmedia::kVideo); }

    Host host;
};

TEST_F(Handles, RegistriesNumberIndependentlyAndReuseOnlyTheLargest) {
    const QuenvoExports &q = host.q();
    EXPECT_EQ(1, q.contrCreate());
    EXPECT_EQ(3, q.contrCreate());

    // A failed creation uses up no number.
    EXPECT_EQ(0, q.theoraCreate(hostmedia::kMissing));
    EXPECT_EQ(0, q.vorbisCreate(hostmedia::kMissing));
    EXPECT_EQ(0, q.theoraCreate(hostmedia::kMusic)) << "a Vorbis file is not a video";
    ASSERT_EQ(1, newVideo());
    ASSERT_EQ(3, newVideo());
    ASSERT_EQ(5, newVideo());

    EXPECT_EQ(1, q.theoraFree(3));
    EXPECT_EQ(7, newVideo());
    EXPECT_EQ(1, q.theoraFree(7));
    EXPECT_EQ(1, q.vorbisFree(5)) << "either free accepts either kind";
    EXPECT_EQ(3, newVideo());
    EXPECT_EQ(1, q.theoraFree(1));
    EXPECT_EQ(1, q.theoraFree(3));
    EXPECT_EQ(0, q.theoraFree(3)) << "already freed";
    EXPECT_EQ(1, newVideo()) << "an empty registry starts again at 1";

    // The container registry was not disturbed by any of that.
    EXPECT_EQ(5, q.contrCreate());
    EXPECT_EQ(1, q.contrFree(5));
    EXPECT_EQ(1, q.contrFree(3));
    EXPECT_EQ(3, q.contrCreate());
}

TEST_F(Handles, UnregisteredHandlesChangeNothing) {
    const QuenvoExports &q = host.q();
    const int container = q.contrCreate();
    ASSERT_EQ(1, container);

    EXPECT_EQ(0, q.contrPlay(99));
    EXPECT_EQ(0, q.contrPlay(container)) << "play returns 0 for a registered handle too";
    EXPECT_EQ(0, q.contrPause(99));
    EXPECT_EQ(0, q.contrStop(99));
    EXPECT_EQ(0, q.contrSetLength(99, 1.0));
    EXPECT_EQ(0, q.contrAddTheora(99, 1, 0));
    EXPECT_EQ(0, q.contrAddVorbis(container, 99, 0));
    EXPECT_EQ(0, q.contrFree(99));
    EXPECT_EQ(0, q.vorbisFree(99));

    PlaybackStatus status = sentinel<PlaybackStatus>();
    EXPECT_EQ(0, q.contrStatus(99, &status));
    EXPECT_EQ(0, q.vorbisStatus(99, &status));
    EXPECT_EQ(0, q.theoraStatus(99, &status));
    EXPECT_TRUE(untouched(status));
    VideoInfo info = sentinel<VideoInfo>();
    EXPECT_EQ(0, q.theoraInfo(99, &info));
    EXPECT_TRUE(untouched(info));

    // The container was playing since the registered play above; an unregistered stop
    // left it alone.
    EXPECT_EQ(1, host.containerStatus(container).state);
}

TEST_F(Handles, StatusExportsAcceptEitherKind) {
    const QuenvoExports &q = host.q();
    const int video = newVideo();
    ASSERT_EQ(1, video);

    PlaybackStatus status = sentinel<PlaybackStatus>();
    ASSERT_EQ(1, q.vorbisStatus(video, &status));
    EXPECT_DOUBLE_EQ(0.0, status.time);
    EXPECT_NEAR(hostmedia::kVideoSeconds, status.length, 0.05);
    EXPECT_TRUE(status.ready == 0 || status.ready == 1);
    int state;
    std::memset(&state, 0xAB, sizeof state);
    EXPECT_EQ(state, status.state) << "media status leaves `state` alone";

    const int music = q.vorbisCreate(hostmedia::kMusic);
    if (music == 0)
        GTEST_SKIP() << "no audio engine here; the rest needs music";
    EXPECT_EQ(3, music);
    ASSERT_EQ(1, q.theoraStatus(music, &status));
    EXPECT_NEAR(hostmedia::kMusicSeconds, status.length, 0.05);
    EXPECT_EQ(1, status.ready) << "audio is always ready";
    VideoInfo info = sentinel<VideoInfo>();
    EXPECT_EQ(0, q.theoraInfo(music, &info)) << "music has no video record";
    EXPECT_TRUE(untouched(info));
    EXPECT_EQ(0, q.vorbisCreate(hostmedia::kVideo)) << "a video is not a Vorbis file";
    EXPECT_EQ(1, q.theoraFree(music));
    EXPECT_EQ(0, q.vorbisStatus(music, &status));
    EXPECT_EQ(1, q.vorbisFree(video));
}

TEST_F(Handles, FreeingAContainerFreesItsMembers) {
    const QuenvoExports &q = host.q();
    const int container = q.contrCreate();
    const int first = newVideo();
    const int second = newVideo();
    const int outsider = newVideo();
    ASSERT_EQ(1, container);
    ASSERT_EQ(5, outsider);
    EXPECT_EQ(1, q.contrAddTheora(container, first, 0));
    EXPECT_EQ(1, q.contrAddVorbis(container, second, 3));

    EXPECT_EQ(1, q.contrFree(container));
    PlaybackStatus status;
    EXPECT_EQ(0, q.vorbisStatus(first, &status));
    EXPECT_EQ(0, q.vorbisStatus(second, &status));
    EXPECT_EQ(1, q.vorbisStatus(outsider, &status)) << "a non-member stays";
    EXPECT_EQ(0, q.contrFree(container));
    EXPECT_EQ(1, q.theoraFree(outsider));
}

TEST_F(Handles, AMediaHandleNamesWhateverContainerHasItsNumber) {
    const QuenvoExports &q = host.q();
    const int container = q.contrCreate();
    const int video = newVideo();
    ASSERT_EQ(container, video) << "both registries issue 1 first";
    q.contrPlay(video);
    EXPECT_EQ(1, host.containerStatus(container).state);
    EXPECT_EQ(1, q.contrFree(container));
    EXPECT_EQ(1, q.theoraFree(video)) << "the video was never a member";
}
