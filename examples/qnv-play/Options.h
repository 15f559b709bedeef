// The player's command line.
#pragma once

#include <string>
#include <vector>

struct PlayerOptions {
    std::string video;   // Ogg Theora file; empty with `audio` empty: the built-in sample
    std::string audio;   // Ogg Vorbis file
    int videoOffset = 0; // whole seconds on the container's clock
    int audioOffset = 0;
    double length = 0.0;    // container length, seconds; 0: as long as the longest medium
    double hostRate = 60.0; // host frames per second
    std::string outDir = "out";
    int frameEvery = 1;   // write every Nth frame shown as PNG; 0: none
    int sheetColumns = 6; // contact sheet grid
    int sheetRows = 4;
    int mixRate = 48000; // rate of the captured mix (headless)
    bool window = false; // SDL window and the real sound device
    bool quiet = false;  // no progress bar
    bool help = false;
};

// Parses argv[1..]; on a bad command line returns false with `error` saying why.
bool parseOptions(const std::vector<std::string> &args, PlayerOptions &options, std::string &error);

// The usage text.
const char *usageText();
