#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "LogFile.h"
#include "core/Trace.h"
#include "core/TraceLog.h"

namespace {

constexpr int32_t kInvalidCall = int32_t(0x8876086Cu);        // D3DERR_INVALIDCALL
constexpr int32_t kXAudio2InvalidCall = int32_t(0x88960001u); // XAUDIO2_E_INVALID_CALL
constexpr int32_t kUnknownCode = 0x12345678;

} // namespace

TEST(TraceLog, FirstEntryTruncatesLaterEntriesAppendNumberedInOrder) {
    const std::string path = "trace_order.txt";
    writeFile(path, "the previous run's log");
    {
        TraceLog log(path.c_str());
        log.failure(kInvalidCall, "TheoraVideo", 162, "_pDevice->CreateTexture(...)");
        EXPECT_EQ(readFile(path),
                  "\n1> TheoraVideo.cpp(162) : Failed _pDevice->CreateTexture(...): "
                  "D3DERR_INVALIDCALL\n\t\t" +
                      ascii(resultCodeDescription(kInvalidCall)));
        log.warning("VorbisAudio", 209, "Audio out of sync");
        log.failure(kUnknownCode, "GPUVideoRender", 30, "destSurf->Release()");
        log.failure(kXAudio2InvalidCall, "VorbisAudio", 96, "_pXAudio2->CreateSourceVoice(...)");
        const std::string expected =
            failureEntry(1, "TheoraVideo", 162, "_pDevice->CreateTexture(...)", kInvalidCall) +
            "\n2> VorbisAudio.cpp(209) : Warning Audio out of sync" +
            "\n3> GPUVideoRender.cpp(30) : Failed destSurf->Release(): Unknown\n\t\tn/a" +
            "\n4> VorbisAudio.cpp(96) : Failed _pXAudio2->CreateSourceVoice(...): "
            "XAUDIO2_E_INVALID_CALL\n\t\t" +
            ascii(resultCodeDescription(kXAudio2InvalidCall));
        EXPECT_EQ(readFile(path), expected);
    }

    // A new log (as after the library is loaded again) starts the file afresh.
    TraceLog again(path.c_str());
    again.warning("VorbisAudio", 209, "Audio out of sync");
    EXPECT_EQ(readFile(path), "\n1> VorbisAudio.cpp(209) : Warning Audio out of sync");
}

TEST(TraceLog, ALogWithoutEntriesLeavesTheFileAlone) {
    const std::string path = "trace_untouched.txt";
    writeFile(path, "kept");
    { TraceLog log(path.c_str()); }
    EXPECT_EQ(readFile(path), "kept");
}

TEST(TraceLog, OverlongAndMissingTextsAreWrittenSafely) {
    const std::string path = "trace_long.txt";
    TraceLog log(path.c_str());
    const std::string longCall(5000, 'x');
    log.failure(kInvalidCall, "A", 1, longCall.c_str());
    const std::string cut = readFile(path);
    ASSERT_EQ(cut.size(), size_t(TraceLog::kEntryCapacity - 1));
    const std::string head = "\n1> A.cpp(1) : Failed ";
    EXPECT_EQ(cut.substr(0, head.size()), head);
    EXPECT_EQ(cut.find_first_not_of('x', head.size()), std::string::npos);

    // The next entry follows whole; null texts are written as empty ones.
    log.warning(nullptr, 2, nullptr);
    log.failure(kUnknownCode, nullptr, 3, nullptr);
    EXPECT_EQ(readFile(path),
              cut + "\n2> .cpp(2) : Warning " + "\n3> .cpp(3) : Failed : Unknown\n\t\tn/a");
}

TEST(TraceLog, AnEntryThatCannotBeWrittenIsLostButCounted) {
    namespace fs = std::filesystem;
    const fs::path dir = "trace_missing_dir";
    fs::remove_all(dir);
    const std::string path = (dir / "log.txt").string();
    TraceLog log(path.c_str());
    log.warning("VorbisAudio", 209, "lost");
    EXPECT_FALSE(fs::exists(dir));

    fs::create_directory(dir);
    log.warning("VorbisAudio", 209, "kept");
    EXPECT_EQ(readFile(path), "\n2> VorbisAudio.cpp(209) : Warning kept");
}

TEST(TraceLog, EntriesFromTwoThreadsStayWholeAndAreNumberedOnce) {
    const std::string path = "trace_threads.txt";
    TraceLog log(path.c_str());
    constexpr int kPerThread = 300;
    std::thread feeder([&] {
        for (int i = 0; i < kPerThread; ++i)
            log.warning("VorbisAudio", 209, "Audio out of sync");
    });
    std::thread host([&] {
        for (int i = 0; i < kPerThread; ++i)
            log.failure(kInvalidCall, "TheoraVideo", 315, "_pMovieYTex->LockRect(0, &tex, 0, 0)");
    });
    feeder.join();
    host.join();

    const std::vector<std::string> entries = logEntries(readFile(path));
    ASSERT_EQ(entries.size(), size_t(2 * kPerThread));
    std::vector<int> numbers;
    int warnings = 0;
    for (const std::string &entry : entries) {
        const int number = std::stoi(entry.substr(1));
        numbers.push_back(number);
        const std::string warning =
            "\n" + std::to_string(number) + "> VorbisAudio.cpp(209) : Warning Audio out of sync";
        if (entry == warning) {
            ++warnings;
            continue;
        }
        EXPECT_EQ(entry, failureEntry(number, "TheoraVideo", 315,
                                      "_pMovieYTex->LockRect(0, &tex, 0, 0)", kInvalidCall));
    }
    EXPECT_EQ(warnings, kPerThread);
    std::sort(numbers.begin(), numbers.end());
    for (int i = 0; i < 2 * kPerThread; ++i)
        ASSERT_EQ(numbers[size_t(i)], i + 1);
}

TEST(Trace, TheLibraryLogIsQnvLogInTheCurrentDirectory) {
    const std::string before = readFile("qnv_log.txt");
    traceFailure(kInvalidCall, "GPUVideoRender", 22, "destTex->GetSurfaceLevel(0, &destSurf)");
    traceWarning("VorbisAudio", 209, "Audio out of sync");

    const std::vector<std::string> entries = logEntries(readFile("qnv_log.txt"));
    ASSERT_GE(entries.size(), 2u);
    // Whatever came before in this process, the two entries are the last two and numbered
    // one after the other.
    const int first = std::stoi(entries[entries.size() - 2].substr(1));
    EXPECT_EQ(entries[entries.size() - 2],
              failureEntry(first, "GPUVideoRender", 22, "destTex->GetSurfaceLevel(0, &destSurf)",
                           kInvalidCall));
    EXPECT_EQ(entries.back(), "\n" + std::to_string(first + 1) +
                                  "> VorbisAudio.cpp(209) : Warning Audio out of sync");
    if (first == 1) // the process's first entry replaced the old file
        EXPECT_EQ(entries.size(), 2u);
    else
        EXPECT_EQ(readFile("qnv_log.txt").substr(0, before.size()), before);
}
