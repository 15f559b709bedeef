#include "Rasteriser.h"

#include <algorithm>
#include <cmath>

namespace software::d3d {
namespace {

constexpr int64_t kSubpixels = 256;
// Vertices farther than this from the origin (in pixels) are not rasterised; there is no
// clipping, and this keeps the fixed-point edge arithmetic inside 64 bits.
constexpr float kGuardBand = float(1 << 20);

struct ScreenVertex {
    int64_t x; // fixed point, 1/256 pixel
    int64_t y;
    double px; // the same position in pixels
    double py;
    float z;
    float invW;
    const ClipVertex *source;
};

bool toScreen(const ClipVertex &v, const D3DVIEWPORT9 &vp, ScreenVertex &out) {
    float w = v.position[3];
    if (!(w > 0.0f))
        return false;
    float invW = 1.0f / w;
    float sx = float(vp.X) + (v.position[0] * invW + 1.0f) * 0.5f * float(vp.Width);
    float sy = float(vp.Y) + (1.0f - v.position[1] * invW) * 0.5f * float(vp.Height);
    if (!(std::fabs(sx) < kGuardBand && std::fabs(sy) < kGuardBand))
        return false;
    out.x = std::llround(double(sx) * kSubpixels);
    out.y = std::llround(double(sy) * kSubpixels);
    out.px = double(out.x) / kSubpixels;
    out.py = double(out.y) / kSubpixels;
    out.z = vp.MinZ + v.position[2] * invW * (vp.MaxZ - vp.MinZ);
    out.invW = invW;
    out.source = &v;
    return true;
}

int64_t floorDiv(int64_t a, int64_t b) { // b > 0
    int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

int64_t ceilDiv(int64_t a, int64_t b) { // b > 0
    int64_t q = a / b;
    return (a % b != 0 && a > 0) ? q + 1 : q;
}

// An edge from a to b of a clockwise (on screen) triangle: pixel centre p is inside when
// E(p) = dx (p.y - a.y) - dy (p.x - a.x) reaches the threshold; pixels exactly on an edge
// belong to the triangle only on its top and left edges.
struct Edge {
    int64_t ax, ay, dx, dy, threshold;

    Edge(const ScreenVertex &a, const ScreenVertex &b)
        : ax(a.x), ay(a.y), dx(b.x - a.x), dy(b.y - a.y) {
        bool topLeft = dy < 0 || (dy == 0 && dx > 0);
        threshold = topLeft ? 0 : 1;
    }

    // Narrows [first, last] to the pixels of row y on the inner side of the edge.
    void clip(int64_t y, int64_t &first, int64_t &last) const {
        int64_t k = dx * (y * kSubpixels - ay) + dy * ax; // E(x) = k - dy * 256 * x
        if (dy == 0) {
            if (k < threshold)
                last = first - 1;
            return;
        }
        int64_t step = (dy < 0 ? -dy : dy) * kSubpixels;
        if (dy < 0)
            first = std::max(first, ceilDiv(threshold - k, step));
        else
            last = std::min(last, floorDiv(k - threshold, step));
    }
};

// A quantity that varies linearly over the screen: value = a x + b y + c.
struct Plane {
    double a = 0, b = 0, c = 0;

    Plane() = default;
    Plane(const ScreenVertex &p0, const ScreenVertex &p1, const ScreenVertex &p2, double f0,
          double f1, double f2) {
        double x1 = p1.px - p0.px, y1 = p1.py - p0.py;
        double x2 = p2.px - p0.px, y2 = p2.py - p0.py;
        double det = x1 * y2 - x2 * y1;
        a = ((f1 - f0) * y2 - (f2 - f0) * y1) / det;
        b = ((f2 - f0) * x1 - (f1 - f0) * x2) / det;
        c = f0 - a * p0.px - b * p0.py;
    }

    void fill(float *out, int64_t x0, int64_t y, int count) const {
        float base = float(a * double(x0) + b * double(y) + c);
        float step = float(a);
        for (int i = 0; i < count; ++i)
            out[i] = base + step * float(i);
    }
};

struct VaryingPlanes {
    Plane component[4];
};

class TriangleSetup {
public:
    TriangleSetup(PixelStage &stage, const ScreenVertex &a, const ScreenVertex &b,
                  const ScreenVertex &c)
        : _stage(stage), _edges{Edge(a, b), Edge(b, c), Edge(c, a)} {
        _depth = Plane(a, b, c, a.z, b.z, c.z);
        // Depth is linear over the triangle: with all corners in 0..1, so is every pixel
        // and none needs the depth clip.
        auto inRange = [](float z) { return z >= 0.0f && z <= 1.0f; };
        _depthInRange = inRange(a.z) && inRange(b.z) && inRange(c.z);
        // With equal w everywhere (no perspective) the inputs are plain planes; otherwise
        // value / w and 1 / w are interpolated and divided per pixel.
        _perspective = !(a.invW == b.invW && b.invW == c.invW);
        _invW = Plane(a, b, c, a.invW, b.invW, c.invW);
        for (const PixelInputBinding &input : stage.inputs) {
            VaryingPlanes planes;
            for (int k = 0; k < 4; ++k) {
                auto value = [&](const ScreenVertex &v) {
                    double f = v.source->varyings[input.varying][k];
                    return _perspective ? f * v.invW : f;
                };
                planes.component[k] = Plane(a, b, c, value(a), value(b), value(c));
            }
            _inputs.push_back(planes);
        }
        _top = std::min({a.y, b.y, c.y});
        _bottom = std::max({a.y, b.y, c.y});
        _left = std::min({a.x, b.x, c.x});
        _right = std::max({a.x, b.x, c.x});
    }

    void rasterise() {
        const D3DVIEWPORT9 &vp = _stage.viewport;
        int64_t rowFirst = std::max<int64_t>(ceilDiv(_top, kSubpixels), vp.Y);
        int64_t rowLast =
            std::min<int64_t>(floorDiv(_bottom, kSubpixels), int64_t(vp.Y) + vp.Height - 1);
        int64_t colFirst = std::max<int64_t>(ceilDiv(_left, kSubpixels), vp.X);
        int64_t colLast =
            std::min<int64_t>(floorDiv(_right, kSubpixels), int64_t(vp.X) + vp.Width - 1);
        for (int64_t y = rowFirst; y <= rowLast; ++y) {
            int64_t first = colFirst, last = colLast;
            for (const Edge &edge : _edges)
                edge.clip(y, first, last);
            for (int64_t x = first; x <= last; x += kLanes)
                shade(x, y, int(std::min<int64_t>(kLanes, last - x + 1)));
        }
    }

private:
    void shade(int64_t x0, int64_t y, int count) {
        ShaderMachine &machine = *_stage.machine;
        if (_perspective)
            _invW.fill(_w, x0, y, count);
        for (size_t i = 0; i < _inputs.size(); ++i) {
            RegisterLanes &reg = machine.slot(_stage.inputs[i].slot);
            for (int k = 0; k < 4; ++k) {
                if ((_stage.inputs[i].mask & (1 << k)) == 0)
                    continue;
                _inputs[i].component[k].fill(reg.c[k], x0, y, count);
                if (_perspective) {
                    for (int l = 0; l < count; ++l)
                        reg.c[k][l] /= _w[l];
                }
            }
        }
        machine.run(count, _stage.samplers);

        _depth.fill(_z, x0, y, count);
        bool allVisible = _depthInRange;
        if (!allVisible) {
            allVisible = true;
            for (int l = 0; l < count; ++l) {
                _visible[l] = _z[l] >= 0.0f && _z[l] <= 1.0f;
                allVisible = allVisible && _visible[l];
            }
        }
        ShadedRow row{UINT(y), UINT(x0), count, {}, _z, allVisible ? nullptr : _visible};
        if (_stage.depthSlot >= 0)
            row.depth = machine.slot(_stage.depthSlot).c[0];
        for (int k = 0; k < 4; ++k)
            row.color[k] = _stage.colorSlot >= 0 ? machine.slot(_stage.colorSlot).c[k] : kZeros;
        writePixels(_stage.output, row, *_stage.target, _stage.depthStencil);
    }

    static const float kZeros[kLanes];

    PixelStage &_stage;
    Edge _edges[3];
    Plane _depth;
    Plane _invW;
    bool _perspective;
    bool _depthInRange;
    std::vector<VaryingPlanes> _inputs;
    int64_t _top, _bottom, _left, _right;
    float _w[kLanes];
    float _z[kLanes];
    bool _visible[kLanes];
};

const float TriangleSetup::kZeros[kLanes] = {};

// Twice the signed area in fixed point; positive for clockwise on screen.
int64_t doubleArea(const ScreenVertex &a, const ScreenVertex &b, const ScreenVertex &c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

} // namespace

void drawTriangle(PixelStage &stage, const ClipVertex &a, const ClipVertex &b,
                  const ClipVertex &c) {
    ScreenVertex sa, sb, sc;
    if (!toScreen(a, stage.viewport, sa) || !toScreen(b, stage.viewport, sb) ||
        !toScreen(c, stage.viewport, sc))
        return;
    int64_t area = doubleArea(sa, sb, sc);
    if (area == 0)
        return;
    bool clockwise = area > 0;
    if ((stage.cullMode == D3DCULL_CW && clockwise) ||
        (stage.cullMode == D3DCULL_CCW && !clockwise))
        return;
    if (clockwise)
        TriangleSetup(stage, sa, sb, sc).rasterise();
    else
        TriangleSetup(stage, sa, sc, sb).rasterise();
}

} // namespace software::d3d
