#include "Options.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>

namespace {

// Whole-string numbers only: "12x" or "" are refused rather than read as 12 or 0, and
// "inf" or "nan" rather than taken as a length or rate.
bool toDouble(const std::string &text, double &value) {
    char *end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && end == text.c_str() + text.size() && std::isfinite(value);
}

// A week: longer timelines are a typing error, and the frame count must stay countable.
constexpr double kMaxLengthSeconds = 7 * 24 * 3600.0;

bool toInt(const std::string &text, int &value) {
    char *end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || end != text.c_str() + text.size() || parsed < -1000000 ||
        parsed > 1000000) {
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

bool toGrid(const std::string &text, int &columns, int &rows) {
    char tail = 0;
    return std::sscanf(text.c_str(), "%dx%d%c", &columns, &rows, &tail) == 2 && columns > 0 &&
           rows > 0 && columns <= 32 && rows <= 32;
}

using ValueSetter = std::function<bool(const std::string &)>;

} // namespace

const char *usageText() {
    return "usage: qnv-play [options]\n"
           "  Plays an Ogg Theora video and/or an Ogg Vorbis sound the way a game does; with\n"
           "  neither, the built-in sample (generated video with music).\n"
           "  --video FILE.ogv       video to play\n"
           "  --audio FILE.ogg       sound to play\n"
           "  --video-offset S       whole seconds on the timeline before the video starts\n"
           "  --audio-offset S       the same for the sound\n"
           "  --length S             stop the timeline at S seconds (default: longest medium)\n"
           "  --rate HZ              host frame rate (default 60)\n"
           "  --out DIR              output folder (default out)\n"
           "  --every N              write every Nth frame shown as PNG, 0 for none (default 1)\n"
           "  --sheet CxR            contact sheet grid (default 6x4)\n"
           "  --mix-rate HZ          rate of the captured sound (default 48000)\n"
           "  --window               show the video in a window, sound on the sound device\n"
           "  --quiet                no progress bar\n";
}

bool parseOptions(const std::vector<std::string> &args, PlayerOptions &o, std::string &error) {
    const std::map<std::string, bool *> flags = {
        {"--window", &o.window}, {"--quiet", &o.quiet}, {"--help", &o.help}, {"-h", &o.help}};
    const std::map<std::string, ValueSetter> valued = {
        {"--video", [&](const std::string &v) { return o.video = v, !v.empty(); }},
        {"--audio", [&](const std::string &v) { return o.audio = v, !v.empty(); }},
        {"--out", [&](const std::string &v) { return o.outDir = v, !v.empty(); }},
        {"--video-offset",
         [&](const std::string &v) { return toInt(v, o.videoOffset) && o.videoOffset >= 0; }},
        {"--audio-offset",
         [&](const std::string &v) { return toInt(v, o.audioOffset) && o.audioOffset >= 0; }},
        {"--length",
         [&](const std::string &v) {
             return toDouble(v, o.length) && o.length > 0 && o.length <= kMaxLengthSeconds;
         }},
        {"--rate",
         [&](const std::string &v) {
             return toDouble(v, o.hostRate) && o.hostRate >= 1 && o.hostRate <= 1000;
         }},
        {"--every",
         [&](const std::string &v) { return toInt(v, o.frameEvery) && o.frameEvery >= 0; }},
        {"--sheet", [&](const std::string &v) { return toGrid(v, o.sheetColumns, o.sheetRows); }},
        {"--mix-rate",
         [&](const std::string &v) {
             return toInt(v, o.mixRate) && o.mixRate >= 8000 && o.mixRate <= 192000;
         }},
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &option = args[i];
        if (auto flag = flags.find(option); flag != flags.end()) {
            *flag->second = true;
            continue;
        }
        auto setter = valued.find(option);
        if (setter == valued.end()) {
            error = "unknown option " + option;
            return false;
        }
        if (i + 1 >= args.size()) {
            error = "missing value after " + option;
            return false;
        }
        const std::string &value = args[++i];
        if (!setter->second(value)) {
            error = "bad value for " + option + ": " + value;
            return false;
        }
    }
    return true;
}
