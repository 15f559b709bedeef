#include <gtest/gtest.h>

#include "Options.h"

namespace {

bool parse(const std::vector<std::string> &args, PlayerOptions &options, std::string &error) {
    options = PlayerOptions();
    error.clear();
    return parseOptions(args, options, error);
}

} // namespace

TEST(Options, DefaultsPlayTheSampleAtSixtyHertzIntoOut) {
    PlayerOptions options;
    std::string error;
    ASSERT_TRUE(parse({}, options, error));
    EXPECT_TRUE(options.video.empty());
    EXPECT_TRUE(options.audio.empty());
    EXPECT_EQ(options.hostRate, 60.0);
    EXPECT_EQ(options.outDir, "out");
    EXPECT_EQ(options.frameEvery, 1);
    EXPECT_FALSE(options.window);
}

TEST(Options, ReadsEveryValueAndFlag) {
    PlayerOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--video",        "a.ogv", "--audio",  "b.ogg",  "--video-offset", "2",
                       "--audio-offset", "1",     "--length", "3.5",    "--rate",         "30",
                       "--out",          "x",     "--every",  "0",      "--sheet",        "3x2",
                       "--mix-rate",     "44100", "--window", "--quiet"},
                      o, error))
        << error;
    EXPECT_EQ(o.video, "a.ogv");
    EXPECT_EQ(o.audio, "b.ogg");
    EXPECT_EQ(o.videoOffset, 2);
    EXPECT_EQ(o.audioOffset, 1);
    EXPECT_EQ(o.length, 3.5);
    EXPECT_EQ(o.hostRate, 30.0);
    EXPECT_EQ(o.outDir, "x");
    EXPECT_EQ(o.frameEvery, 0);
    EXPECT_EQ(o.sheetColumns, 3);
    EXPECT_EQ(o.sheetRows, 2);
    EXPECT_EQ(o.mixRate, 44100);
    EXPECT_TRUE(o.window);
    EXPECT_TRUE(o.quiet);
}

TEST(Options, RefusesBadCommandLinesAndSaysWhy) {
    PlayerOptions o;
    std::string error;
    EXPECT_FALSE(parse({"--bogus"}, o, error));
    EXPECT_EQ(error, "unknown option --bogus");
    EXPECT_FALSE(parse({"--video"}, o, error));
    EXPECT_EQ(error, "missing value after --video");
    EXPECT_FALSE(parse({"--rate", "60x"}, o, error));
    EXPECT_EQ(error, "bad value for --rate: 60x");
    // Offsets are whole seconds, as the container takes them; no negative ones.
    EXPECT_FALSE(parse({"--video-offset", "1.5"}, o, error));
    EXPECT_FALSE(parse({"--audio-offset", "-1"}, o, error));
    EXPECT_FALSE(parse({"--length", "0"}, o, error));
    EXPECT_FALSE(parse({"--length", "inf"}, o, error));
    EXPECT_FALSE(parse({"--length", "nan"}, o, error));
    EXPECT_FALSE(parse({"--length", "1e300"}, o, error));
    EXPECT_FALSE(parse({"--rate", "nan"}, o, error));
    EXPECT_FALSE(parse({"--rate", "0"}, o, error));
    EXPECT_FALSE(parse({"--every", "-2"}, o, error));
    EXPECT_FALSE(parse({"--sheet", "0x3"}, o, error));
    EXPECT_FALSE(parse({"--sheet", "4x4x"}, o, error));
    EXPECT_FALSE(parse({"--mix-rate", "1000"}, o, error));
    EXPECT_FALSE(parse({"--out", ""}, o, error));
}
