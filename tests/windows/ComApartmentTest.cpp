// A game whose rendering thread already lives in a single-threaded COM apartment (many
// do, for their UI): qnv_init's own multithreaded initialisation is refused there, and
// that must neither be logged nor keep the audio engine from being made.
#include <gtest/gtest.h>

#include <objbase.h>

#include "Host.h"
#include "HostMedia.h"

TEST(ComApartment, SingleThreadedHostStillGetsAudio) {
    DeleteFileW(L"qnv_log.txt");
    ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    Host host; // runs qnv_init on this thread
    ASSERT_TRUE(host.ready()) << host.problem();
    ASSERT_TRUE(host.freshLibrary());

    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L"qnv_log.txt"))
        << "the refused CoInitializeEx was logged, or the engine failed";
    const int music = host.q().vorbisCreate(hostmedia::kMusic);
    EXPECT_EQ(1, music);
    // The thread is still in its own apartment: the library did not uninitialise it.
    EXPECT_EQ(S_FALSE, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    CoUninitialize();
    EXPECT_EQ(1, host.q().vorbisFree(music));
    CoUninitialize();
}
