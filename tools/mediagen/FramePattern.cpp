#include "FramePattern.h"

#include <functional>

namespace mediagen {
namespace {

constexpr unsigned char kBlack = 16;
constexpr unsigned char kWhite = 235;
// Studio-range Y'CbCr of a saturated red.
constexpr unsigned char kRedY = 81;
constexpr unsigned char kRedCb = 90;
constexpr unsigned char kRedCr = 240;
constexpr int kRedStripWidth = 16;

bool inBitRow(const PictureRegion &p, int y) {
    return y >= p.y + p.height / 8 && y < p.y + p.height / 2;
}

bool inRedStrip(const PictureRegion &p, int x, int y) {
    return x < p.x + kRedStripWidth && y >= p.y + p.height / 2;
}

bool inPicture(const PictureRegion &p, int x, int y) {
    return x >= p.x && x < p.x + p.width && y >= p.y && y < p.y + p.height;
}

// Outside the picture region the encoder pads with the picture's edge pixels and ignores
// what is there, so those samples stay mid-grey.
unsigned char lumaAt(const PictureRegion &p, int frameNumber, int x, int y) {
    if (!inPicture(p, x, y))
        return 128;
    if (inBitRow(p, y)) {
        int bit = (x - p.x) * kFrameNumberBits / p.width;
        bool set = (frameNumber >> (kFrameNumberBits - 1 - bit)) & 1;
        return set ? kWhite : kBlack;
    }
    if (inRedStrip(p, x, y))
        return kRedY;
    return static_cast<unsigned char>(32 + (x - p.x) * 190 / p.width);
}

unsigned char chromaAt(const PictureRegion &p, int x, int y, bool blue) {
    if (inBitRow(p, y) || y < p.y + p.height / 8)
        return 128;
    if (inRedStrip(p, x, y))
        return blue ? kRedCb : kRedCr;
    int span = blue ? p.height : p.width;
    int at = blue ? y - p.y : x - p.x;
    return static_cast<unsigned char>(64 + at * 128 / span);
}

// Noise in 0..63 that shifts by a few pixels each frame.
int grainAt(int frameNumber, int x, int y) {
    uint32_t h = static_cast<uint32_t>(x + frameNumber * 3) * 2654435761u ^
                 static_cast<uint32_t>(y + frameNumber) * 40503u;
    h ^= h >> 15;
    return static_cast<int>((h * 2246822519u) >> 26);
}

// Reads one cell as 0 or 1 from a sample in 0..255; -1 when it is neither.
int bitOf(int level) {
    if (level < 80)
        return 0;
    if (level > 176)
        return 1;
    return -1;
}

int readFrameNumber(const PictureRegion &picture, const std::function<int(int, int)> &level) {
    int row = frameNumberRow(picture);
    int number = 0;
    for (int bit = 0; bit < kFrameNumberBits; ++bit) {
        int value = bitOf(level(frameNumberColumn(picture, bit), row));
        if (value < 0)
            return -1;
        number = number << 1 | value;
    }
    return number;
}

} // namespace

PictureRegion pictureRegionOf(const th_info &info) {
    return {static_cast<int>(info.pic_x), static_cast<int>(info.pic_y),
            static_cast<int>(info.pic_width), static_cast<int>(info.pic_height)};
}

PatternFrame::PatternFrame(const th_info &info, bool grain)
    : _picture(pictureRegionOf(info)), _grain(grain) {
    int shiftX = info.pixel_fmt == TH_PF_444 ? 0 : 1;
    int shiftY = info.pixel_fmt == TH_PF_420 ? 1 : 0;
    for (int i = 0; i < 3; ++i) {
        int width = static_cast<int>(info.frame_width) >> (i ? shiftX : 0);
        int height = static_cast<int>(info.frame_height) >> (i ? shiftY : 0);
        _storage[i].assign(static_cast<size_t>(width) * height, 128);
        _planes[i].width = width;
        _planes[i].height = height;
        _planes[i].stride = width;
        _planes[i].data = _storage[i].data();
    }
}

void PatternFrame::draw(int frameNumber) {
    frameNumber &= (1 << kFrameNumberBits) - 1;
    const th_img_plane &y = _planes[0];
    for (int row = 0; row < y.height; ++row) {
        for (int col = 0; col < y.width; ++col) {
            int luma = lumaAt(_picture, frameNumber, col, row);
            if (_grain && row >= _picture.y + _picture.height / 2)
                luma += grainAt(frameNumber, col, row) - 32;
            y.data[row * y.stride + col] = static_cast<unsigned char>(luma);
        }
    }
    int stepX = y.width / _planes[1].width;
    int stepY = y.height / _planes[1].height;
    for (int i = 1; i < 3; ++i) {
        const th_img_plane &c = _planes[i];
        for (int row = 0; row < c.height; ++row)
            for (int col = 0; col < c.width; ++col)
                c.data[row * c.stride + col] = chromaAt(_picture, col * stepX, row * stepY, i == 1);
    }
}

int frameNumberRow(const PictureRegion &picture) {
    return picture.y + (picture.height / 8 + picture.height / 2) / 2;
}

int frameNumberColumn(const PictureRegion &picture, int bit) {
    return picture.x + (2 * bit + 1) * picture.width / (2 * kFrameNumberBits);
}

int readFrameNumberArgb(const void *rows, int pitch, const PictureRegion &picture) {
    const auto *bytes = static_cast<const unsigned char *>(rows);
    return readFrameNumber(picture, [&](int x, int y) {
        // Green (bytes are B, G, R, A) depends least on the chroma planes, so the number
        // still reads when a chroma plane is stale.
        return bytes[static_cast<size_t>(y) * pitch + x * 4 + 1];
    });
}

int readFrameNumberLuma(const unsigned char *rows, int stride, const PictureRegion &picture) {
    return readFrameNumber(picture, [&](int x, int y) {
        // Studio range to full range, so the thresholds are those of the RGB reading.
        return (rows[static_cast<size_t>(y) * stride + x] - 16) * 255 / 219;
    });
}

} // namespace mediagen
