#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "OutputFolder.h"

namespace fs = std::filesystem;

TEST(OutputFolder, RemovesWhatAnEarlierRunLeftAndKeepsTheRest) {
    fs::remove_all("earlier");
    fs::create_directories("earlier/frames");
    // An old log would have its resync lines counted again: a run that writes no entry
    // leaves the log file as it was.
    for (const char *name :
         {"earlier/qnv_log.txt", "earlier/contact.png", "earlier/audio.wav", "earlier/audio.f32",
          "earlier/summary.txt", "earlier/frames/frame_00007.png", "earlier/keep.txt",
          "earlier/frames/notes.txt"}) {
        std::ofstream(name) << "old";
    }
    std::string error;
    ASSERT_TRUE(prepareOutputFolder(absolutePath("earlier"), true, error)) << error;
    for (const char *gone :
         {"earlier/qnv_log.txt", "earlier/contact.png", "earlier/audio.wav", "earlier/audio.f32",
          "earlier/summary.txt", "earlier/frames/frame_00007.png"}) {
        EXPECT_FALSE(fs::exists(gone)) << gone;
    }
    EXPECT_TRUE(fs::exists("earlier/keep.txt"));
    EXPECT_TRUE(fs::exists("earlier/frames/notes.txt"));

    ASSERT_TRUE(prepareOutputFolder(absolutePath("fresh/deeper"), true, error)) << error;
    EXPECT_TRUE(fs::is_directory("fresh/deeper/frames"));

    { std::ofstream("a-file") << "x"; }
    EXPECT_FALSE(prepareOutputFolder(absolutePath("a-file/out"), false, error));
    EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
}

TEST(OutputFolder, EffectFileIsCopiedUnlessItIsAlreadyThere) {
    fs::remove_all("from");
    fs::remove_all("to");
    fs::create_directories("from");
    fs::create_directories("to");
    EXPECT_FALSE(copyEffectFile("from", "to")); // none to copy
    { std::ofstream("from/ycbcr2rgb.fxo") << "effect"; }
    EXPECT_TRUE(copyEffectFile("from", "to"));
    std::ifstream copied("to/ycbcr2rgb.fxo");
    std::string text;
    copied >> text;
    EXPECT_EQ(text, "effect");
    // Playing in the player's own folder: nothing to copy, and no copy onto itself.
    EXPECT_TRUE(copyEffectFile("from", "from"));
    EXPECT_TRUE(copyEffectFile("from", absolutePath("from")));
}

TEST(OutputFolder, RelativePathsBecomeAbsolute) {
    EXPECT_EQ(absolutePath("/already/absolute"), "/already/absolute");
    const std::string made = absolutePath("some/../out");
    EXPECT_EQ(made, (fs::current_path() / "out").string());
}
