#include "VideoFrame.h"

#include <cstdlib>
#include <cstring>
#include <new>

std::unique_ptr<VideoFrame> VideoFrame::copyOf(const th_ycbcr_buffer decoded, double time,
                                               int64_t frameNumber) {
    std::unique_ptr<VideoFrame> frame(new (std::nothrow) VideoFrame);
    if (!frame)
        return nullptr;
    frame->time = time;
    frame->frameNumber = frameNumber;
    for (int i = 0; i < 3; ++i) {
        const th_img_plane &source = decoded[i];
        // The decoder's planes may be stored bottom row first (a negative stride); the
        // copy always runs top row first with a positive stride.
        size_t rowBytes = static_cast<size_t>(std::abs(source.stride));
        size_t bytes = rowBytes * static_cast<size_t>(source.height);
        frame->_storage[i].reset(new (std::nothrow) unsigned char[bytes]);
        if (!frame->_storage[i])
            return nullptr;
        th_img_plane &copy = frame->planes[i];
        copy.width = source.width;
        copy.height = source.height;
        copy.stride = static_cast<int>(rowBytes);
        copy.data = frame->_storage[i].get();
        if (source.stride >= 0) {
            std::memcpy(copy.data, source.data, bytes);
            continue;
        }
        for (int row = 0; row < source.height; ++row)
            std::memcpy(copy.data + row * rowBytes, source.data + row * source.stride, rowBytes);
    }
    return frame;
}
