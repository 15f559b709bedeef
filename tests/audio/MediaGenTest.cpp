// The generator's Vorbis files: formats, exact lengths, one tone per channel, chains,
// and the files of the wrong kind.
#include <gtest/gtest.h>

#include <cmath>

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include "AudioTestSupport.h"
#include "MediaGen.h"

namespace {

using mediagen::VorbisLink;

// Frequency of one channel of interleaved PCM, from its upward zero crossings.
double measuredFrequency(const std::vector<int16_t> &pcm, int channels, int channel, long rate) {
    int crossings = 0;
    int64_t first = -1;
    int64_t last = -1;
    const int64_t frames = static_cast<int64_t>(pcm.size()) / channels;
    for (int64_t f = 1; f < frames; ++f) {
        if (pcm[(f - 1) * channels + channel] < 0 && pcm[f * channels + channel] >= 0) {
            if (first < 0) {
                first = f;
            }
            last = f;
            ++crossings;
        }
    }
    if (crossings < 2) {
        return 0.0;
    }
    return (crossings - 1) * static_cast<double>(rate) / static_cast<double>(last - first);
}

TEST(MediaGen, VorbisFilesHaveTheAskedFormatLengthAndATonePerChannel) {
    for (const VorbisLink link :
         {VorbisLink{1, 22050, 0.5}, VorbisLink{2, 44100, 1.0}, VorbisLink{6, 48000, 0.75}}) {
        const std::string path =
            audiotest::generated("gen_" + std::to_string(link.channels) + "ch.ogg", link);
        OggVorbis_File file;
        ASSERT_EQ(ov_fopen(path.c_str(), &file), 0);
        EXPECT_EQ(ov_info(&file, -1)->channels, link.channels);
        EXPECT_EQ(ov_info(&file, -1)->rate, link.rate);
        EXPECT_EQ(ov_pcm_total(&file, -1), link.frames());
        ov_clear(&file);

        const std::vector<int16_t> pcm = audiotest::decodeAll(path);
        ASSERT_EQ(pcm.size(), static_cast<size_t>(link.frames() * link.channels));
        for (int c = 0; c < link.channels; ++c) {
            EXPECT_NEAR(measuredFrequency(pcm, link.channels, c, link.rate),
                        mediagen::toneFrequency(c), 2.0)
                << "channel " << c;
        }
    }
}

TEST(MediaGen, ChainedFilesKeepEachLinksFormat) {
    const std::vector<VorbisLink> links{{2, 44100, 0.5}, {1, 22050, 0.25}, {6, 48000, 0.2}};
    const std::string path = audiotest::generated("gen_chain.ogg", links);
    OggVorbis_File file;
    ASSERT_EQ(ov_fopen(path.c_str(), &file), 0);
    ASSERT_EQ(ov_streams(&file), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ov_info(&file, i)->channels, links[i].channels);
        EXPECT_EQ(ov_info(&file, i)->rate, links[i].rate);
        EXPECT_EQ(ov_pcm_total(&file, i), links[i].frames());
    }
    EXPECT_EQ(ov_pcm_total(&file, -1), mediagen::totalFrames(links));
    ov_clear(&file);
}

TEST(MediaGen, WrongKindFilesAreNotVorbis) {
    ASSERT_TRUE(mediagen::writeOggWithUnknownStream("gen_unknown.ogg"));
    ASSERT_TRUE(mediagen::writeBytes("gen_text.ogg", "this is not an Ogg file\n"));
    OggVorbis_File file;
    EXPECT_EQ(ov_fopen("gen_unknown.ogg", &file), OV_ENOTVORBIS);
    EXPECT_LT(ov_fopen("gen_text.ogg", &file), 0);
    EXPECT_FALSE(mediagen::writeVorbis("no_such_dir/x.ogg", VorbisLink{}));
    EXPECT_FALSE(mediagen::writeVorbis("gen_bad.ogg", VorbisLink{0, 44100, 1.0}));
}

} // namespace
