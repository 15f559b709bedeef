// Decoding files into 65,536-byte blocks: whole frames, exact totals, chained files and
// damaged data.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "AudioTestSupport.h"
#include "audio/VorbisBlockFill.h"
#include "support/TextFiles.h"

namespace {

using audiotest::generated;
using mediagen::VorbisLink;
using testsupport::readFile;
using testsupport::writeFile;

// An opened file and its fills, with guard bytes after the block to catch overruns.
class Decoder {
public:
    explicit Decoder(const std::string &path) { _opened = ov_fopen(path.c_str(), &_file) == 0; }
    ~Decoder() {
        if (_opened) {
            ov_clear(&_file);
        }
    }
    bool opened() const { return _opened; }
    OggVorbis_File &file() { return _file; }

    BlockFill fill(int playableLinks = 1) {
        std::memset(_memory, kGuard, sizeof _memory);
        const int channels = ov_info(&_file, -1)->channels;
        return fillBuffer(_file, channels, playableLinks, _memory);
    }
    const char *block() const { return _memory; }
    // True when nothing was written from `from` to the end of the guard area.
    bool untouchedFrom(size_t from) const {
        for (size_t i = from; i < sizeof _memory; ++i) {
            if (_memory[i] != kGuard) {
                return false;
            }
        }
        return true;
    }

    // Fills until the end, checking every block; returns all PCM bytes decoded.
    std::vector<uint8_t> drain(int playableLinks, size_t frameBytes, int maxBlocks = 10000) {
        std::vector<uint8_t> all;
        for (int i = 0; i < maxBlocks; ++i) {
            const BlockFill got = fill(playableLinks);
            EXPECT_EQ(got.bytes % frameBytes, 0u);
            EXPECT_LE(got.bytes, kPcmBlockBytes / frameBytes * frameBytes);
            EXPECT_TRUE(untouchedFrom(kPcmBlockBytes / frameBytes * frameBytes));
            all.insert(all.end(), _memory, _memory + got.bytes);
            if (got.endOfFile) {
                return all;
            }
            // A block that is not the last is full.
            EXPECT_EQ(got.bytes, kPcmBlockBytes / frameBytes * frameBytes);
        }
        ADD_FAILURE() << "no end of file after " << maxBlocks << " blocks";
        return all;
    }

private:
    static constexpr char kGuard = 0x5A;
    OggVorbis_File _file{};
    bool _opened = false;
    char _memory[kPcmBlockBytes + 256];
};

TEST(VorbisBlockFill, StereoAndMonoFillWholeBlocksAndMatchThePlainDecode) {
    for (const VorbisLink link : {VorbisLink{2, 44100, 1.2}, VorbisLink{1, 22050, 3.1}}) {
        const std::string path =
            generated("fill_" + std::to_string(link.channels) + "ch.ogg", link);
        Decoder decoder(path);
        ASSERT_TRUE(decoder.opened());
        const size_t frameBytes = 2u * link.channels;
        const std::vector<uint8_t> all = decoder.drain(1, frameBytes);
        EXPECT_EQ(all.size(), static_cast<size_t>(link.frames()) * frameBytes);
        EXPECT_EQ(all, audiotest::decodeAllBytes(path));
        // After the end every fill is empty and says so.
        const BlockFill after = decoder.fill();
        EXPECT_EQ(after.bytes, 0u);
        EXPECT_TRUE(after.endOfFile);
    }
}

TEST(VorbisBlockFill, SixChannelBlocksEndAtTheLastWholeFrame) {
    const VorbisLink link{6, 48000, 1.5};
    const std::string path = generated("fill_6ch.ogg", link);
    Decoder decoder(path);
    ASSERT_TRUE(decoder.opened());
    const BlockFill first = decoder.fill();
    EXPECT_EQ(first.bytes, 5461u * 12u); // 65,532 bytes: the last 4 stay untouched
    EXPECT_FALSE(first.endOfFile);
    EXPECT_TRUE(decoder.untouchedFrom(65532));

    Decoder again(path);
    const std::vector<uint8_t> all = again.drain(1, 12);
    EXPECT_EQ(all.size(), static_cast<size_t>(link.frames()) * 12u);
    EXPECT_EQ(all, audiotest::decodeAllBytes(path));
}

TEST(VorbisBlockFill, AFileShorterThanABlockFitsTheFirstBlock) {
    const VorbisLink link{2, 44100, 0.1};
    Decoder decoder(generated("fill_short.ogg", link));
    ASSERT_TRUE(decoder.opened());
    const BlockFill first = decoder.fill();
    EXPECT_EQ(first.bytes, 4410u * 4u);
    EXPECT_TRUE(first.endOfFile);
    const BlockFill next = decoder.fill();
    EXPECT_EQ(next.bytes, 0u);
    EXPECT_TRUE(next.endOfFile);
}

TEST(VorbisBlockFill, ChainedLinksInTheSameFormatAllPlay) {
    const std::vector<VorbisLink> links{{2, 44100, 0.8}, {2, 44100, 0.7}};
    const std::string path = generated("fill_chain_same.ogg", links);
    Decoder decoder(path);
    ASSERT_TRUE(decoder.opened());
    EXPECT_EQ(countPlayableLinks(decoder.file()), 2);
    const std::vector<uint8_t> all = decoder.drain(2, 4);
    EXPECT_EQ(all.size(), static_cast<size_t>(mediagen::totalFrames(links)) * 4u);
}

TEST(VorbisBlockFill, PlaybackEndsAtTheFirstLinkInAnotherFormat) {
    // Link 1 differs in channels, link 2 in rate, link 3 is like link 0 again: only
    // link 0 plays, and nothing after the change comes back.
    const std::vector<VorbisLink> links{
        {2, 44100, 0.6}, {1, 44100, 0.5}, {2, 22050, 0.5}, {2, 44100, 0.5}};
    const std::string path = generated("fill_chain_mixed.ogg", links);
    Decoder decoder(path);
    ASSERT_TRUE(decoder.opened());
    ASSERT_EQ(ov_streams(&decoder.file()), 4);
    const int playable = countPlayableLinks(decoder.file());
    EXPECT_EQ(playable, 1);
    const std::vector<uint8_t> all = decoder.drain(playable, 4);
    EXPECT_EQ(all.size(), static_cast<size_t>(links[0].frames()) * 4u);
    for (int i = 0; i < 50; ++i) {
        const BlockFill after = decoder.fill(playable);
        EXPECT_EQ(after.bytes, 0u);
        EXPECT_TRUE(after.endOfFile);
    }
}

TEST(VorbisBlockFill, DamagedAudioDataEndsWithWholeFramesAndNeverSpins) {
    const std::string good = generated("fill_to_damage.ogg", VorbisLink{2, 44100, 4.0});
    const std::string original = readFile(good);
    ASSERT_GT(original.size(), 10000u);

    // Garbage over the middle of the audio pages, and a copy cut off half way.
    std::string damaged = original;
    for (size_t i = original.size() / 3; i < original.size() / 3 + 4000; ++i) {
        damaged[i] = static_cast<char>(i * 131 + 7);
    }
    writeFile("fill_damaged.ogg", damaged);
    writeFile("fill_truncated.ogg", original.substr(0, original.size() / 2));

    for (const char *path : {"fill_damaged.ogg", "fill_truncated.ogg"}) {
        SCOPED_TRACE(path);
        Decoder decoder(path);
        ASSERT_TRUE(decoder.opened());
        const std::vector<uint8_t> all = decoder.drain(1, 4, 100);
        EXPECT_GT(all.size(), 0u);
        EXPECT_LT(all.size(), 176400u * 4u);
    }
}

} // namespace
