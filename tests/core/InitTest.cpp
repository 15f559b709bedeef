#include <gtest/gtest.h>

#include <thread>

#include "LibraryEngine.h"
#include "LogFile.h"
#include "MediaFiles.h"
#include "Platform.h"
#include "quenvo.h"

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
    if (libraryInitialised)
        GTEST_SKIP() << "needs a process in which the library was not initialised yet";
    libraryInitialised = true;
    ScriptedXAudio2 &engine = scriptedEngine();
    const std::string tone = toneFile();

    // The host thread is in the single-threaded apartment already: the library's own
    // multithreaded initialisation is refused, not logged, and the engine is made anyway.
    std::thread host([&] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
        // Before qnv_init there is no engine and no device: creation fails cleanly.
        EXPECT_EQ(qnv_vorbisCreate(tone.c_str()), 0);
        EXPECT_EQ(qnv_theoraCreate(tone.c_str()), 0);

        {
            ScriptedXAudio2::FailingInstallation noEngine(REGDB_E_CLASSNOTREG);
            EXPECT_EQ(qnv_init(nullptr), 0);
        }
        // One entry: nothing about COM, no mastering voice without an engine.
        const int first = lastEntryNumber();
        EXPECT_EQ(libraryLogEntries().back(),
                  failureEntry(first, "Quenvo", 153, kEngineCall, REGDB_E_CLASSNOTREG));
        EXPECT_EQ(softwareComInitCount(), 1u); // the refused call did not count

        ScriptedXAudio2::Installation installed(engine);
        engine.setInitializeResult(XAUDIO2_E_INVALID_CALL);
        EXPECT_EQ(qnv_init(nullptr), 0);
        ASSERT_EQ(lastEntryNumber(), first + 1);
        EXPECT_EQ(libraryLogEntries().back(),
                  failureEntry(first + 1, "Quenvo", 153, kEngineCall, XAUDIO2_E_INVALID_CALL));
        EXPECT_EQ(engine.initializeCalls(), 1);
        EXPECT_EQ(engine.lastInitializeFlags(), 0u);
        EXPECT_EQ(engine.lastInitializeProcessor(), XAUDIO2_DEFAULT_PROCESSOR);
        EXPECT_EQ(engine.refCount(), 1u); // released after the failed Initialize
        EXPECT_EQ(engine.masteringVoice(), nullptr);

        engine.setInitializeResult(S_OK);
        engine.setMasteringVoiceResult(XAUDIO2_E_DEVICE_INVALIDATED);
        EXPECT_EQ(qnv_init(nullptr), 0);
        ASSERT_EQ(lastEntryNumber(), first + 2);
        EXPECT_EQ(libraryLogEntries().back(), failureEntry(first + 2, "Quenvo", 154, kMasteringCall,
                                                           XAUDIO2_E_DEVICE_INVALIDATED));
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
        EXPECT_EQ(lastEntryNumber(), first + 2);

        // Audio can be created now.
        const int audio = qnv_vorbisCreate(tone.c_str());
        EXPECT_NE(audio, 0);
        EXPECT_EQ(qnv_vorbisFree(audio), 1);
        CoUninitialize();
    });
    host.join();
}
