#include "D3DTestSupport.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace d3dtest {

DWORD reg(int type, int index) {
    return 0x80000000u | (DWORD(type & 7) << 28) | (DWORD(type & 0x18) << 8) | DWORD(index);
}

DWORD dst(int type, int index, int mask, bool saturate) {
    return reg(type, index) | (DWORD(mask) << 16) | (saturate ? 1u << 20 : 0u);
}

DWORD src(int type, int index, const char *swizzle, bool negate) {
    DWORD bits = 0;
    size_t length = std::strlen(swizzle);
    for (size_t c = 0; c < 4; ++c) {
        char letter = swizzle[c < length ? c : length - 1];
        DWORD component = letter == 'x' ? 0 : letter == 'y' ? 1 : letter == 'z' ? 2 : 3;
        bits |= component << (2 * c);
    }
    return reg(type, index) | (bits << 16) | (negate ? 1u << 24 : 0u);
}

Bytecode &Bytecode::op(DWORD opcode, std::vector<DWORD> params) {
    tokens.push_back(opcode | DWORD(params.size()) << 24);
    tokens.insert(tokens.end(), params.begin(), params.end());
    return *this;
}

Bytecode &Bytecode::def(int index, float x, float y, float z, float w) {
    float values[4] = {x, y, z, w};
    std::vector<DWORD> params{dst(kConst, index)};
    for (float value : values) {
        DWORD bits;
        std::memcpy(&bits, &value, 4);
        params.push_back(bits);
    }
    return op(0x51, params);
}

Bytecode &Bytecode::dclInput(int index, int usage, int usageIndex) {
    return op(0x1F, {0x80000000u | DWORD(usage) | DWORD(usageIndex) << 16, dst(kInput, index)});
}

Bytecode &Bytecode::dclTexcoord(int index) {
    return op(0x1F, {0x80000000u, dst(kTex, index)});
}

Bytecode &Bytecode::dclSampler2D(int index) {
    return op(0x1F, {0x90000000u, dst(kSampler, index)});
}

std::vector<DWORD> Bytecode::finish() const {
    std::vector<DWORD> out = tokens;
    out.push_back(0x0000FFFF);
    return out;
}

std::vector<DWORD> passThroughVertexShader() {
    return Bytecode(kVs20)
        .dclInput(0, D3DDECLUSAGE_POSITION, 0)
        .dclInput(1, D3DDECLUSAGE_TEXCOORD, 0)
        .op(kMov, {dst(kRastOut, 0), src(kInput, 0)})
        .op(kMov, {dst(kTexCrdOut, 0), src(kInput, 1)})
        .finish();
}

HRESULT drawVertices(IDirect3DDevice9 *device, const D3DVERTEXELEMENT9 *layout, const void *data,
                     UINT stride, UINT count, D3DPRIMITIVETYPE type) {
    Ref<IDirect3DVertexDeclaration9> declaration;
    Ref<IDirect3DVertexBuffer9> buffer;
    Ref<IDirect3DVertexShader9> shader;
    UINT bytes = stride * count;
    if (FAILED(device->CreateVertexDeclaration(layout, declaration.out())) ||
        FAILED(device->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT,
                                          buffer.out(), nullptr)))
        return E_FAIL;
    void *target = nullptr;
    if (FAILED(buffer->Lock(0, 0, &target, 0)))
        return E_FAIL;
    std::memcpy(target, data, bytes);
    buffer->Unlock();
    std::vector<DWORD> vs = passThroughVertexShader();
    if (FAILED(device->CreateVertexShader(vs.data(), shader.out())))
        return E_FAIL;
    device->SetVertexDeclaration(declaration.get());
    device->SetStreamSource(0, buffer.get(), 0, stride);
    device->SetVertexShader(shader.get());
    UINT primitives = type == D3DPT_TRIANGLELIST ? count / 3 : count - 2;
    return device->DrawPrimitive(type, 0, primitives);
}

HRESULT drawStrip(IDirect3DDevice9 *device, const std::vector<QuadVertex> &vertices,
                  D3DPRIMITIVETYPE type) {
    static const D3DVERTEXELEMENT9 layout[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {0, 12, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
        D3DDECL_END()};
    return drawVertices(device, layout, vertices.data(), sizeof(QuadVertex), UINT(vertices.size()),
                        type);
}

std::vector<uint32_t> readPixels(IDirect3DDevice9 *device, IDirect3DSurface9 *target) {
    D3DSURFACE_DESC desc;
    target->GetDesc(&desc);
    Ref<IDirect3DSurface9> copy;
    if (FAILED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format,
                                                   D3DPOOL_SYSTEMMEM, copy.out(), nullptr)) ||
        FAILED(device->GetRenderTargetData(target, copy.get())))
        return {};
    D3DLOCKED_RECT rect;
    if (FAILED(copy->LockRect(&rect, nullptr, D3DLOCK_READONLY)))
        return {};
    std::vector<uint32_t> pixels(size_t(desc.Width) * desc.Height);
    for (UINT y = 0; y < desc.Height; ++y)
        std::memcpy(&pixels[size_t(y) * desc.Width],
                    static_cast<uint8_t *>(rect.pBits) + size_t(y) * rect.Pitch, desc.Width * 4);
    copy->UnlockRect();
    return pixels;
}

IDirect3DTexture9 *makeL8Texture(IDirect3DDevice9 *device, UINT width, UINT height,
                                 const std::vector<uint8_t> &texels) {
    IDirect3DTexture9 *texture = nullptr;
    if (FAILED(device->CreateTexture(width, height, 1, 0, D3DFMT_L8, D3DPOOL_MANAGED, &texture,
                                     nullptr)))
        return nullptr;
    D3DLOCKED_RECT rect;
    if (FAILED(texture->LockRect(0, &rect, nullptr, 0))) {
        texture->Release();
        return nullptr;
    }
    for (UINT y = 0; y < height; ++y)
        std::memcpy(static_cast<uint8_t *>(rect.pBits) + size_t(y) * rect.Pitch,
                    &texels[size_t(y) * width], width);
    texture->UnlockRect(0);
    return texture;
}

std::vector<uint8_t> readFile(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

} // namespace d3dtest
