// qnv-mediagen: writes test media from the command line.
//
//   qnv-mediagen vorbis <out.ogg> [--channels N] [--rate HZ] [--seconds S] [--quality Q]
//                [--link N:HZ:S ...]
//   qnv-mediagen ogg-unknown <out.ogg>
//   qnv-mediagen theora <out.ogv> [--size WxH] [--picture X,Y,WxH] [--format 420|422|444]
//                [--fps N/D] [--aspect N:D] [--frames N] [--repeat K ...] [--audio] [--no-eos]
//                [--grain]
//
// Each --link adds one link to a chained file (channels:rate:seconds); without any, the
// file has one link from --channels, --rate and --seconds.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "MediaGen.h"

namespace {

using Args = std::vector<std::string>;

// The value after an option, or nullptr when the option is last.
const std::string *optionValue(const Args &args, size_t &i) {
    if (i + 1 >= args.size()) {
        std::fprintf(stderr, "missing value after %s\n", args[i].c_str());
        return nullptr;
    }
    return &args[++i];
}

bool parseLink(const std::string &text, mediagen::VorbisLink &link) {
    return std::sscanf(text.c_str(), "%d:%ld:%lf", &link.channels, &link.rate, &link.seconds) == 3;
}

int runVorbis(const std::string &out, const Args &args) {
    mediagen::VorbisLink single;
    std::vector<mediagen::VorbisLink> chain;
    float quality = mediagen::kDefaultVorbisQuality;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &option = args[i];
        const std::string *value = optionValue(args, i);
        if (value == nullptr) {
            return 2;
        }
        if (option == "--channels") {
            single.channels = std::atoi(value->c_str());
        } else if (option == "--rate") {
            single.rate = std::atol(value->c_str());
        } else if (option == "--seconds") {
            single.seconds = std::atof(value->c_str());
        } else if (option == "--quality") {
            quality = static_cast<float>(std::atof(value->c_str()));
        } else if (option == "--link") {
            mediagen::VorbisLink link;
            if (!parseLink(*value, link)) {
                std::fprintf(stderr, "--link wants channels:rate:seconds, got %s\n",
                             value->c_str());
                return 2;
            }
            chain.push_back(link);
        } else {
            std::fprintf(stderr, "unknown option %s\n", option.c_str());
            return 2;
        }
    }
    if (chain.empty()) {
        chain.push_back(single);
    }
    return mediagen::writeVorbis(out, chain, quality) ? 0 : 1;
}

int runOggUnknown(const std::string &out, const Args &args) {
    if (!args.empty()) {
        std::fprintf(stderr, "ogg-unknown takes no options\n");
        return 2;
    }
    return mediagen::writeOggWithUnknownStream(out) ? 0 : 1;
}

int runTheora(const std::string &out, const Args &args) {
    mediagen::TheoraFile file;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &option = args[i];
        if (option == "--audio") {
            file.audio = true;
            continue;
        }
        if (option == "--no-eos") {
            file.endOfStream = false;
            continue;
        }
        if (option == "--grain") {
            file.grain = true;
            continue;
        }
        const std::string *value = optionValue(args, i);
        if (value == nullptr) {
            return 2;
        }
        const char *text = value->c_str();
        mediagen::PictureRegion &pic = file.picture;
        int format = 420;
        int repeat = 0;
        bool parsed = false;
        if (option == "--size") {
            parsed = std::sscanf(text, "%dx%d", &file.frameWidth, &file.frameHeight) == 2;
        } else if (option == "--picture") {
            parsed = std::sscanf(text, "%d,%d,%dx%d", &pic.x, &pic.y, &pic.width, &pic.height) == 4;
        } else if (option == "--format") {
            parsed = std::sscanf(text, "%d", &format) == 1;
            file.pixelFormat = format == 444 ? TH_PF_444 : format == 422 ? TH_PF_422 : TH_PF_420;
        } else if (option == "--fps") {
            parsed = std::sscanf(text, "%d/%d", &file.fpsNumerator, &file.fpsDenominator) == 2;
        } else if (option == "--aspect") {
            parsed =
                std::sscanf(text, "%d:%d", &file.aspectNumerator, &file.aspectDenominator) == 2;
        } else if (option == "--frames") {
            parsed = std::sscanf(text, "%d", &file.frames) == 1;
        } else if (option == "--repeat") {
            parsed = std::sscanf(text, "%d", &repeat) == 1;
            file.repeatedFrames.push_back(repeat);
        }
        if (!parsed) {
            std::fprintf(stderr, "bad or unknown option %s %s\n", option.c_str(), text);
            return 2;
        }
    }
    return mediagen::writeTheora(out, file) ? 0 : 1;
}

struct Command {
    const char *name;
    int (*run)(const std::string &out, const Args &options);
    const char *usage;
};

const Command kCommands[] = {
    {"vorbis", runVorbis,
     "<out.ogg> [--channels N] [--rate HZ] [--seconds S] [--quality Q] [--link N:HZ:S ...]"},
    {"ogg-unknown", runOggUnknown, "<out.ogg>"},
    {"theora", runTheora,
     "<out.ogv> [--size WxH] [--picture X,Y,WxH] [--format 420|422|444] [--fps N/D]\n"
     "    [--aspect N:D] [--frames N] [--repeat K ...] [--audio] [--no-eos] [--grain]"},
};

int usage() {
    for (const Command &command : kCommands) {
        std::fprintf(stderr, "usage: qnv-mediagen %s %s\n", command.name, command.usage);
    }
    return 2;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        return usage();
    }
    for (const Command &command : kCommands) {
        if (std::strcmp(argv[1], command.name) == 0) {
            const int result = command.run(argv[2], Args(argv + 3, argv + argc));
            if (result == 1) {
                std::fprintf(stderr, "could not write %s\n", argv[2]);
            }
            return result;
        }
    }
    return usage();
}
