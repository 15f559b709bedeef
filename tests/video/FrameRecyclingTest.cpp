// Shown frames' records and plane storage are filled again with later frames instead of
// being freed and allocated anew.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "video/FrameQueue.h"
#include "video/VideoFrame.h"

namespace {

// A decoder output of one 4:2:0 frame whose rows are `padding` bytes wider than the
// picture, every byte set from `seed` so that two frames differ everywhere.
struct DecodedFrame {
    std::vector<unsigned char> bytes[3];
    th_ycbcr_buffer planes{};

    DecodedFrame(int width, int height, int padding, unsigned char seed) {
        for (int i = 0; i < 3; ++i) {
            const int planeWidth = i == 0 ? width : width / 2;
            const int planeHeight = i == 0 ? height : height / 2;
            const int stride = planeWidth + padding;
            bytes[i].resize(static_cast<size_t>(stride) * planeHeight);
            for (size_t b = 0; b < bytes[i].size(); ++b)
                bytes[i][b] = static_cast<unsigned char>(seed + b * 7 + i);
            planes[i].width = planeWidth;
            planes[i].height = planeHeight;
            planes[i].stride = stride;
            planes[i].data = bytes[i].data();
        }
    }
};

void expectCopyOf(const VideoFrame &frame, const DecodedFrame &decoded) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(frame.planes[i].width, decoded.planes[i].width) << "plane " << i;
        EXPECT_EQ(frame.planes[i].height, decoded.planes[i].height) << "plane " << i;
        EXPECT_EQ(frame.planes[i].stride, decoded.planes[i].stride) << "plane " << i;
        EXPECT_NE(frame.planes[i].data, decoded.planes[i].data) << "plane " << i;
        // Whole rows, the padding past each row's width included.
        EXPECT_EQ(
            std::memcmp(frame.planes[i].data, decoded.bytes[i].data(), decoded.bytes[i].size()), 0)
            << "plane " << i;
    }
}

TEST(FrameRecycling, ARecordKeepsItsStorageWhileFramesFitAndGrowsForALargerOne) {
    VideoFrame frame;
    const DecodedFrame first(64, 32, 16, 1);
    ASSERT_TRUE(frame.copyFrom(first.planes, 0.04, 1));
    EXPECT_EQ(frame.time, 0.04);
    EXPECT_EQ(frame.frameNumber, 1);
    expectCopyOf(frame, first);
    const unsigned char *storage[3] = {frame.planes[0].data, frame.planes[1].data,
                                       frame.planes[2].data};

    const DecodedFrame second(64, 32, 16, 99);
    ASSERT_TRUE(frame.copyFrom(second.planes, 0.08, 2));
    EXPECT_EQ(frame.time, 0.08);
    EXPECT_EQ(frame.frameNumber, 2);
    expectCopyOf(frame, second);
    const DecodedFrame smaller(32, 16, 16, 5);
    ASSERT_TRUE(frame.copyFrom(smaller.planes, 0.12, 3));
    expectCopyOf(frame, smaller);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(frame.planes[i].data, storage[i]) << "plane " << i;

    // A frame larger than the storage gets storage of its size.
    const DecodedFrame larger(128, 64, 32, 7);
    ASSERT_TRUE(frame.copyFrom(larger.planes, 0.16, 4));
    expectCopyOf(frame, larger);
    EXPECT_NE(frame.planes[0].data, storage[0]);
}

TEST(FrameRecycling, ShownFramesAreHandedBackToTheDecoderUpToTheSpareLimit) {
    FrameQueue queue;
    ASSERT_TRUE(queue.ok());
    EXPECT_EQ(queue.spares(), 0);
    // Nothing shown yet: new records.
    std::vector<VideoFrame *> records;
    for (int i = 0; i < FrameQueue::kMaxSpares + 1; ++i) {
        std::unique_ptr<VideoFrame> frame = queue.spareFrame();
        ASSERT_NE(frame, nullptr);
        frame->frameNumber = i;
        records.push_back(frame.get());
        queue.push(std::move(frame));
    }
    EXPECT_EQ(queue.count(), FrameQueue::kMaxSpares + 1);

    // Shown oldest first; the one past the limit is freed.
    for (int i = 0; i < FrameQueue::kMaxSpares + 1; ++i) {
        ASSERT_EQ(queue.oldest(), records[i]);
        queue.recycleOldest();
        EXPECT_EQ(queue.count(), FrameQueue::kMaxSpares - i);
        EXPECT_EQ(queue.spares(), std::min(i + 1, FrameQueue::kMaxSpares));
    }
    EXPECT_EQ(queue.oldest(), nullptr);
    queue.recycleOldest(); // an empty queue has nothing to give back
    EXPECT_EQ(queue.spares(), FrameQueue::kMaxSpares);

    // The spares come back, the last shown first, and are no longer spares once taken.
    std::unique_ptr<VideoFrame> reused = queue.spareFrame();
    EXPECT_EQ(reused.get(), records[1]);
    EXPECT_EQ(queue.spares(), 1);
    queue.push(std::move(reused));
    EXPECT_EQ(queue.oldest(), records[1]);

    // Emptying the queue frees the spares too: what a closed video keeps is nothing.
    queue.clear();
    EXPECT_EQ(queue.count(), 0);
    EXPECT_EQ(queue.spares(), 0);
    EXPECT_EQ(queue.oldest(), nullptr);
}

} // namespace
