// The RGB picture a video frame should turn into: the generator's own Y'CbCr pattern for
// that frame number, converted with BT.601 limited-range arithmetic, so a read-back can be
// compared with it pixel by pixel within a tolerance for coding loss.
#pragma once

#include "FramePattern.h"

struct Rgb {
    int r;
    int g;
    int b;
};

class ExpectedFrame {
public:
    explicit ExpectedFrame(int frameNumber);

    // The colour at frame coordinates (x, y); chroma is taken from the 4:2:0 planes.
    Rgb at(int x, int y);

private:
    th_info _info;
    mediagen::PatternFrame _pattern;
};
