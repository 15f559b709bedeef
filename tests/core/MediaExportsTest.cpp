#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "LibraryEngine.h"
#include "MediaFiles.h"
#include "quenvo.h"
#include "quenvo_software.h"
#include "timeline/TimerControl.h"

// Each test frees what it made, so the registries are empty between tests.

namespace {

class MediaExports : public ::testing::Test {
protected:
    void SetUp() override { initialiseLibrary(); }

    int createAudio() { return qnv_vorbisCreate(toneFile().c_str()); }

    // Gives the library a device (it keeps the engine it has). The device stays for the
    // rest of the process, since the library keeps pointing at it.
    static void giveDevice() {
        static IDirect3DDevice9 *device = CreateSoftwareDevice9(64, 48, FALSE);
        qnv_init(device);
    }
};

} // namespace

TEST_F(MediaExports, MediaHandlesAreNumberedAndAFailedCreationUsesNoNumber) {
    EXPECT_EQ(createAudio(), 1);
    EXPECT_EQ(qnv_vorbisCreate("no_such_file.ogg"), 0);
    EXPECT_EQ(qnv_vorbisCreate(notOggFile().c_str()), 0);
    EXPECT_EQ(qnv_theoraCreate(toneFile().c_str()), 0); // audio is not video
    EXPECT_EQ(createAudio(), 3);
    EXPECT_EQ(createAudio(), 5);

    EXPECT_EQ(qnv_vorbisFree(3), 1);
    EXPECT_EQ(createAudio(), 7);
    EXPECT_EQ(qnv_vorbisFree(7), 1);
    EXPECT_EQ(qnv_theoraFree(5), 1); // either name frees either kind
    EXPECT_EQ(createAudio(), 3);

    EXPECT_EQ(qnv_vorbisFree(1), 1);
    EXPECT_EQ(qnv_vorbisFree(3), 1);
    EXPECT_EQ(qnv_vorbisFree(3), 0);
    EXPECT_EQ(createAudio(), 1);
    EXPECT_EQ(qnv_vorbisFree(1), 1);
}

TEST_F(MediaExports, StatusOfAnAudioObjectUnderEitherName) {
    const int audio = createAudio();
    ASSERT_NE(audio, 0);
    for (auto status : {qnv_vorbisStatus, qnv_theoraStatus}) {
        PlaybackStatus record;
        std::memset(&record, 0xA5, sizeof record);
        EXPECT_EQ(status(audio, &record), 1);
        EXPECT_EQ(record.time, 0.0);
        EXPECT_NEAR(record.length, 0.5, 0.001);
        EXPECT_EQ(record.ready, 1);
        int32_t pattern;
        std::memset(&pattern, 0xA5, sizeof pattern);
        EXPECT_EQ(record.state, pattern); // the container's field: not written
        EXPECT_EQ(status(audio, nullptr), 0);
    }

    // An audio object has no video frame to describe.
    VideoInfo info;
    std::memset(&info, 0x5A, sizeof info);
    const VideoInfo before = info;
    EXPECT_EQ(qnv_theoraInfo(audio, &info), 0);
    EXPECT_EQ(std::memcmp(&info, &before, sizeof info), 0);
    EXPECT_EQ(qnv_theoraFree(audio), 1);
}

TEST_F(MediaExports, FreeingAContainerFreesItsMembers) {
    const int container = qnv_contrCreate();
    const int other = qnv_contrCreate();
    const int first = createAudio();
    const int second = createAudio();
    const int moved = createAudio();
    const int loose = createAudio();
    ASSERT_EQ(std::vector<int>({first, second, moved, loose}), std::vector<int>({1, 3, 5, 7}));
    EXPECT_EQ(qnv_contrAddVorbis(container, first, 0), 1);
    EXPECT_EQ(qnv_contrAddTheora(container, second, 3), 1);
    // Attached to `container`, then moved to `other`: it leaves the first one.
    EXPECT_EQ(qnv_contrAddVorbis(container, moved, 2), 1);
    EXPECT_EQ(qnv_contrAddVorbis(other, moved, 0), 1);

    // A media handle names whatever container holds the same number.
    EXPECT_EQ(qnv_contrPlay(first), 0);
    PlaybackStatus status{};
    EXPECT_EQ(qnv_contrStatus(container, &status), 1);
    EXPECT_EQ(status.state, 1);

    EXPECT_EQ(qnv_contrFree(container), 1);
    PlaybackStatus record{};
    EXPECT_EQ(qnv_vorbisStatus(first, &record), 0);
    EXPECT_EQ(qnv_vorbisStatus(second, &record), 0);
    EXPECT_EQ(qnv_vorbisStatus(moved, &record), 1);
    EXPECT_EQ(qnv_vorbisStatus(loose, &record), 1);
    EXPECT_EQ(qnv_contrFree(container), 0);

    // The next media handle follows the largest left (7).
    const int next = createAudio();
    EXPECT_EQ(next, 9);

    EXPECT_EQ(qnv_contrFree(other), 1);
    EXPECT_EQ(qnv_vorbisStatus(moved, &record), 0);
    EXPECT_EQ(qnv_vorbisFree(loose), 1);
    EXPECT_EQ(qnv_vorbisFree(next), 1);
}

TEST_F(MediaExports, AFreedMemberLeavesItsContainerRunning) {
    TimerControl timer(40000);
    const int container = qnv_contrCreate();
    const int started = createAudio();
    const int pending = createAudio();
    qnv_contrAddVorbis(container, started, 0);
    qnv_contrAddVorbis(container, pending, 1); // its start is still queued when it goes
    qnv_contrPlay(container);
    EXPECT_EQ(qnv_vorbisFree(pending), 1);
    EXPECT_EQ(qnv_vorbisFree(started), 1);
    // Nothing is left to reach, not even the queued start once its time comes.
    for (int frame = 0; frame < 3; ++frame) {
        timer.advance(1000);
        qnv_update();
    }
    qnv_contrPause(container);
    qnv_contrStop(container);
    qnv_contrPlay(container);
    qnv_update();
    EXPECT_EQ(qnv_contrFree(container), 1);
}

TEST_F(MediaExports, VideoAndAudioShareOneNumberingAndTheStatusExports) {
    giveDevice();
    const int audio = createAudio();
    const int video = qnv_theoraCreate(videoFile().c_str());
    ASSERT_EQ(audio, 1);
    ASSERT_EQ(video, 3);

    VideoInfo info;
    std::memset(&info, 0xA5, sizeof info);
    ASSERT_EQ(qnv_theoraInfo(video, &info), 1);
    EXPECT_EQ(info.frameWidth, 64);
    EXPECT_EQ(info.frameHeight, 48);
    EXPECT_EQ(info.framesPerSecond, 25);
    EXPECT_EQ(info.pixelAspect, 1.0f); // no aspect in the stream
    EXPECT_GT(info.length, 0.0f);
    EXPECT_NE(info.texture, nullptr);
    EXPECT_EQ(qnv_theoraInfo(video, nullptr), 0);

    // The audio status export reads a video like any media object.
    PlaybackStatus status;
    std::memset(&status, 0xA5, sizeof status);
    ASSERT_EQ(qnv_vorbisStatus(video, &status), 1);
    EXPECT_EQ(float(status.length), info.length);
    EXPECT_TRUE(status.ready == 0 || status.ready == 1);

    // A video attached to a container is freed with it.
    const int container = qnv_contrCreate();
    EXPECT_EQ(qnv_contrAddVorbis(container, video, 0), 1);
    EXPECT_EQ(qnv_contrAddTheora(container, audio, 1), 1);
    EXPECT_EQ(qnv_contrFree(container), 1);
    EXPECT_EQ(qnv_theoraInfo(video, &info), 0);
    EXPECT_EQ(qnv_vorbisFree(audio), 0);
}

TEST_F(MediaExports, PathBytesAboveAsciiNameTheSameFileForAudioAndVideo) {
    giveDevice();
    const std::string video = videoFile("core_vid\xe9o_\xff.ogv");
    const std::string audio = "core_ton\xe9_\xff.ogg";
    ASSERT_TRUE(mediagen::writeVorbis(audio, mediagen::VorbisLink{1, 22050, 0.5}));

    const int videoHandle = qnv_theoraCreate(video.c_str());
    const int audioHandle = qnv_vorbisCreate(audio.c_str());
    EXPECT_NE(videoHandle, 0);
    EXPECT_NE(audioHandle, 0);
    qnv_theoraFree(videoHandle);
    qnv_vorbisFree(audioHandle);
}
