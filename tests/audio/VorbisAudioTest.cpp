// VorbisAudio against the scripted engine: the open, the feeder's block ring, the end of
// the file, stop/pause/play, close, and every way the open can fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "AudioTestSupport.h"
#include "ForwardingEngine.h"
#include "MediaGen.h"
#include "Platform.h"
#include "audio/VorbisAudio.h"
#include "core/ResultCodes.h"
#include "support/ScriptedXAudio2.h"

namespace {

using audiotest::generated;
using audiotest::outOfSyncWarnings;
using audiotest::waitUntil;
using mediagen::VorbisLink;
using Calls = std::vector<std::string>;

constexpr size_t kBlock = 65536;

std::vector<uint8_t> slice(const std::vector<uint8_t> &bytes, size_t from, size_t count) {
    from = std::min(from, bytes.size());
    count = std::min(count, bytes.size() - from);
    return std::vector<uint8_t>(bytes.begin() + from, bytes.begin() + from + count);
}

// Gives the feeder a moment to do something it should not; a correct feeder never fails
// a check that follows, whatever the machine's load.
void settle() {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

class VorbisAudioTest : public ::testing::Test {
protected:
    void SetUp() override { _handlesBefore = softwareOpenHandleCount(); }
    void TearDown() override {
        if (_audio) {
            _audio->close();
            _audio.reset();
        }
        EXPECT_EQ(engine.liveSourceVoiceCount(), 0u);
        EXPECT_EQ(softwareOpenHandleCount(), _handlesBefore) << "a thread or event leaked";
        for (size_t i = 0; i < engine.sourceVoiceCount(); ++i) {
            EXPECT_EQ(engine.sourceVoice(i)->callsAfterDestroy(), 0);
        }
    }

    VorbisAudio &audio() {
        if (!_audio) {
            _audio = std::make_unique<VorbisAudio>(objectEngine);
        }
        return *_audio;
    }
    ScriptedSourceVoice &voice() { return *engine.sourceVoice(0); }
    size_t submitted() { return voice().submittedBuffers().size(); }
    ScriptedBuffer submission(size_t i) { return voice().submittedBuffers().at(i); }
    bool waitForSubmissions(size_t count) {
        return waitUntil([&] { return submitted() >= count; });
    }
    // Calls made after the first `skip` ones.
    Calls callsAfter(size_t skip) {
        const Calls all = voice().calls();
        return Calls(all.begin() + std::min(skip, all.size()), all.end());
    }

    // Opens `path` and waits for the feeder's first block.
    void openAndSettle(const std::string &path) {
        ASSERT_EQ(audio().openPath(path), 1);
        ASSERT_TRUE(waitForSubmissions(2));
        settle();
        ASSERT_EQ(submitted(), 2u);
    }

    ScriptedXAudio2 engine;
    // The engine audio() hands to its object: the scripted one unless a test wraps it.
    IXAudio2 *objectEngine = &engine;

private:
    std::unique_ptr<VorbisAudio> _audio;
    size_t _handlesBefore = 0;
};

TEST_F(VorbisAudioTest, OpenMakesTheVoiceQueuesBlockZeroAndTheFeederQueuesBlockOne) {
    for (const VorbisLink link :
         {VorbisLink{2, 44100, 3.0}, VorbisLink{1, 22050, 4.0}, VorbisLink{6, 48000, 1.0}}) {
        SCOPED_TRACE(link.channels);
        ScriptedXAudio2 local;
        const std::string path =
            generated("open_" + std::to_string(link.channels) + "ch.ogg", link);
        auto object = std::make_unique<VorbisAudio>(&local);
        ASSERT_EQ(object->openPath(path), 1);
        ASSERT_EQ(local.sourceVoiceCount(), 1u);
        ScriptedSourceVoice &v = *local.sourceVoice(0);

        const WAVEFORMATEX &wfx = v.format();
        EXPECT_EQ(wfx.wFormatTag, WAVE_FORMAT_PCM);
        EXPECT_EQ(wfx.nChannels, link.channels);
        EXPECT_EQ(wfx.nSamplesPerSec, static_cast<DWORD>(link.rate));
        EXPECT_EQ(wfx.nAvgBytesPerSec, static_cast<DWORD>(link.rate * link.channels * 2));
        EXPECT_EQ(wfx.nBlockAlign, link.channels * 2);
        EXPECT_EQ(wfx.wBitsPerSample, 16);
        EXPECT_EQ(wfx.cbSize, 0);
        EXPECT_EQ(v.creationFlags(), 0u);
        EXPECT_EQ(v.maxFrequencyRatio(), 2.0f);
        EXPECT_NE(v.callback(), nullptr);

        ASSERT_TRUE(waitUntil([&] { return v.submittedBuffers().size() >= 2; }));
        settle();
        EXPECT_EQ(v.calls(), (Calls{"Submit", "Submit"}));
        EXPECT_FALSE(v.running());

        const size_t blockBytes = kBlock / (2 * link.channels) * (2 * link.channels);
        const std::vector<uint8_t> pcm = audiotest::decodeAllBytes(path);
        const std::vector<ScriptedBuffer> blocks = v.submittedBuffers();
        EXPECT_EQ(blocks[0].bytes, slice(pcm, 0, blockBytes));
        EXPECT_EQ(blocks[1].bytes, slice(pcm, blockBytes, blockBytes));
        EXPECT_EQ(blocks[0].flags, 0u);
        EXPECT_EQ(blocks[1].flags, 0u);

        EXPECT_DOUBLE_EQ(object->getLength(), static_cast<double>(link.frames()) / link.rate);
        EXPECT_TRUE(object->isReady());
        EXPECT_EQ(object->getPosition(), 0.0);
        EXPECT_EQ(object->update(), 1);
        object->close();
    }
}

TEST_F(VorbisAudioTest, PlayingRefillsTheBlocksInTurnOnePerBlockStartNeverMoreThanTwoQueued) {
    const std::string path = generated("ring.ogg", VorbisLink{2, 44100, 3.0});
    const std::vector<uint8_t> pcm = audiotest::decodeAllBytes(path);
    AddressRecordingEngine recording(engine);
    objectEngine = &recording;
    openAndSettle(path);
    const int warnings = outOfSyncWarnings();
    // The clocks agree throughout (no container: local time 0, audio clock held at 0).
    voice().setSamplesPlayed(0);
    ASSERT_EQ(audio().play(), 1);
    EXPECT_TRUE(voice().running());

    // Block 0 starts with block 1 waiting: two are queued, nothing to refill.
    ASSERT_TRUE(voice().startNextBuffer());
    settle();
    EXPECT_EQ(submitted(), 2u);

    size_t expected = 2;
    while (voice().startNextBuffer()) {
        if (!voice().submittedBuffers().back().endOfStream()) {
            ++expected;
        }
        ASSERT_TRUE(waitForSubmissions(expected));
        EXPECT_LE(voice().queuedBuffers().size(), 2u);
        if (voice().submittedBuffers().back().endOfStream()) {
            break;
        }
    }
    settle();
    const std::vector<ScriptedBuffer> blocks = voice().submittedBuffers();
    std::vector<uint8_t> played;
    for (size_t i = 0; i < blocks.size(); ++i) {
        const bool last = i + 1 == blocks.size();
        EXPECT_EQ(blocks[i].endOfStream(), last) << "block " << i;
        if (!last) {
            EXPECT_EQ(blocks[i].bytes.size(), kBlock) << "block " << i;
        }
        played.insert(played.end(), blocks[i].bytes.begin(), blocks[i].bytes.end());
    }
    EXPECT_EQ(played, pcm);
    EXPECT_EQ(blocks.size(), pcm.size() / kBlock + 1);
    EXPECT_EQ(outOfSyncWarnings(), warnings);

    // The three blocks in turn, and never one the voice still holds.
    const std::vector<const BYTE *> addresses = recording.voice(0).addresses();
    ASSERT_EQ(addresses.size(), blocks.size());
    EXPECT_NE(addresses[0], addresses[1]);
    EXPECT_NE(addresses[1], addresses[2]);
    EXPECT_NE(addresses[0], addresses[2]);
    for (size_t i = 3; i < addresses.size(); ++i) {
        EXPECT_EQ(addresses[i], addresses[i - 3]) << "block " << i;
    }
    EXPECT_EQ(recording.voice(0).overwrites(), 0);
    audio().close(); // before the wrapping voice goes
}

TEST_F(VorbisAudioTest, TheEndOfTheFileMarksTheLastBlocksAndStopsTheVoice) {
    // 0.5 s of stereo: one full block and 22,664 bytes.
    const std::string path = generated("end.ogg", VorbisLink{2, 44100, 0.5});
    const std::vector<uint8_t> pcm = audiotest::decodeAllBytes(path);
    ASSERT_EQ(pcm.size(), 88200u);
    openAndSettle(path);
    EXPECT_FALSE(submission(0).endOfStream());
    EXPECT_TRUE(submission(1).endOfStream());
    EXPECT_EQ(submission(1).bytes, slice(pcm, kBlock, kBlock));

    voice().setSamplesPlayed(0);
    audio().play();
    ASSERT_TRUE(voice().startNextBuffer()); // block 0: two queued
    ASSERT_TRUE(voice().startNextBuffer()); // the last block: one queued, refill
    ASSERT_TRUE(waitForSubmissions(3));
    EXPECT_TRUE(submission(2).bytes.empty());
    EXPECT_TRUE(submission(2).endOfStream());

    // Woken with nothing queued: the sound is over and the voice is stopped.
    const size_t before = voice().calls().size();
    voice().setBuffersQueued(0);
    voice().fireBufferStart();
    ASSERT_TRUE(waitUntil([&] { return !voice().running(); }));
    settle();
    EXPECT_EQ(callsAfter(before), (Calls{"Stop"}));
    voice().clearStateOverrides();

    // A stop after the end decodes again, from 0.01 s (local time 0).
    const int warnings = outOfSyncWarnings();
    const size_t submissions = submitted();
    ASSERT_EQ(audio().stop(), 1);
    ASSERT_TRUE(waitForSubmissions(submissions + 1));
    ASSERT_TRUE(waitUntil([&] { return outOfSyncWarnings() == warnings + 1; }));
    EXPECT_EQ(submission(submissions).bytes, slice(pcm, 441 * 4, kBlock));
    EXPECT_FALSE(submission(submissions).endOfStream());
}

TEST_F(VorbisAudioTest, EveryStopResynchronisesOnceFromTenMilliseconds) {
    const std::string path = generated("stop.ogg", VorbisLink{2, 44100, 3.0});
    const std::vector<uint8_t> pcm = audiotest::decodeAllBytes(path);
    openAndSettle(path);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        const int warnings = outOfSyncWarnings();
        const size_t calls = voice().calls().size();
        const size_t submissions = submitted();
        // The clocks agree (both 0), and still the stop resynchronises. (A refill already
        // under way when the stop lands may queue one more block; the resync drops it.)
        ASSERT_EQ(audio().stop(), 1);
        ASSERT_TRUE(waitUntil([&] { return outOfSyncWarnings() == warnings + 1; }));
        ASSERT_TRUE(waitUntil([&] { return voice().queuedBuffers().size() == 2; }));
        settle();
        const Calls after = callsAfter(calls);
        ASSERT_GE(after.size(), 2u);
        EXPECT_EQ(Calls(after.begin(), after.begin() + 2), (Calls{"Stop", "Flush"}));
        EXPECT_EQ(std::count(after.begin(), after.end(), "Flush"), 2);
        EXPECT_EQ(outOfSyncWarnings(), warnings + 1);
        EXPECT_GE(submitted(), submissions + 2);
        const std::vector<ScriptedBuffer> queued = voice().queuedBuffers();
        ASSERT_EQ(queued.size(), 2u);
        EXPECT_EQ(queued[0].bytes, slice(pcm, 441 * 4, kBlock));
        EXPECT_EQ(queued[1].bytes, slice(pcm, 441 * 4 + kBlock, kBlock));
    }
}

TEST_F(VorbisAudioTest, PauseKeepsTheBlocksAndPlayResetsTheClockBase) {
    const std::string path = generated("pause.ogg", VorbisLink{2, 44100, 3.0});
    openAndSettle(path);
    ASSERT_EQ(audio().play(), 1);
    voice().setSamplesPlayed(88200);
    EXPECT_DOUBLE_EQ(audio().getPosition(), 2.0);
    const size_t calls = voice().calls().size();
    ASSERT_EQ(audio().pause(), 1);
    EXPECT_FALSE(voice().running());
    settle();
    EXPECT_EQ(callsAfter(calls), (Calls{"Stop"}));
    EXPECT_EQ(voice().queuedBuffers().size(), 2u);
    ASSERT_EQ(audio().play(), 1);
    ASSERT_EQ(audio().play(), 1); // already playing: the voice keeps playing
    EXPECT_EQ(callsAfter(calls), (Calls{"Stop", "Start", "Start"}));
    EXPECT_DOUBLE_EQ(audio().getPosition(), 2.0);
}

TEST_F(VorbisAudioTest, CloseWhilePlayingEndsTheFeederAndIsIdempotent) {
    const std::string path = generated("close.ogg", VorbisLink{2, 44100, 3.0});
    openAndSettle(path);
    voice().setSamplesPlayed(0);
    audio().play();
    ASSERT_TRUE(voice().startNextBuffer());
    ASSERT_TRUE(voice().startNextBuffer());
    ASSERT_TRUE(waitForSubmissions(3));
    EXPECT_EQ(audio().close(), 1);
    EXPECT_TRUE(voice().destroyed());
    EXPECT_EQ(voice().calls().back(), "Destroy");
    const size_t calls = voice().calls().size();
    EXPECT_EQ(audio().close(), 1);
    EXPECT_EQ(audio().play(), 0);
    EXPECT_EQ(audio().pause(), 0);
    EXPECT_EQ(audio().stop(), 0);
    EXPECT_EQ(audio().getPosition(), 0.0);
    EXPECT_EQ(voice().calls().size(), calls);
}

TEST_F(VorbisAudioTest, DestroyingAnOpenObjectWithoutCloseReleasesEverything) {
    openAndSettle(generated("noclose.ogg", VorbisLink{2, 44100, 1.0}));
    delete new VorbisAudio(&engine); // never opened
    VorbisAudio *opened = new VorbisAudio(&engine);
    ASSERT_EQ(opened->openPath("noclose.ogg"), 1);
    delete opened;
    EXPECT_TRUE(engine.sourceVoice(1)->destroyed());
}

TEST_F(VorbisAudioTest, FilesThatAreNotOggVorbisAreRefusedBeforeAnyVoice) {
    ASSERT_TRUE(mediagen::writeOggWithUnknownStream("refused_unknown.ogg"));
    ASSERT_TRUE(mediagen::writeBytes("refused_text.ogg", "RIFF....WAVEfmt not ogg at all"));
    ASSERT_TRUE(mediagen::writeBytes("refused_empty.ogg", ""));
    mediagen::TheoraFile video;
    video.frames = 5;
    ASSERT_TRUE(mediagen::writeTheora("refused_theora.ogv", video));
    for (const char *path : {"no_such_file.ogg", "refused_unknown.ogg", "refused_text.ogg",
                             "refused_empty.ogg", "refused_theora.ogv"}) {
        SCOPED_TRACE(path);
        VorbisAudio object(&engine);
        EXPECT_EQ(object.openPath(path), -1);
        EXPECT_EQ(object.play(), 0);
        EXPECT_EQ(object.pause(), 0);
        EXPECT_EQ(object.stop(), 0);
        EXPECT_EQ(object.getPosition(), 0.0);
        EXPECT_EQ(object.close(), 1);
    }
    EXPECT_EQ(engine.sourceVoiceRequests(), 0);
}

TEST_F(VorbisAudioTest, WidePathsKeepTheLowByteOfEachCharacter) {
    generated("wide_x.ogg", VorbisLink{2, 44100, 0.2});
    VorbisAudio ascii(&engine);
    EXPECT_EQ(ascii.open(L"wide_x.ogg"), 1);
    ascii.close();
    // U+0178 has the low byte 0x78, 'x': it names the same file.
    VorbisAudio high(&engine);
    EXPECT_EQ(high.open(L"wide_\u0178.ogg"), 1);
    high.close();
    VorbisAudio other(&engine);
    EXPECT_EQ(other.open(L"wide_\u0179.ogg"), -1);
}

TEST_F(VorbisAudioTest, AFailedSourceVoiceFailsTheOpenAndIsLogged) {
    const std::string path = generated("novoice.ogg", VorbisLink{2, 44100, 0.5});
    engine.setSourceVoiceResult(XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(audio().openPath(path), -1);
    EXPECT_EQ(engine.sourceVoiceRequests(), 1);
    EXPECT_EQ(engine.sourceVoiceCount(), 0u);
    EXPECT_EQ(audio().play(), 0);

    std::string name;
    for (const char16_t *c = resultCodeName(XAUDIO2_E_INVALID_CALL); *c; ++c) {
        name.push_back(static_cast<char>(*c));
    }
    const std::string log = audiotest::readLog();
    EXPECT_NE(log.find("VorbisAudio.cpp(96) : Failed "
                       "_pXAudio2->CreateSourceVoice(&_pSourceVoice, &wfx, 0, 2.0f, "
                       "&_streamContext, 0, 0): " +
                       name + "\n\t\t"),
              std::string::npos)
        << log;
}

TEST_F(VorbisAudioTest, AFailedFirstSubmissionIsLoggedAndTheOpenGoesOn) {
    const std::string path = generated("nosubmit.ogg", VorbisLink{2, 44100, 0.5});
    RefusingEngine refusing(engine);
    VorbisAudio object(&refusing);
    EXPECT_EQ(object.openPath(path), 1);
    EXPECT_NE(audiotest::readLog().find(
                  "VorbisAudio.cpp(162) : Failed _pSourceVoice->SubmitSourceBuffer(&buf): "),
              std::string::npos);
    EXPECT_EQ(object.play(), 1);
    object.close();
    EXPECT_TRUE(voice().destroyed());
}

TEST_F(VorbisAudioTest, NoEngineNoEventOrNoThreadFailsTheOpenCleanly) {
    const std::string path = generated("setup.ogg", VorbisLink{2, 44100, 0.5});
    VorbisAudio noEngine(nullptr);
    EXPECT_EQ(noEngine.openPath(path), -1);

    softwareFailKernelCall(SoftwareKernelCall::CreateEvent);
    VorbisAudio noEvent(&engine);
    softwareClearKernelFaults();
    EXPECT_EQ(noEvent.openPath(path), -1);
    EXPECT_EQ(engine.sourceVoiceRequests(), 0);
    EXPECT_EQ(noEvent.stop(), 0);

    VorbisAudio noThread(&engine);
    softwareFailKernelCall(SoftwareKernelCall::CreateThread);
    EXPECT_EQ(noThread.openPath(path), -1);
    softwareClearKernelFaults();
    ASSERT_EQ(engine.sourceVoiceCount(), 1u);
    EXPECT_TRUE(voice().destroyed());
    EXPECT_EQ(noThread.play(), 0);
}

TEST_F(VorbisAudioTest, AnObjectOpensOnce) {
    const std::string path = generated("once.ogg", VorbisLink{2, 44100, 0.5});
    ASSERT_EQ(audio().openPath(path), 1);
    EXPECT_EQ(audio().openPath(path), -1);
    audio().close();
    EXPECT_EQ(audio().openPath(path), -1);
    EXPECT_EQ(engine.sourceVoiceCount(), 1u);
}

TEST_F(VorbisAudioTest, AChainedFileCountsEveryLinkButPlaysOnlyItsFirstFormat) {
    const std::vector<VorbisLink> links{{2, 44100, 0.5}, {1, 22050, 1.0}};
    const std::string path = generated("chain.ogg", links);
    openAndSettle(path);
    EXPECT_DOUBLE_EQ(audio().getLength(),
                     static_cast<double>(mediagen::totalFrames(links)) / 44100.0);
    EXPECT_EQ(voice().format().nChannels, 2);
    EXPECT_EQ(submission(0).bytes.size() + submission(1).bytes.size(), 88200u);
    EXPECT_TRUE(submission(1).endOfStream());
}

} // namespace
