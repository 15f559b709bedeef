// Runs the qnv-play program on generated media, headless with the sound captured, and
// checks what it wrote.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include "MediaGen.h"

namespace fs = std::filesystem;

namespace {

std::string readText(const fs::path &path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs the player with `arguments` and the environment settings `environment`; returns
// its exit code. Its output goes to `name`.stdout and `name`.stderr.
int runPlayer(const std::string &name, const std::string &arguments,
              const std::string &environment = "SDL_AUDIODRIVER=disk") {
    const std::string command = environment + " " + QNV_PLAY_PATH + " " + arguments + " >" + name +
                                ".stdout 2>" + name + ".stderr";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The numbers after `label` in the summary, e.g. "frames shown: 12 of 38 due".
std::vector<double> figures(const std::string &summary, const std::string &label) {
    std::vector<double> numbers;
    const size_t at = summary.find(label + ":");
    if (at == std::string::npos) {
        return numbers;
    }
    const std::string line = summary.substr(at, summary.find('\n', at) - at);
    const std::regex number("[-+]?[0-9]+(\\.[0-9]+)?");
    for (std::sregex_iterator it(line.begin(), line.end(), number), end; it != end; ++it) {
        numbers.push_back(std::stod(it->str()));
    }
    return numbers;
}

// Width and height from a PNG's header, or 0 x 0 when the file is not a PNG.
std::pair<uint32_t, uint32_t> pngSize(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char head[24] = {};
    in.read(reinterpret_cast<char *>(head), sizeof head);
    if (!in || std::string(reinterpret_cast<char *>(head) + 1, 3) != "PNG") {
        return {0, 0};
    }
    auto be32 = [&](int at) {
        return uint32_t(head[at]) << 24 | head[at + 1] << 16 | head[at + 2] << 8 | head[at + 3];
    };
    return {be32(16), be32(20)};
}

// The largest magnitude among the 16-bit samples of a WAV file's data.
int wavPeak(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(44);
    int peak = 0;
    unsigned char pair[2];
    while (in.read(reinterpret_cast<char *>(pair), 2)) {
        peak = std::max(peak, std::abs(int(int16_t(pair[0] | pair[1] << 8))));
    }
    return peak;
}

} // namespace

TEST(PlayerRun, PlaysGeneratedMediaAndWritesFramesSheetSoundAndSummary) {
    mediagen::TheoraFile video;
    video.frameWidth = 320;
    video.frameHeight = 240;
    video.frames = 50;
    ASSERT_TRUE(mediagen::writeTheora("run.ogv", video));
    ASSERT_TRUE(mediagen::writeVorbis("run.ogg", mediagen::VorbisLink{2, 44100, 2.0}));
    fs::remove_all("run_out");

    ASSERT_EQ(runPlayer("run", "--video run.ogv --audio run.ogg --length 1.5 --every 5 "
                               "--sheet 4x3 --out run_out --quiet"),
              0)
        << readText("run.stderr");
    const std::string summary = readText("run_out/summary.txt");
    EXPECT_EQ(summary, readText("run.stdout"));

    // The timeline stops at 1.5 s; the last host frame sees it a little earlier, later
    // still on a loaded machine, whose host frames come seldom.
    const std::vector<double> played = figures(summary, "played");
    ASSERT_FALSE(played.empty());
    EXPECT_GE(played[0], 0.9) << summary;
    EXPECT_LE(played[0], 1.6) << summary;
    // Frames 0 to 25 x played are due by the last host frame. A slow host loop shows
    // fewer (the video never drops frames to catch up), but never more.
    const std::vector<double> shown = figures(summary, "frames shown");
    ASSERT_EQ(shown.size(), 2u) << summary;
    EXPECT_GE(shown[0], 2) << summary;
    EXPECT_LE(shown[0], shown[1]) << summary;
    EXPECT_NEAR(shown[1], std::floor(played[0] * 25) + 1, 1) << summary;
    EXPECT_EQ(figures(summary, "frames skipped"), std::vector<double>{0}) << summary;
    EXPECT_EQ(figures(summary, "failed calls in log"), std::vector<double>{0}) << summary;
    // The feeder resynchronises beyond 50 ms of drift, so the sound stays close; the
    // bound leaves room for a starved audio thread on a loaded machine.
    const std::vector<double> offset = figures(summary, "A/V offset");
    ASSERT_EQ(offset.size(), 3u) << summary;
    EXPECT_LT(std::abs(offset[0]), 400.0) << summary;

    // Every fifth frame shown, named by the number it carries, the first being frame 0.
    int pngs = 0;
    for (const fs::directory_entry &entry : fs::directory_iterator("run_out/frames")) {
        EXPECT_EQ(pngSize(entry.path()), std::make_pair(320u, 240u)) << entry.path();
        ++pngs;
    }
    EXPECT_EQ(pngs, (static_cast<int>(shown[0]) + 4) / 5);
    EXPECT_TRUE(fs::exists("run_out/frames/frame_00000.png"));
    EXPECT_EQ(figures(summary, "frame PNGs"), (std::vector<double>{double(pngs), 0}));

    const int sheetWidth = 4 + 4 * (160 + 4);
    const int sheetHeight = 4 + 3 * (120 + 4);
    EXPECT_EQ(pngSize("run_out/contact.png"),
              std::make_pair(uint32_t(sheetWidth), uint32_t(sheetHeight)));

    // The capture runs from qnv_init to the end, in real time give or take the driver's
    // buffering.
    const std::vector<double> sound = figures(summary, "sound");
    ASSERT_FALSE(sound.empty()) << summary;
    EXPECT_GT(sound.back(), 0.75) << summary;
    EXPECT_LT(sound.back(), 10.0) << summary;
    EXPECT_NEAR(double(fs::file_size("run_out/audio.wav") - 44) / (48000 * 4), sound.back(), 0.01);
    // The tone (amplitude 0.25) was heard, not silence.
    EXPECT_GT(wavPeak("run_out/audio.wav"), 4000);
    EXPECT_FALSE(fs::exists("run_out/audio.f32"));
    EXPECT_TRUE(fs::exists("run_out/ycbcr2rgb.fxo"));
}

TEST(PlayerRun, WindowModeRunsOnTheOffscreenVideoDriver) {
    mediagen::TheoraFile video;
    video.frames = 25;
    ASSERT_TRUE(mediagen::writeTheora("window.ogv", video));
    fs::remove_all("window_out");
    // The sound device is SDL's dummy driver here; the window needs a video driver. The
    // offscreen driver's own framebuffer is used rather than one behind Mesa's GL stack, whose
    // worker threads and allocations are not ours to check under the sanitizers.
    ASSERT_EQ(runPlayer("window", "--window --video window.ogv --length 0.5 --out window_out",
                        "SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=offscreen "
                        "SDL_FRAMEBUFFER_ACCELERATION=0"),
              0)
        << readText("window.stderr");
    const std::string errors = readText("window.stderr");
    if (errors.find("no window") != std::string::npos) {
        GTEST_SKIP() << "no offscreen video driver: " << errors;
    }
    const std::string summary = readText("window_out/summary.txt");
    const std::vector<double> shown = figures(summary, "frames shown");
    ASSERT_EQ(shown.size(), 2u) << summary;
    EXPECT_GE(shown[0], 1) << summary;
    // With the window the sound goes to the device: nothing is captured.
    EXPECT_FALSE(fs::exists("window_out/audio.wav"));
    EXPECT_EQ(summary.find("sound:"), std::string::npos) << summary;
}

TEST(PlayerRun, UnplayableFilesAndBadCommandLinesFailCleanly) {
    fs::remove_all("bad_out");
    { std::ofstream("not-a-video.ogv") << "this is not an Ogg file"; }
    EXPECT_EQ(runPlayer("bad", "--video not-a-video.ogv --audio missing.ogg --out bad_out"), 1);
    const std::string errors = readText("bad.stderr");
    EXPECT_NE(errors.find("cannot play the video"), std::string::npos) << errors;
    EXPECT_NE(errors.find("cannot play the sound"), std::string::npos) << errors;
    EXPECT_NE(errors.find("nothing to play"), std::string::npos) << errors;
    EXPECT_FALSE(fs::exists("bad_out/summary.txt"));
    EXPECT_FALSE(fs::exists("bad_out/audio.f32"));

    EXPECT_EQ(runPlayer("usage", "--rate fast"), 2);
    EXPECT_NE(readText("usage.stderr").find("bad value for --rate: fast"), std::string::npos);
}
