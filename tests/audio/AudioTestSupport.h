// Helpers shared by the audio tests: generated media, reference decoding, the log file
// and condition-based waiting.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "VorbisWriter.h"

namespace audiotest {

// Writes (once per process) an Ogg Vorbis file made of `links` into the working
// directory and returns its name.
std::string generated(const std::string &name, const std::vector<mediagen::VorbisLink> &links);
std::string generated(const std::string &name, const mediagen::VorbisLink &link);

// The file's PCM decoded by a plain ov_read loop: interleaved 16-bit samples.
std::vector<int16_t> decodeAll(const std::string &path);

// True once `condition` holds; false after `seconds` without it. Generous limits keep a
// loaded machine from failing a test that would pass.
bool waitUntil(const std::function<bool()> &condition, double seconds = 20.0);

// The library's log ("qnv_log.txt" in the working directory); empty when there is none.
std::string readLog();
int countOccurrences(const std::string &text, const std::string &needle);

} // namespace audiotest
