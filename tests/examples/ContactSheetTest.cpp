#include <gtest/gtest.h>

#include "ContactSheet.h"

namespace {

// A frame filled with one grey level.
Image flat(int width, int height, uint8_t level) {
    Image image(width, height);
    for (size_t i = 0; i < image.bgra.size(); ++i) {
        image.bgra[i] = (i % 4 == 3) ? 0xff : level;
    }
    return image;
}

uint8_t level(const Image &image, int x, int y) {
    return image.pixel(x, y)[1];
}

} // namespace

TEST(ContactSheet, SlotsTakeTheFirstFrameAtOrAfterTheirTimeAndNeverTheSameFrameTwice) {
    // 2 x 2 slots over 4 s: slots at 0, 1, 2 and 3 s.
    ContactSheet sheet(2, 2, 4.0);
    sheet.offer(0.0, flat(320, 160, 10));
    sheet.offer(0.5, flat(320, 160, 20)); // slot 1 is not due yet
    EXPECT_EQ(sheet.filledSlots(), 1);
    sheet.offer(2.5, flat(320, 160, 30)); // due for slots 1 and 2: fills slot 1 only
    sheet.offer(2.6, flat(320, 160, 40)); // slot 2
    EXPECT_EQ(sheet.filledSlots(), 3);
    // Slot 3 is never filled.

    const Image composed = sheet.compose();
    const int cell = ContactSheet::kThumbnailWidth + ContactSheet::kGap;
    const int thumbHeight = 160 * ContactSheet::kThumbnailWidth / 320;
    ASSERT_EQ(composed.width, ContactSheet::kGap + 2 * cell);
    ASSERT_EQ(composed.height, ContactSheet::kGap + 2 * (thumbHeight + ContactSheet::kGap));
    const int inset = ContactSheet::kGap + 5;
    const int row2 = ContactSheet::kGap + thumbHeight + ContactSheet::kGap + 5;
    EXPECT_EQ(level(composed, inset, inset), 10);
    EXPECT_EQ(level(composed, inset + cell, inset), 30);
    EXPECT_EQ(level(composed, inset, row2), 40);
    EXPECT_EQ(level(composed, inset + cell, row2), 0x20); // empty slot: background
    EXPECT_EQ(level(composed, 1, 1), 0x20);
}

TEST(ContactSheet, ScaleDownAveragesTheSourcePixelsUnderEachTarget) {
    Image source(4, 2);
    // Left half 0 and 100, right half 200 and 255 (columns alternate).
    const uint8_t values[2][4] = {{0, 100, 200, 255}, {100, 0, 255, 200}};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) {
            uint8_t *p = source.pixel(x, y);
            p[0] = p[1] = p[2] = values[y][x];
            p[3] = 0xff;
        }
    }
    const Image scaled = scaleDown(source, 2, 1);
    ASSERT_EQ(scaled.width, 2);
    ASSERT_EQ(scaled.height, 1);
    EXPECT_EQ(level(scaled, 0, 0), 50);
    EXPECT_EQ(level(scaled, 1, 0), 228); // (200 + 255 + 255 + 200) / 4 = 227.5, rounded
    EXPECT_EQ(scaled.pixel(1, 0)[3], 0xff);
}
