#include "Bt601Reference.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// The plane's value (0 to 1) at texture coordinate (u, v), bilinear and clamped, with texel
// centres at (i + 0.5) / size as Direct3D 9 places them.
double sampleBilinear(const Plane &plane, double u, double v) {
    double x = u * plane.width - 0.5;
    double y = v * plane.height - 0.5;
    int x0 = int(std::floor(x));
    int y0 = int(std::floor(y));
    double fx = x - x0;
    double fy = y - y0;
    auto texel = [&plane](int tx, int ty) {
        tx = std::clamp(tx, 0, plane.width - 1);
        ty = std::clamp(ty, 0, plane.height - 1);
        return plane.at(tx, ty) / 255.0;
    };
    double top = texel(x0, y0) * (1 - fx) + texel(x0 + 1, y0) * fx;
    double bottom = texel(x0, y0 + 1) * (1 - fx) + texel(x0 + 1, y0 + 1) * fx;
    return top * (1 - fy) + bottom * fy;
}

uint32_t toLevel(double value) {
    return uint32_t(std::lround(std::clamp(value, 0.0, 1.0) * 255.0));
}

} // namespace

Pixels bt601Reference(const Plane &y, const Plane &cb, const Plane &cr, int width, int height) {
    Pixels out;
    out.width = width;
    out.height = height;
    out.argb.resize(size_t(width) * size_t(height));
    for (int j = 0; j < height; ++j) {
        for (int i = 0; i < width; ++i) {
            double u = (i + 0.5) / width;
            double v = (j + 0.5) / height;
            double luma = 1.164 * (sampleBilinear(y, u, v) - 16.0 / 255.0);
            double blue = sampleBilinear(cb, u, v) - 128.0 / 255.0;
            double red = sampleBilinear(cr, u, v) - 128.0 / 255.0;
            uint32_t r = toLevel(luma + 1.596 * red);
            uint32_t g = toLevel(luma - 0.392 * blue - 0.813 * red);
            uint32_t b = toLevel(luma + 2.017 * blue);
            out.argb[size_t(j) * size_t(width) + size_t(i)] = 0xFF000000u | r << 16 | g << 8 | b;
        }
    }
    return out;
}

int largestChannelDifference(const Pixels &a, const Pixels &b) {
    if (a.width != b.width || a.height != b.height) {
        return 256;
    }
    int largest = 0;
    for (size_t i = 0; i < a.argb.size(); ++i) {
        for (int shift = 0; shift < 32; shift += 8) {
            int ca = int(a.argb[i] >> shift & 0xFF);
            int cb = int(b.argb[i] >> shift & 0xFF);
            largest = std::max(largest, std::abs(ca - cb));
        }
    }
    return largest;
}
