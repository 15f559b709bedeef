// A picture in host memory: rows of B, G, R, A bytes (the byte order of D3DFMT_A8R8G8B8 on
// a little-endian machine), tightly packed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgra;

    Image() = default;
    Image(int w, int h) : width(w), height(h), bgra(static_cast<size_t>(w) * h * 4, 0) {}

    bool empty() const { return width <= 0 || height <= 0; }
    int pitch() const { return width * 4; }
    uint8_t *pixel(int x, int y) { return &bgra[(static_cast<size_t>(y) * width + x) * 4]; }
    const uint8_t *pixel(int x, int y) const {
        return &bgra[(static_cast<size_t>(y) * width + x) * 4];
    }
};
