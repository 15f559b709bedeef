#include "VorbisBlockFill.h"

namespace {

// Failures in a row (without a single frame decoded) after which the rest of the file is
// taken as unreadable; each one is a packet or page libvorbisfile could not use.
constexpr int kMaxFailuresInARow = 32;

bool sameFormat(const vorbis_info *a, const vorbis_info *b) {
    return a != nullptr && b != nullptr && a->channels == b->channels && a->rate == b->rate;
}

} // namespace

int countPlayableLinks(OggVorbis_File &file) {
    const long links = ov_streams(&file);
    const vorbis_info *first = ov_info(&file, 0);
    int playable = 1;
    while (playable < links && sameFormat(first, ov_info(&file, playable))) {
        ++playable;
    }
    return playable;
}

BlockFill fillBuffer(OggVorbis_File &file, int channels, int playableLinks, char *block) {
    BlockFill fill{0, false};
    if (channels <= 0) {
        fill.endOfFile = true;
        return fill;
    }
    // Asking for less than a frame would fail (OV_EINVAL), so the block ends at the last
    // whole frame: 65,532 bytes for six channels.
    const uint32_t frameBytes = 2u * static_cast<uint32_t>(channels);
    const uint32_t capacity = static_cast<uint32_t>(kPcmBlockBytes) / frameBytes * frameBytes;
    int failuresInARow = 0;
    while (fill.bytes < capacity) {
        int link = 0;
        const long result =
            ov_read(&file, block + fill.bytes, static_cast<int>(capacity - fill.bytes),
                    /*bigendianp=*/0, /*word=*/2, /*sgned=*/1, &link);
        if (result == 0) {
            fill.endOfFile = true;
            break;
        }
        if (result < 0) {
            if (++failuresInARow >= kMaxFailuresInARow) {
                fill.endOfFile = true;
                break;
            }
            continue;
        }
        if (link >= playableLinks) {
            // The frames just decoded belong to a link in another format: drop them.
            fill.endOfFile = true;
            break;
        }
        failuresInARow = 0;
        fill.bytes += static_cast<uint32_t>(result);
    }
    return fill;
}
