#include "VideoFrame.h"

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
        // libtheora's decoder always gives top-down planes (a positive stride); whole rows
        // are copied in one block, the bytes past each row's width included.
        size_t bytes = static_cast<size_t>(source.stride) * static_cast<size_t>(source.height);
        frame->_storage[i].reset(new (std::nothrow) unsigned char[bytes]);
        if (!frame->_storage[i])
            return nullptr;
        std::memcpy(frame->_storage[i].get(), source.data, bytes);
        th_img_plane &copy = frame->planes[i];
        copy = source;
        copy.data = frame->_storage[i].get();
    }
    return frame;
}
