// qnv-play: plays Ogg Theora video and Ogg Vorbis sound through Quenvo the way a game
// does, and writes what it showed and played to an output folder: frame PNGs read back
// from the video's RGB texture, a contact sheet, the sound as a WAV file (headless), the
// library's log and a summary. Without files it plays the built-in sample.
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "AudioCapture.h"
#include "Options.h"
#include "OutputFolder.h"
#include "Player.h"
#include "Report.h"

namespace {

// With no file named, the sample built next to the executable.
void chooseInputs(PlayerOptions &options, const std::string &ownFolder) {
    if (options.video.empty() && options.audio.empty()) {
        options.video = ownFolder + "/sample.ogv";
        options.audio = ownFolder + "/sample.ogg";
        return;
    }
    if (!options.video.empty()) {
        options.video = absolutePath(options.video);
    }
    if (!options.audio.empty()) {
        options.audio = absolutePath(options.audio);
    }
}

} // namespace

int main(int argc, char **argv) {
    PlayerOptions options;
    std::string error;
    if (!parseOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "qnv-play: %s\n%s", error.c_str(), usageText());
        return 2;
    }
    if (options.help) {
        std::printf("%s", usageText());
        return 0;
    }
    const std::string ownFolder = executableFolder();
    chooseInputs(options, ownFolder);
    const std::string outDir = absolutePath(options.outDir);
    if (!prepareOutputFolder(outDir, options.frameEvery > 0, error)) {
        std::fprintf(stderr, "qnv-play: %s\n", error.c_str());
        return 1;
    }
    if (!options.video.empty() && !copyEffectFile(ownFolder, outDir)) {
        std::fprintf(stderr, "qnv-play: no %s next to the player; the video will not be drawn\n",
                     kEffectFileName);
    }
    // The sound device is chosen before the library starts its audio engine.
    std::unique_ptr<AudioCapture> capture;
    if (!options.window) {
        capture = std::make_unique<AudioCapture>(outDir, options.mixRate);
    }

    Summary summary;
    summary.outDir = outDir;
    Player player(options, outDir);
    if (!player.play(summary, error)) {
        std::fprintf(stderr, "qnv-play: %s\n", error.c_str());
        return 1;
    }
    if (capture && capture->active() && !summary.audio.empty()) {
        summary.wavSeconds = capture->finish();
        if (summary.wavSeconds >= 0.0) {
            summary.wavPath = capture->wavPath();
        }
    }
    const std::string text = formatSummary(summary);
    std::printf("%s", text.c_str());
    std::ofstream(outDir + "/summary.txt") << text;
    return 0;
}
