// Media files for the core tests, generated into the working directory once per process.
#pragma once

#include <set>
#include <stdexcept>
#include <string>

#include "OtherFiles.h"
#include "TheoraWriter.h"
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

// A short Ogg Theora file: 64 x 48, 25 frames per second, 10 frames.
inline std::string videoFile(const std::string &path = "core_video.ogv") {
    static std::set<std::string> written;
    if (written.count(path))
        return path;
    mediagen::TheoraFile file;
    file.frameWidth = 64;
    file.frameHeight = 48;
    file.frames = 10;
    if (!mediagen::writeTheora(path, file))
        throw std::runtime_error("cannot write " + path);
    written.insert(path);
    return path;
}
