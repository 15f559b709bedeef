#include "ShaderSampler.h"

#include <algorithm>
#include <cmath>

namespace software::d3d {
namespace {

// Texel taps along one axis: two indices and the weight of the second (0 for point
// sampling); an index of -1 is outside the texture and reads the border colour.
struct AxisTaps {
    int first;
    int second;
    float weight;
};

// A finite value in a range where index arithmetic cannot overflow; NaN becomes `low`.
inline float bounded(float value, float low, float high) {
    value = value > low ? value : low;
    return value < high ? value : high;
}

inline int floorToInt(float value) {
    return int(std::floor(value));
}

int addressIndex(int index, int size, DWORD mode) {
    switch (mode) {
    case D3DTADDRESS_WRAP: {
        int wrapped = index % size;
        return wrapped < 0 ? wrapped + size : wrapped;
    }
    case D3DTADDRESS_MIRROR: {
        int period = 2 * size;
        int folded = index % period;
        folded = folded < 0 ? folded + period : folded;
        return folded < size ? folded : period - 1 - folded;
    }
    case D3DTADDRESS_BORDER:
        return index < 0 || index >= size ? -1 : index;
    default: // clamp, and mirror-once taken as clamp
        return index < 0 ? 0 : (index >= size ? size - 1 : index);
    }
}

AxisTaps axisTaps(float coordinate, int size, DWORD mode, bool linear) {
    // Wrapping and mirroring repeat with a period of one and two; bring the coordinate
    // into its first period so that the texel index stays small.
    float periods = mode == D3DTADDRESS_MIRROR ? 2.0f : 1.0f;
    if (mode == D3DTADDRESS_WRAP || mode == D3DTADDRESS_MIRROR)
        coordinate -= periods * std::floor(bounded(coordinate, -1e6f, 1e6f) / periods);
    float texel = bounded(coordinate, -2.0f, 3.0f) * float(size);
    if (!linear) {
        int index = floorToInt(texel);
        return {addressIndex(index, size, mode), 0, 0.0f};
    }
    texel -= 0.5f;
    int index = floorToInt(texel);
    return {addressIndex(index, size, mode), addressIndex(index + 1, size, mode),
            texel - float(index)};
}

void fetchTexel(const TextureSampler &sampler, int x, int y, float texel[4]) {
    if (x < 0 || y < 0) {
        for (int c = 0; c < 4; ++c)
            texel[c] = sampler.border[c];
        return;
    }
    const SurfaceMemory &memory = *sampler.texture;
    const uint8_t *row = memory.row(UINT(y));
    constexpr float scale = 1.0f / 255.0f;
    switch (memory.format()) {
    case D3DFMT_L8:
        texel[0] = texel[1] = texel[2] = row[x] * scale;
        texel[3] = 1.0f;
        return;
    case D3DFMT_A8:
        texel[0] = texel[1] = texel[2] = 0.0f;
        texel[3] = row[x] * scale;
        return;
    default: { // A8R8G8B8 and X8R8G8B8: bytes B, G, R, A in memory
        const uint8_t *p = row + 4 * x;
        texel[0] = p[2] * scale;
        texel[1] = p[1] * scale;
        texel[2] = p[0] * scale;
        texel[3] = memory.format() == D3DFMT_X8R8G8B8 ? 1.0f : p[3] * scale;
        return;
    }
    }
}

// The common case of the video planes: one-channel texture, bilinear, clamped. Done in
// passes over the block (addresses and weights, then texel fetches, then blending) so that
// the arithmetic passes vectorise.
void sampleL8LinearClamp(const SurfaceMemory &memory, const float *u, const float *v, int lanes,
                         float *const out[4], uint8_t mask) {
    const int width = int(memory.width());
    const int height = int(memory.height());
    const float fw = float(width);
    const float fh = float(height);
    const int pitch = int(memory.pitch());
    const uint8_t *base = memory.row(0);
    int rowA[kSampleLanes], rowB[kSampleLanes], colA[kSampleLanes], colB[kSampleLanes];
    float ax[kSampleLanes], ay[kSampleLanes];
    // Texel space with centres on integers, moved up by one so that truncation is floor;
    // texel n - 1 and n (clamped to the texture) are the two taps of an axis.
    // The clamps are done in float, where SSE2 has min and max.
    const float lastColumn = fw - 1.0f;
    for (int i = 0; i < lanes; ++i) {
        float x = bounded(u[i] * fw - 0.5f, -1.0f, fw) + 1.0f;
        float x1 = float(int(x));
        ax[i] = x - x1;
        colA[i] = int(std::min(std::max(x1 - 1.0f, 0.0f), lastColumn));
        colB[i] = int(std::min(x1, lastColumn));
    }
    // A block of one screen row of an unrotated quad samples one texture row pair: the
    // rows are then worked out once.
    bool oneRow = true;
    for (int i = 1; i < lanes; ++i)
        oneRow &= v[i] == v[0];
    for (int i = 0; i < (oneRow ? 1 : lanes); ++i) {
        float y = bounded(v[i] * fh - 0.5f, -1.0f, fh) + 1.0f;
        int y1 = int(y);
        ay[i] = y - float(y1);
        rowA[i] = std::min(std::max(y1 - 1, 0), height - 1) * pitch;
        rowB[i] = std::min(y1, height - 1) * pitch;
    }
    // Texels are gathered as integers and converted in the vectorised pass.
    int t00[kSampleLanes], t10[kSampleLanes], t01[kSampleLanes], t11[kSampleLanes];
    if (oneRow) {
        std::fill(ay + 1, ay + lanes, ay[0]);
        const uint8_t *top = base + rowA[0];
        const uint8_t *bottom = base + rowB[0];
        for (int i = 0; i < lanes; ++i) {
            t00[i] = top[colA[i]];
            t10[i] = top[colB[i]];
            t01[i] = bottom[colA[i]];
            t11[i] = bottom[colB[i]];
        }
    } else {
        for (int i = 0; i < lanes; ++i) {
            t00[i] = base[rowA[i] + colA[i]];
            t10[i] = base[rowA[i] + colB[i]];
            t01[i] = base[rowB[i] + colA[i]];
            t11[i] = base[rowB[i] + colB[i]];
        }
    }
    constexpr float scale = 1.0f / 255.0f;
    float luminance[kSampleLanes];
    for (int i = 0; i < lanes; ++i) {
        float top = float(t00[i]) + ax[i] * float(t10[i] - t00[i]);
        float bottom = float(t01[i]) + ax[i] * float(t11[i] - t01[i]);
        luminance[i] = (top + ay[i] * (bottom - top)) * scale;
    }
    for (int c = 0; c < 3; ++c) {
        if ((mask & (1 << c)) != 0)
            std::copy(luminance, luminance + lanes, out[c]);
    }
    if ((mask & 8) != 0)
        std::fill(out[3], out[3] + lanes, 1.0f);
}

} // namespace

void sampleTexture(const TextureSampler &sampler, const float *u, const float *v, int lanes,
                   float *const out[4], uint8_t mask) {
    if (!sampler.texture) {
        for (int i = 0; i < lanes; ++i) {
            out[0][i] = out[1][i] = out[2][i] = 0.0f;
            out[3][i] = 1.0f;
        }
        return;
    }
    if (sampler.texture->format() == D3DFMT_L8 && sampler.linear &&
        sampler.addressU == D3DTADDRESS_CLAMP && sampler.addressV == D3DTADDRESS_CLAMP) {
        sampleL8LinearClamp(*sampler.texture, u, v, lanes, out, mask);
        return;
    }
    const int width = int(sampler.texture->width());
    const int height = int(sampler.texture->height());
    for (int i = 0; i < lanes; ++i) {
        AxisTaps x = axisTaps(u[i], width, sampler.addressU, sampler.linear);
        AxisTaps y = axisTaps(v[i], height, sampler.addressV, sampler.linear);
        float t00[4], t10[4] = {}, t01[4] = {}, t11[4] = {};
        fetchTexel(sampler, x.first, y.first, t00);
        if (sampler.linear) {
            fetchTexel(sampler, x.second, y.first, t10);
            fetchTexel(sampler, x.first, y.second, t01);
            fetchTexel(sampler, x.second, y.second, t11);
        }
        for (int c = 0; c < 4; ++c) {
            float top = t00[c] + x.weight * (t10[c] - t00[c]);
            float bottom = t01[c] + x.weight * (t11[c] - t01[c]);
            out[c][i] = top + y.weight * (bottom - top);
        }
    }
}

} // namespace software::d3d
