// The picture every generated Theora frame carries: its frame number as a row of 16 big
// black/white cells (most significant bit first) across the top half of the picture
// region, colour gradients below, and a red strip at the lower left that the encoder's
// edge padding carries into the frame's margins. The cells are large enough to survive
// compression, so a host reading back the RGB texture can tell which frame it shows.
#pragma once

#include <cstdint>
#include <vector>

#include <theora/codec.h>

namespace mediagen {

constexpr int kFrameNumberBits = 16;

struct PictureRegion {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The region of the frame that th_info calls the picture.
PictureRegion pictureRegionOf(const th_info &info);

// A frame-sized Y'CbCr image in the stream's pixel format.
class PatternFrame {
public:
    // grain: a noise texture that moves from frame to frame under the number, so that
    // the encoder and decoder have real work to do, as with filmed video.
    explicit PatternFrame(const th_info &info, bool grain = false);
    PatternFrame(const PatternFrame &) = delete;
    PatternFrame &operator=(const PatternFrame &) = delete;

    // Draws frame `frameNumber` (taken modulo 2^16) inside the picture region.
    void draw(int frameNumber);
    th_ycbcr_buffer &planes() { return _planes; }

private:
    PictureRegion _picture;
    bool _grain;
    th_ycbcr_buffer _planes;
    std::vector<unsigned char> _storage[3];
};

// The row (frame coordinates) through the middle of the frame-number cells and the column
// through the middle of cell `bit`.
int frameNumberRow(const PictureRegion &picture);
int frameNumberColumn(const PictureRegion &picture, int bit);

// Reads the frame number back from an A8R8G8B8 image (rows `pitch` bytes apart, frame
// coordinates). Returns -1 when a cell is neither clearly dark nor clearly bright.
int readFrameNumberArgb(const void *rows, int pitch, const PictureRegion &picture);

// The same from an 8-bit luma plane.
int readFrameNumberLuma(const unsigned char *rows, int stride, const PictureRegion &picture);

} // namespace mediagen
