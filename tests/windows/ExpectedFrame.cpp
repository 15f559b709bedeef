#include "ExpectedFrame.h"

#include <algorithm>
#include <cmath>

#include "HostMedia.h"

namespace {

th_info hostVideoInfo() {
    th_info info = {};
    info.frame_width = hostmedia::kFrameWidth;
    info.frame_height = hostmedia::kFrameHeight;
    info.pic_x = hostmedia::kPicture.x;
    info.pic_y = hostmedia::kPicture.y;
    info.pic_width = hostmedia::kPicture.width;
    info.pic_height = hostmedia::kPicture.height;
    info.pixel_fmt = TH_PF_420;
    return info;
}

int level(double value) {
    return std::clamp(int(std::lround(value)), 0, 255);
}

} // namespace

ExpectedFrame::ExpectedFrame(int frameNumber) : _info(hostVideoInfo()), _pattern(_info) {
    _pattern.draw(frameNumber);
}

Rgb ExpectedFrame::at(int x, int y) {
    const th_ycbcr_buffer &planes = _pattern.planes();
    auto sample = [&](int plane, int px, int py) {
        return double(planes[plane].data[py * planes[plane].stride + px]);
    };
    const double luma = 1.164 * (sample(0, x, y) - 16.0);
    const double cb = sample(1, x / 2, y / 2) - 128.0;
    const double cr = sample(2, x / 2, y / 2) - 128.0;
    return {level(luma + 1.596 * cr), level(luma - 0.392 * cb - 0.813 * cr),
            level(luma + 2.017 * cb)};
}
