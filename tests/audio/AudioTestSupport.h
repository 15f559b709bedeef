// Helpers shared by the audio tests: generated media, reference decoding, the log file
// and condition-based waiting.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "VorbisWriter.h"
#include "support/WaitUntil.h"

namespace audiotest {

// Writes (once per process) an Ogg Vorbis file made of `links` into the working
// directory and returns its name.
std::string generated(const std::string &name, const std::vector<mediagen::VorbisLink> &links);
std::string generated(const std::string &name, const mediagen::VorbisLink &link);

// The file's PCM decoded by a plain ov_read loop: interleaved 16-bit samples.
std::vector<int16_t> decodeAll(const std::string &path);
// The same PCM as the bytes a block holds (16-bit little-endian).
std::vector<uint8_t> decodeAllBytes(const std::string &path);

using testsupport::waitUntil;

// The library's log ("qnv_log.txt" in the working directory); empty when there is none.
std::string readLog();
// How often `needle` appears in this process's log. The first entry a process writes
// empties the file, so this writes one entry of the tests' own first: counts taken
// before and after a test step then compare like with like.
int countInLog(const std::string &needle);
// The feeder's resynchronisation warnings in this process's log.
int outOfSyncWarnings();

} // namespace audiotest
