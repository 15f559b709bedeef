#include <gtest/gtest.h>

#include <thread>

#include "LogFile.h"
#include "Platform.h"
#include "quenvo.h"
#include "support/ScriptedXAudio2.h"

// The library keeps its engine for the life of the process, so this test needs a process
// in which nothing called qnv_init before it (CTest runs each test in its own process).

namespace {

const char *const kEngineCall = "XAudio2Create( &_pXAudio2, 0, XAUDIO2_DEFAULT_PROCESSOR )";
const char *const kMasteringCall = "_pXAudio2->CreateMasteringVoice(&_pMasteringVoice)";

std::vector<std::string> libraryLogEntries() {
    return logEntries(readFile("qnv_log.txt"));
}

// The number of the last entry in the library's log, 0 when there is none.
int lastEntryNumber() {
    const std::vector<std::string> entries = libraryLogEntries();
    return entries.empty() ? 0 : std::stoi(entries.back().substr(1));
}

} // namespace

TEST(Init, EngineFailuresAreLoggedAndRetriedOnlyForWhatIsMissing) {
    // The library holds on to the engine after the test: it must outlive the process's use.
    static ScriptedXAudio2 engine;

    // The host thread is in the single-threaded apartment already: the library's own
    // multithreaded initialisation is refused, not logged, and the engine is made anyway.
    std::thread host([] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
        int number = lastEntryNumber();
        if (number != 0) // only a fresh process starts without an engine
            GTEST_SKIP() << "qnv_init ran earlier in this process";

        {
            ScriptedXAudio2::FailingInstallation noEngine(REGDB_E_CLASSNOTREG);
            EXPECT_EQ(qnv_init(nullptr), 0);
        }
        std::vector<std::string> entries = libraryLogEntries();
        ASSERT_EQ(entries.size(), 1u); // nothing about COM, no mastering voice
        EXPECT_EQ(entries[0], failureEntry(1, "Quenvo", 153, kEngineCall, REGDB_E_CLASSNOTREG));
        EXPECT_EQ(softwareComInitCount(), 1u); // the refused call did not count

        ScriptedXAudio2::Installation installed(engine);
        engine.setInitializeResult(XAUDIO2_E_INVALID_CALL);
        EXPECT_EQ(qnv_init(nullptr), 0);
        entries = libraryLogEntries();
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_EQ(entries[1], failureEntry(2, "Quenvo", 153, kEngineCall, XAUDIO2_E_INVALID_CALL));
        EXPECT_EQ(engine.initializeCalls(), 1);
        EXPECT_EQ(engine.lastInitializeFlags(), 0u);
        EXPECT_EQ(engine.lastInitializeProcessor(), XAUDIO2_DEFAULT_PROCESSOR);
        EXPECT_EQ(engine.refCount(), 1u); // released after the failed Initialize
        EXPECT_EQ(engine.masteringVoice(), nullptr);

        engine.setInitializeResult(S_OK);
        engine.setMasteringVoiceResult(XAUDIO2_E_DEVICE_INVALIDATED);
        EXPECT_EQ(qnv_init(nullptr), 0);
        entries = libraryLogEntries();
        ASSERT_EQ(entries.size(), 3u);
        EXPECT_EQ(entries[2],
                  failureEntry(3, "Quenvo", 154, kMasteringCall, XAUDIO2_E_DEVICE_INVALIDATED));
        EXPECT_EQ(engine.initializeCalls(), 2);
        EXPECT_EQ(engine.refCount(), 2u); // kept by the library

        // Called again: the engine is kept, only the mastering voice is tried again.
        engine.setMasteringVoiceResult(S_OK);
        EXPECT_EQ(qnv_init(nullptr), 0);
        ScriptedMasteringVoice *voice = engine.masteringVoice();
        ASSERT_NE(voice, nullptr);
        EXPECT_EQ(qnv_init(nullptr), 0);
        EXPECT_EQ(engine.masteringVoice(), voice);
        EXPECT_EQ(engine.initializeCalls(), 2);
        EXPECT_EQ(engine.refCount(), 2u);
        EXPECT_FALSE(voice->destroyed());
        EXPECT_EQ(libraryLogEntries().size(), 3u);
        CoUninitialize();
    });
    host.join();
}
