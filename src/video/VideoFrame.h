// One decoded frame: its due time, its number and its own copy of the decoder's three
// planes (Y', Cb, Cr), whole rows of `stride` bytes, top row first.
#pragma once

#include <cstdint>
#include <memory>

#include <theora/codec.h>

struct VideoFrame {
    double time = 0.0;       // due on the media object's local time, seconds
    int64_t frameNumber = 0; // th_granule_frame of the frame's granule position
    th_ycbcr_buffer planes{};

    // Copies the decoder's output; null when memory for the record or a plane runs out.
    static std::unique_ptr<VideoFrame> copyOf(const th_ycbcr_buffer decoded, double time,
                                              int64_t frameNumber);

private:
    std::unique_ptr<unsigned char[]> _storage[3];
};
