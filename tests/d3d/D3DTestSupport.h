// Helpers of the software Direct3D 9 tests: a device with automatic release, a tiny
// assembler for shader bytecode, and reading pixels back the Direct3D 9 way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "quenvo_software.h"
#include "software/D3D9Hooks.h"
#include "software/D3DX9.h"

namespace d3dtest {

// Releases a COM pointer when it goes out of scope.
template <class T> struct Ref {
    T *p = nullptr;
    Ref() = default;
    explicit Ref(T *object) : p(object) {}
    Ref(const Ref &) = delete;
    Ref &operator=(const Ref &) = delete;
    ~Ref() { reset(); }
    void reset() {
        if (p)
            p->Release();
        p = nullptr;
    }
    T **out() {
        reset();
        return &p;
    }
    T *operator->() const { return p; }
    T *get() const { return p; }
};

// Register types of the bytecode.
enum RegType {
    kTemp = 0,
    kInput = 1,
    kConst = 2,
    kTex = 3,
    kRastOut = 4,
    kTexCrdOut = 6,
    kColorOut = 8,
    kSampler = 10
};

DWORD reg(int type, int index);
// A destination with a write mask of bits x=1, y=2, z=4, w=8.
DWORD dst(int type, int index, int mask = 0xF, bool saturate = false);
// A source with a swizzle written as up to four letters of "xyzw" (the last repeats).
DWORD src(int type, int index, const char *swizzle = "xyzw", bool negate = false);

// Bytecode under construction: version token first, end token added by `finish`.
struct Bytecode {
    std::vector<DWORD> tokens;
    explicit Bytecode(DWORD version) : tokens{version} {}
    Bytecode &op(DWORD opcode, std::vector<DWORD> params);
    Bytecode &def(int index, float x, float y, float z, float w);
    Bytecode &dclInput(int index, int usage, int usageIndex); // vertex shader v#
    Bytecode &dclTexcoord(int index);                         // pixel shader t#
    Bytecode &dclSampler2D(int index);
    std::vector<DWORD> finish() const;
};

constexpr DWORD kVs20 = 0xFFFE0200;
constexpr DWORD kPs20 = 0xFFFF0200;

// Opcodes.
enum : DWORD {
    kMov = 1,
    kAdd = 2,
    kSub = 3,
    kMad = 4,
    kMul = 5,
    kRcp = 6,
    kRsq = 7,
    kDp3 = 8,
    kDp4 = 9,
    kMin = 10,
    kMax = 11,
    kSlt = 12,
    kSge = 13,
    kLrp = 0x12,
    kFrc = 0x13,
    kAbs = 0x23,
    kTexld = 0x42,
    kCmp = 0x58
};

// A vertex shader that passes position (v0) and texture coordinate 0 (v1) through.
std::vector<DWORD> passThroughVertexShader();

// The vertices of a quad (x, y, z, u, v) and a declaration of that layout.
struct QuadVertex {
    float x, y, z, u, v;
};

// Sets a declaration of `layout`, stream 0 holding `count` vertices of `stride` bytes and
// the pass-through vertex shader, and draws them.
HRESULT drawVertices(IDirect3DDevice9 *device, const D3DVERTEXELEMENT9 *layout, const void *data,
                     UINT stride, UINT count, D3DPRIMITIVETYPE type);

// drawVertices for QuadVertex vertices (position float3, texture coordinate float2).
HRESULT drawStrip(IDirect3DDevice9 *device, const std::vector<QuadVertex> &vertices,
                  D3DPRIMITIVETYPE type = D3DPT_TRIANGLESTRIP);

// Render target pixels (A8R8G8B8 as 0xAARRGGBB) read back through a system-memory copy.
std::vector<uint32_t> readPixels(IDirect3DDevice9 *device, IDirect3DSurface9 *target);

// An L8 managed texture filled from `texels` (row-major, width by height).
IDirect3DTexture9 *makeL8Texture(IDirect3DDevice9 *device, UINT width, UINT height,
                                 const std::vector<uint8_t> &texels);

// The bytes of a file, or empty.
std::vector<uint8_t> readFile(const std::string &path);

} // namespace d3dtest
