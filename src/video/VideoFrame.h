// One decoded frame: its due time, its number and its own copy of the decoder's three
// planes (Y', Cb, Cr), whole rows of `stride` bytes, top row first. A record is filled
// again with later frames (FrameQueue keeps shown ones), its plane storage kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include <theora/codec.h>

struct VideoFrame {
    double time = 0.0;       // due on the media object's local time, seconds
    int64_t frameNumber = 0; // th_granule_frame of the frame's granule position
    th_ycbcr_buffer planes{};

    // Copies the decoder's output into this record, keeping each plane's storage when it
    // is large enough; false when memory for a plane runs out (the record then holds no
    // frame and must not be queued).
    bool copyFrom(const th_ycbcr_buffer decoded, double time, int64_t frameNumber);

private:
    std::unique_ptr<unsigned char[]> _storage[3];
    size_t _capacity[3] = {};
};
