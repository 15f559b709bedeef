// Media files for the core tests, generated into the working directory once per process.
#pragma once

#include <set>
#include <stdexcept>
#include <string>

#include "OtherFiles.h"
#include "VorbisWriter.h"

// A short Ogg Vorbis file.
inline std::string toneFile() {
    static const std::string name = [] {
        const std::string path = "core_tone.ogg";
        if (!mediagen::writeVorbis(path, mediagen::VorbisLink{1, 22050, 0.5}))
            throw std::runtime_error("cannot write " + path);
        return path;
    }();
    return name;
}

// A file that is not Ogg at all.
inline std::string notOggFile() {
    static const std::string name = [] {
        const std::string path = "core_not_ogg.ogg";
        if (!mediagen::writeBytes(path, "RIFF this is not an Ogg stream"))
            throw std::runtime_error("cannot write " + path);
        return path;
    }();
    return name;
}
