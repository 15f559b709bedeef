#include "PixelOutput.h"

#include <algorithm>
#include <cstring>

namespace software::d3d {
namespace {

enum BlendFactor : DWORD {
    kZero = 1,
    kOne = 2,
    kSrcColor = 3,
    kInvSrcColor = 4,
    kSrcAlpha = 5,
    kInvSrcAlpha = 6,
    kDestAlpha = 7,
    kInvDestAlpha = 8,
    kDestColor = 9,
    kInvDestColor = 10,
};

enum BlendOperation : DWORD { kAdd = 1, kSubtract = 2, kRevSubtract = 3, kMin = 4, kMax = 5 };

inline float saturate(float value) {
    return value > 0.0f ? (value < 1.0f ? value : 1.0f) : 0.0f;
}

// The first comparison also maps NaN to 0; the selects and the conversion to a signed
// integer all compile to vector instructions.
inline uint32_t toByte(float value) {
    value = value > 0.0f ? value : 0.0f;
    value = value < 1.0f ? value : 1.0f;
    return uint32_t(int32_t(value * 255.0f + 0.5f));
}

float factor(DWORD which, int channel, const float src[4], const float dst[4]) {
    switch (which) {
    case kZero:
        return 0.0f;
    case kSrcColor:
        return src[channel];
    case kInvSrcColor:
        return 1.0f - src[channel];
    case kSrcAlpha:
        return src[3];
    case kInvSrcAlpha:
        return 1.0f - src[3];
    case kDestAlpha:
        return dst[3];
    case kInvDestAlpha:
        return 1.0f - dst[3];
    case kDestColor:
        return dst[channel];
    case kInvDestColor:
        return 1.0f - dst[channel];
    default: // one, and the factors this device does not model
        return 1.0f;
    }
}

float combine(DWORD op, float s, float d) {
    switch (op) {
    case kSubtract:
        return s - d;
    case kRevSubtract:
        return d - s;
    case kMin:
        return s < d ? s : d;
    case kMax:
        return s > d ? s : d;
    default:
        return s + d;
    }
}

uint32_t stencilOperation(DWORD op, uint32_t value, uint32_t reference) {
    switch (op) {
    case 2: // zero
        return 0;
    case 3: // replace
        return reference & 0xFF;
    case 4: // increment, saturated
        return value < 0xFF ? value + 1 : 0xFF;
    case 5: // decrement, saturated
        return value > 0 ? value - 1 : 0;
    case 6: // invert
        return ~value & 0xFF;
    case 7: // increment, wrapped
        return (value + 1) & 0xFF;
    case 8: // decrement, wrapped
        return (value - 1) & 0xFF;
    default: // keep
        return value;
    }
}

uint32_t readDepthWord(const uint8_t *p, D3DFORMAT format) {
    if (format == D3DFMT_D16) {
        uint16_t value;
        std::memcpy(&value, p, 2);
        return value;
    }
    uint32_t value;
    std::memcpy(&value, p, 4);
    return value;
}

void writeDepthWord(uint8_t *p, D3DFORMAT format, uint32_t value) {
    if (format == D3DFMT_D16) {
        uint16_t half = uint16_t(value);
        std::memcpy(p, &half, 2);
        return;
    }
    std::memcpy(p, &value, 4);
}

// Depth bits of a depth-stencil word, comparable across pixels.
uint32_t depthBits(uint32_t word, D3DFORMAT format) {
    return format == D3DFMT_D16 ? word : word >> 8;
}

// Runs the depth and stencil tests of one pixel and updates its depth-stencil word.
bool depthStencilPass(const OutputState &state, float depth, uint8_t *p, D3DFORMAT format) {
    uint32_t word = readDepthWord(p, format);
    uint32_t incoming = packDepth(depth, format);
    bool hasStencil = format == D3DFMT_D24S8 && state.stencil;
    uint32_t stencil = word & 0xFF;
    bool stencilOk = !hasStencil || compare(state.stencilFunc, stencil & state.stencilMask,
                                            state.stencilRef & state.stencilMask);
    bool depthOk = !state.depthTest ||
                   compare(state.depthFunc, depthBits(incoming, format), depthBits(word, format));
    uint32_t updated = word;
    if (hasStencil) {
        DWORD op = !stencilOk ? state.stencilFail
                              : (!depthOk ? state.stencilDepthFail : state.stencilPass);
        uint32_t next = stencilOperation(op, stencil, state.stencilRef);
        uint32_t keep = ~state.stencilWriteMask & 0xFF;
        updated = (updated & ~0xFFu) | ((stencil & keep) | (next & ~keep & 0xFF));
    }
    bool pass = stencilOk && depthOk;
    if (pass && state.depthTest && state.depthWrite)
        updated = format == D3DFMT_D16 ? incoming : ((incoming & ~0xFFu) | (updated & 0xFF));
    if (updated != word)
        writeDepthWord(p, format, updated);
    return pass;
}

} // namespace

OutputState OutputState::fromRenderStates(const DWORD *rs, const SurfaceMemory *depth) {
    OutputState state;
    state.colorWriteMask = rs[D3DRS_COLORWRITEENABLE] & 0xF;
    state.alphaTest = rs[D3DRS_ALPHATESTENABLE] != 0;
    state.alphaFunc = rs[D3DRS_ALPHAFUNC];
    state.alphaRef = rs[D3DRS_ALPHAREF] & 0xFF;
    state.blend = rs[D3DRS_ALPHABLENDENABLE] != 0;
    state.srcBlend = rs[D3DRS_SRCBLEND];
    state.destBlend = rs[D3DRS_DESTBLEND];
    state.blendOp = rs[D3DRS_BLENDOP];
    state.depthTest = depth && rs[D3DRS_ZENABLE] != 0;
    state.depthWrite = rs[D3DRS_ZWRITEENABLE] != 0;
    state.depthFunc = rs[D3DRS_ZFUNC];
    state.stencil = depth && rs[D3DRS_STENCILENABLE] != 0;
    state.stencilFunc = rs[D3DRS_STENCILFUNC];
    state.stencilRef = rs[D3DRS_STENCILREF];
    state.stencilMask = rs[D3DRS_STENCILMASK];
    state.stencilWriteMask = rs[D3DRS_STENCILWRITEMASK];
    state.stencilFail = rs[D3DRS_STENCILFAIL];
    state.stencilDepthFail = rs[D3DRS_STENCILZFAIL];
    state.stencilPass = rs[D3DRS_STENCILPASS];
    return state;
}

uint32_t packDepth(float depth, D3DFORMAT format) {
    // In double: 1.0 * 16777215 + 0.5 rounds up to 2^24 in float and would wrap.
    double clamped = saturate(depth);
    if (format == D3DFMT_D16)
        return uint32_t(clamped * 65535.0 + 0.5);
    return uint32_t(clamped * 16777215.0 + 0.5) << 8;
}

bool compare(DWORD func, uint32_t value, uint32_t reference) {
    switch (func) {
    case D3DCMP_NEVER:
        return false;
    case D3DCMP_LESS:
        return value < reference;
    case D3DCMP_EQUAL:
        return value == reference;
    case D3DCMP_LESSEQUAL:
        return value <= reference;
    case D3DCMP_GREATER:
        return value > reference;
    case D3DCMP_NOTEQUAL:
        return value != reference;
    case D3DCMP_GREATEREQUAL:
        return value >= reference;
    default:
        return true;
    }
}

void writePixels(const OutputState &state, const ShadedRow &row, SurfaceMemory &target,
                 SurfaceMemory *depthStencil) {
    uint8_t *out = target.row(row.y) + size_t(row.x0) * 4;
    const bool plain = !row.visible && !state.alphaTest && !state.blend && !state.depthTest &&
                       !state.stencil && state.colorWriteMask == 0xF;
    if (plain) {
        // The common case: every pixel written as it was shaded, packed in a vectorisable
        // loop and stored at once.
        uint32_t pixels[kMaxRowPixels];
        const int count = std::min(row.count, kMaxRowPixels);
        for (int i = 0; i < count; ++i)
            pixels[i] = toByte(row.color[3][i]) << 24 | toByte(row.color[0][i]) << 16 |
                        toByte(row.color[1][i]) << 8 | toByte(row.color[2][i]);
        std::memcpy(out, pixels, sizeof(uint32_t) * size_t(count));
        return;
    }
    uint8_t *depthRow = nullptr;
    UINT depthBytes = 0;
    if (depthStencil && (state.depthTest || state.stencil)) {
        depthBytes = bytesPerPixel(depthStencil->format());
        depthRow = depthStencil->row(row.y) + size_t(row.x0) * depthBytes;
    }
    for (int i = 0; i < row.count; ++i) {
        if (row.visible && !row.visible[i])
            continue;
        float src[4] = {row.color[0][i], row.color[1][i], row.color[2][i], row.color[3][i]};
        if (state.alphaTest && !compare(state.alphaFunc, toByte(src[3]), state.alphaRef))
            continue;
        if (depthRow && !depthStencilPass(state, row.depth[i], depthRow + size_t(i) * depthBytes,
                                          depthStencil->format()))
            continue;
        uint8_t *p = out + 4 * i;
        uint32_t old;
        std::memcpy(&old, p, 4);
        float dst[4] = {((old >> 16) & 0xFF) / 255.0f, ((old >> 8) & 0xFF) / 255.0f,
                        (old & 0xFF) / 255.0f, (old >> 24) / 255.0f};
        float result[4];
        for (int c = 0; c < 4; ++c) {
            float s = saturate(src[c]);
            result[c] = !state.blend
                            ? s
                            : combine(state.blendOp, s * factor(state.srcBlend, c, src, dst),
                                      dst[c] * factor(state.destBlend, c, src, dst));
        }
        // Channel c of the mask is red, green, blue, alpha; bytes are B, G, R, A.
        static const int byteOf[4] = {2, 1, 0, 3};
        for (int c = 0; c < 4; ++c) {
            if ((state.colorWriteMask & (1u << c)) != 0)
                p[byteOf[c]] = uint8_t(toByte(result[c]));
        }
    }
}

} // namespace software::d3d
