#include "ContactSheet.h"

#include <algorithm>

ContactSheet::ContactSheet(int columns, int rows, double seconds)
    : _columns(columns), _rows(rows), _seconds(seconds),
      _thumbnails(static_cast<size_t>(columns) * rows) {}

double ContactSheet::slotTime(size_t slot) const {
    return _seconds * static_cast<double>(slot) / static_cast<double>(_thumbnails.size());
}

void ContactSheet::offer(double time, const Image &frame) {
    if (_nextSlot >= _thumbnails.size() || time < slotTime(_nextSlot) || frame.empty()) {
        return;
    }
    const int height = std::max(1, frame.height * kThumbnailWidth / frame.width);
    _thumbnails[_nextSlot] = scaleDown(frame, kThumbnailWidth, height);
    // A frame late enough to be due for several slots fills only the first; the next
    // frames fill the others, so the sheet shows no duplicates.
    ++_nextSlot;
}

int ContactSheet::filledSlots() const {
    return static_cast<int>(_nextSlot);
}

Image ContactSheet::compose() const {
    int cellHeight = 1;
    for (const Image &thumbnail : _thumbnails) {
        cellHeight = std::max(cellHeight, thumbnail.height);
    }
    Image sheet(kGap + _columns * (kThumbnailWidth + kGap), kGap + _rows * (cellHeight + kGap));
    for (int y = 0; y < sheet.height; ++y) {
        for (int x = 0; x < sheet.width; ++x) {
            uint8_t *p = sheet.pixel(x, y);
            p[0] = p[1] = p[2] = 0x20;
            p[3] = 0xff;
        }
    }
    for (size_t slot = 0; slot < _thumbnails.size(); ++slot) {
        const Image &thumbnail = _thumbnails[slot];
        const int left = kGap + static_cast<int>(slot % _columns) * (kThumbnailWidth + kGap);
        const int top = kGap + static_cast<int>(slot / _columns) * (cellHeight + kGap);
        for (int y = 0; y < thumbnail.height; ++y) {
            std::copy_n(thumbnail.pixel(0, y), thumbnail.pitch(), sheet.pixel(left, top + y));
        }
    }
    return sheet;
}

Image scaleDown(const Image &source, int width, int height) {
    Image target(width, height);
    for (int y = 0; y < height; ++y) {
        const int y0 = y * source.height / height;
        const int y1 = std::max(y0 + 1, (y + 1) * source.height / height);
        for (int x = 0; x < width; ++x) {
            const int x0 = x * source.width / width;
            const int x1 = std::max(x0 + 1, (x + 1) * source.width / width);
            unsigned sums[4] = {0, 0, 0, 0};
            for (int sy = y0; sy < y1; ++sy) {
                for (int sx = x0; sx < x1; ++sx) {
                    const uint8_t *p = source.pixel(sx, sy);
                    for (int c = 0; c < 4; ++c) {
                        sums[c] += p[c];
                    }
                }
            }
            const unsigned count = static_cast<unsigned>((y1 - y0) * (x1 - x0));
            uint8_t *out = target.pixel(x, y);
            for (int c = 0; c < 4; ++c) {
                out[c] = static_cast<uint8_t>((sums[c] + count / 2) / count);
            }
        }
    }
    return target;
}
