// Ogg Theora test files: every frame shows its own number (FramePattern.h), with the
// frame size, picture region, pixel format, frame rate, aspect and length chosen by the
// caller, optionally with a Vorbis tone muxed in and without an end-of-stream page.
#pragma once

#include <string>
#include <vector>

#include <theora/codec.h>

#include "FramePattern.h"

namespace mediagen {

struct TheoraFile {
    int frameWidth = 320; // multiples of 16
    int frameHeight = 240;
    PictureRegion picture; // width or height 0: the whole frame
    th_pixel_fmt pixelFormat = TH_PF_420;
    int fpsNumerator = 25;
    int fpsDenominator = 1;
    int aspectNumerator = 0;
    int aspectDenominator = 0;
    int frames = 25;
    // Frames coded as zero-byte packets, which repeat the frame before them; frame 0
    // cannot be one.
    std::vector<int> repeatedFrames;
    // A stereo Vorbis tone as long as the video, its beginning page first in the file.
    bool audio = false;
    // False: the last page of the video does not carry the end-of-stream flag.
    bool endOfStream = true;
    // Moving noise in the lower half of the picture (PatternFrame), for benchmarks that
    // want the decoder to work as hard as on filmed video.
    bool grain = false;
    int quality = 48;          // libtheoraenc's 0..63
    int keyframeInterval = 32; // frames between forced keyframes
};

// Writes the file; false when it cannot be written or the encoder refuses the settings.
bool writeTheora(const std::string &path, const TheoraFile &file);

// The th_info the writer encodes with, for readers that want the stream's facts.
th_info theoraInfoOf(const TheoraFile &file);

} // namespace mediagen
