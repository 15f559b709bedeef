// A machine where the XAudio2 engine cannot be created: qnv_init writes the failure to
// the log as entry 1, music cannot be opened, and video plays all the same.
// run-host.sh runs this with Wine's xaudio2_5.dll switched off and says so through
// QNV_HOST_AUDIO_ENGINE=disabled; elsewhere the test does not apply.
#include <cstdlib>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "Host.h"
#include "HostMedia.h"
#include "LogFile.h"

namespace {

bool engineDisabled() {
    const char *setting = std::getenv("QNV_HOST_AUDIO_ENGINE");
    return setting && std::strcmp(setting, "disabled") == 0;
}

bool startsWith(const std::string &text, const std::string &prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

TEST(NoAudioEngine, IsLoggedAndVideoGoesOn) {
    if (!engineDisabled())
        GTEST_SKIP() << "needs a machine without the XAudio2 2.5 engine";
    DeleteFileW(L"qnv_log.txt");
    Host host;
    ASSERT_TRUE(host.ready()) << host.problem();
    ASSERT_TRUE(host.freshLibrary());

    // The log starts with an empty line; the entry's second line holds the description.
    const std::vector<std::string> lines = readLogLines();
    ASSERT_EQ(3u, lines.size()) << "exactly one entry: the engine, and no mastering voice";
    EXPECT_EQ("", lines[0]);
    const std::string entry =
        "1> Quenvo.cpp(153) : Failed XAudio2Create( &_pXAudio2, 0, XAUDIO2_DEFAULT_PROCESSOR ): ";
    ASSERT_TRUE(startsWith(lines[1], entry)) << lines[1];
    const std::string name = lines[1].substr(entry.size());
    // Wine answers for a class whose DLL is switched off with E_ACCESSDENIED; Windows,
    // without the DirectX runtime, with REGDB_E_CLASSNOTREG.
    EXPECT_TRUE(name == "E_ACCESSDENIED" || name == "REGDB_E_CLASSNOTREG") << name;
    ASSERT_TRUE(startsWith(lines[2], "\t\t")) << lines[2];
    EXPECT_GT(lines[2].size(), 4u);
    EXPECT_NE("\t\tn/a", lines[2]);

    const QuenvoExports &q = host.q();
    EXPECT_EQ(0, q.vorbisCreate(hostmedia::kMusic)) << "no engine, no music";
    const int video = q.theoraCreate(hostmedia::kVideo);
    EXPECT_EQ(1, video) << "the failed music used up no handle";
    const int container = q.contrCreate();
    ASSERT_EQ(1, q.contrAddTheora(container, video, 0));
    q.contrPlay(container);
    EXPECT_TRUE(host.framesUntil([&] { return host.shownFrame(video) > 5; }, 30.0))
        << "the video did not play without audio";
    EXPECT_EQ(1, q.contrFree(container));
}
