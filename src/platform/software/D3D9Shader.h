// Vertex and pixel shader objects of the software device: the bytecode decoded once into
// a program for the interpreter.
#pragma once

#include <cstring>

#include "D3D9.h"
#include "D3D9Object.h"
#include "ShaderProgram.h"

namespace software::d3d {

// Shaders are read up to their end token; no vs_2_0/ps_2_0 shader is this long.
constexpr size_t kMaxShaderTokens = 1u << 16;

template <class Interface, ShaderKind Kind>
class SoftwareShader final : public ComObject<Interface> {
public:
    // Decodes at most `maxTokens` tokens; on failure `error` (when given) says why.
    static HRESULT create(IDirect3DDevice9 *device, const DWORD *function, size_t maxTokens,
                          Interface **ppShader, std::string *error = nullptr) {
        if (!ppShader)
            return D3DERR_INVALIDCALL;
        *ppShader = nullptr;
        ShaderProgram program;
        std::string why;
        if (!decodeShader(function, maxTokens, Kind, program, why)) {
            if (error)
                *error = why;
            return D3DERR_INVALIDCALL;
        }
        *ppShader = new SoftwareShader(device, std::move(program));
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9 **ppDevice) override {
        return handOutDevice(_device, ppDevice);
    }
    HRESULT STDMETHODCALLTYPE GetFunction(void *pData, UINT *pSizeOfData) override {
        if (!pSizeOfData)
            return D3DERR_INVALIDCALL;
        UINT size = UINT(_program.tokens.size() * sizeof(DWORD));
        if (pData) {
            if (*pSizeOfData < size)
                return D3DERR_INVALIDCALL;
            std::memcpy(pData, _program.tokens.data(), size);
        }
        *pSizeOfData = size;
        return D3D_OK;
    }

    const ShaderProgram &program() const { return _program; }

private:
    SoftwareShader(IDirect3DDevice9 *device, ShaderProgram program)
        : ComObject<Interface>(device), _device(device), _program(std::move(program)) {}

    IDirect3DDevice9 *_device;
    ShaderProgram _program;
};

using SoftwareVertexShader = SoftwareShader<IDirect3DVertexShader9, ShaderKind::Vertex>;
using SoftwarePixelShader = SoftwareShader<IDirect3DPixelShader9, ShaderKind::Pixel>;

} // namespace software::d3d
