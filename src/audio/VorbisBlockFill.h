// Decoding an Ogg Vorbis file into the fixed-size PCM blocks that the voice plays.
#pragma once

#include <cstddef>
#include <cstdint>

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

// A block of 16-bit PCM as queued on the voice.
constexpr size_t kPcmBlockBytes = 65536;

struct BlockFill {
    uint32_t bytes; // whole frames written at the block's start
    bool endOfFile; // nothing more will come until the decoder is moved back
};

// The number of leading links of a file that share the first link's channel count and
// rate. Playback ends where this count of links ends: a later link in another format
// would otherwise be played at the wrong speed or with its channels mixed up.
int countPlayableLinks(OggVorbis_File &file);

// Decodes 16-bit little-endian signed PCM into `block` (kPcmBlockBytes long) until it
// holds as many whole frames of `channels` samples as fit, or the file ends. The end of
// the file is reached when the decoder has no more data, when it moves into link
// `playableLinks` or later, or when it keeps failing without producing anything. A hole
// in the data is skipped. Never writes past the last whole frame that fits.
BlockFill fillBuffer(OggVorbis_File &file, int channels, int playableLinks, char *block);
