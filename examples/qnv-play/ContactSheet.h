// The contact sheet: one picture of thumbnails of the frames shown at evenly spaced times
// through the playback, in reading order. Only the chosen thumbnails are kept, so memory
// does not grow with the length of the video.
#pragma once

#include <string>
#include <vector>

#include "Image.h"

class ContactSheet {
public:
    // `columns` x `rows` thumbnails covering `seconds` of video time; slot i takes the first
    // frame offered at or after seconds * i / (columns * rows).
    ContactSheet(int columns, int rows, double seconds);

    // Offers the frame shown at video time `time`; keeps a thumbnail if it fills a slot.
    void offer(double time, const Image &frame);

    int filledSlots() const;
    // The sheet: slots never filled stay dark grey.
    Image compose() const;

    static constexpr int kThumbnailWidth = 160;
    static constexpr int kGap = 4;

private:
    double slotTime(size_t slot) const;

    int _columns;
    int _rows;
    double _seconds;
    std::vector<Image> _thumbnails;
    size_t _nextSlot = 0;
};

// `source` scaled to `width` x `height` by averaging the source pixels under each target
// pixel (a box filter), which keeps thin detail such as the frame-number cells readable.
Image scaleDown(const Image &source, int width, int height);
