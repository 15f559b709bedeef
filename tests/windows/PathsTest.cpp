// Paths reach the file system as the host wrote them: an 8-bit path with bytes above
// 0x7F (here Latin-1 letters in the ANSI code page 1252) names the same file for video
// as for music.
#include <string>

#include <gtest/gtest.h>

#include "Host.h"
#include "HostMedia.h"

TEST(Paths, BytesAboveAsciiNameTheSameFileForVideoAndMusic) {
    if (GetACP() != 1252)
        GTEST_SKIP() << "needs the ANSI code page 1252, this system has " << GetACP();
    Host host;
    ASSERT_TRUE(host.ready()) << host.problem();
    const std::string video = "vid\xE9o-\xE4\xF6\xFC.ogv"; // "vidéo-äöü.ogv"
    const std::string music = "m\xFBsique.ogg";            // "mûsique.ogg"
    ASSERT_TRUE(CopyFileA(hostmedia::kVideo, video.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(hostmedia::kMusic, music.c_str(), FALSE));

    const int videoHandle = host.q().theoraCreate(video.c_str());
    EXPECT_NE(0, videoHandle) << "the video path was widened to another name";
    const int musicHandle = host.q().vorbisCreate(music.c_str());
    EXPECT_NE(0, musicHandle);
    EXPECT_EQ(0, host.q().theoraCreate("vid\xE9o-missing.ogv"));

    host.q().theoraFree(videoHandle);
    host.q().vorbisFree(musicHandle);
    DeleteFileA(video.c_str());
    DeleteFileA(music.c_str());
}
