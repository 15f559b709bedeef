#include <cstdio>
#include <memory>
#include <vector>

#include <gtest/gtest.h>
#include <png.h>

#include "FrameWriter.h"
#include "PngFile.h"

namespace {

// Reads a PNG back as 8-bit RGB rows; empty when it cannot be read.
std::vector<std::vector<uint8_t>> readRgb(const std::string &path, int &width, int &height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        return {};
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        return {};
    }
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    std::vector<std::vector<uint8_t>> rows;
    for (int y = 0; y < height; ++y) {
        rows.emplace_back(pixels.begin() + y * width * 3, pixels.begin() + (y + 1) * width * 3);
    }
    return rows;
}

Image testImage(uint8_t seed) {
    Image image(3, 2);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            uint8_t *p = image.pixel(x, y);
            p[0] = static_cast<uint8_t>(seed + 10 * x);      // blue
            p[1] = static_cast<uint8_t>(seed + 100 + y);     // green
            p[2] = static_cast<uint8_t>(seed + 200 - x - y); // red
            p[3] = 0;                                        // alpha, dropped
        }
    }
    return image;
}

} // namespace

TEST(PngFile, WritesTheTexturesBgraAsRgbRows) {
    ASSERT_TRUE(writePng("pixels.png", testImage(5)));
    int width = 0;
    int height = 0;
    const auto rows = readRgb("pixels.png", width, height);
    ASSERT_EQ(width, 3);
    ASSERT_EQ(height, 2);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(rows[y][3 * x], 5 + 200 - x - y) << x << "," << y;
            EXPECT_EQ(rows[y][3 * x + 1], 5 + 100 + y) << x << "," << y;
            EXPECT_EQ(rows[y][3 * x + 2], 5 + 10 * x) << x << "," << y;
        }
    }
    EXPECT_FALSE(writePng("no-such-folder/pixels.png", testImage(5)));
    EXPECT_FALSE(writePng("empty.png", Image()));
}

TEST(FrameWriter, WritesEveryQueuedFrameAndCountsFailures) {
    int written = -1;
    int failed = -1;
    {
        FrameWriter writer;
        // More than the queue holds, so the host side waits for the writer at least once.
        for (size_t i = 0; i < FrameWriter::kMaxQueued + 6; ++i) {
            writer.write("queued_" + std::to_string(i) + ".png", testImage(uint8_t(i)));
        }
        writer.write("no-such-folder/x.png", testImage(0));
        writer.finish(written, failed);
    }
    EXPECT_EQ(written, int(FrameWriter::kMaxQueued + 6));
    EXPECT_EQ(failed, 1);
    int width = 0;
    int height = 0;
    const auto last =
        readRgb("queued_" + std::to_string(FrameWriter::kMaxQueued + 5) + ".png", width, height);
    ASSERT_EQ(last.size(), 2u);
    EXPECT_EQ(last[0][2], uint8_t(FrameWriter::kMaxQueued + 5)); // blue of pixel 0
}
