#include "VideoFrame.h"

#include <cstring>
#include <new>

bool VideoFrame::copyFrom(const th_ycbcr_buffer decoded, double time, int64_t frameNumber) {
    this->time = time;
    this->frameNumber = frameNumber;
    for (int i = 0; i < 3; ++i) {
        const th_img_plane &source = decoded[i];
        // libtheora's decoder always gives top-down planes (a positive stride); whole rows
        // are copied in one block, the bytes past each row's width included.
        const size_t bytes =
            static_cast<size_t>(source.stride) * static_cast<size_t>(source.height);
        if (bytes > _capacity[i]) {
            _storage[i].reset(new (std::nothrow) unsigned char[bytes]);
            if (!_storage[i]) {
                _capacity[i] = 0;
                // No plane may point into storage that is gone.
                std::memset(planes, 0, sizeof(planes));
                return false;
            }
            _capacity[i] = bytes;
        }
        std::memcpy(_storage[i].get(), source.data, bytes);
        th_img_plane &copy = planes[i];
        copy = source;
        copy.data = _storage[i].get();
    }
    return true;
}
