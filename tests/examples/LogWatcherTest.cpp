#include <cstdio>
#include <fstream>

#include <gtest/gtest.h>

#include "LogWatcher.h"

namespace {

const char *const kWarning = "\n1> VorbisAudio.cpp(209) : Warning Audio out of sync";
const char *const kFailure = "\n2> TheoraVideo.cpp(315) : Failed _pMovieYTex->LockRect(0, &tex, "
                             "0, 0): D3DERR_INVALIDCALL\n\t\tInvalid call";

void append(const std::string &path, const std::string &text) {
    std::ofstream(path, std::ios::app | std::ios::binary) << text;
}

} // namespace

TEST(PhraseCounter, FindsPhrasesSplitAcrossPiecesOnce) {
    PhraseCounter counter("sync");
    counter.feed("out of sy");
    EXPECT_EQ(counter.count(), 0);
    counter.feed("nc, sync");
    EXPECT_EQ(counter.count(), 2);
    counter.feed("");
    counter.feed("s");
    EXPECT_EQ(counter.count(), 2);
    counter.feed("ync");
    EXPECT_EQ(counter.count(), 3);
}

TEST(LogWatcher, CountsWarningsAndFailuresAsTheLogGrowsAndStartsOverWhenItIsNew) {
    const std::string path = "watched_log.txt";
    std::remove(path.c_str());
    LogWatcher watcher(path);
    watcher.poll(); // no file yet
    EXPECT_EQ(watcher.resyncs(), 0);

    append(path, kWarning);
    append(path, kFailure);
    watcher.poll();
    EXPECT_EQ(watcher.resyncs(), 1);
    EXPECT_EQ(watcher.failures(), 1);
    watcher.poll(); // nothing new: nothing counted twice
    EXPECT_EQ(watcher.resyncs(), 1);

    // An entry seen half written is counted once it is whole.
    const std::string warning = kWarning;
    append(path, warning.substr(0, 30));
    watcher.poll();
    EXPECT_EQ(watcher.resyncs(), 1);
    append(path, warning.substr(30));
    watcher.poll();
    EXPECT_EQ(watcher.resyncs(), 2);
    EXPECT_EQ(watcher.failures(), 1);

    // A new run truncates the log with its first entry.
    std::ofstream(path, std::ios::trunc | std::ios::binary) << kWarning;
    watcher.poll();
    EXPECT_EQ(watcher.resyncs(), 1);
    EXPECT_EQ(watcher.failures(), 0);
    std::remove(path.c_str());
}
