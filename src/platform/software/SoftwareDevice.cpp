#include "SoftwareDevice.h"

#include <cstring>

#include "quenvo_software.h"

namespace software::d3d {

SoftwareDevice::SoftwareDevice(UINT width, UINT height, bool depthStencil) {
    D3DSURFACE_DESC back = {D3DFMT_A8R8G8B8,
                            D3DRTYPE_SURFACE,
                            D3DUSAGE_RENDERTARGET,
                            D3DPOOL_DEFAULT,
                            D3DMULTISAMPLE_NONE,
                            0,
                            width,
                            height};
    _backBuffer =
        std::make_unique<SoftwareSurface>(this, SoftwareSurface::Owner::Device, this, back, false);
    _renderTarget.reset(_backBuffer.get());
    if (depthStencil) {
        D3DSURFACE_DESC depth = {D3DFMT_D24S8,
                                 D3DRTYPE_SURFACE,
                                 D3DUSAGE_DEPTHSTENCIL,
                                 D3DPOOL_DEFAULT,
                                 D3DMULTISAMPLE_NONE,
                                 0,
                                 width,
                                 height};
        _autoDepthStencil = std::make_unique<SoftwareSurface>(this, SoftwareSurface::Owner::Device,
                                                              this, depth, false);
        _depthStencil.reset(_autoDepthStencil.get());
    }
    _viewport = {0, 0, width, height, 0.0f, 1.0f};
    setDefaultStates(depthStencil);
}

void SoftwareDevice::setDefaultStates(bool depthStencil) {
    DWORD *rs = _renderStates;
    rs[D3DRS_ZENABLE] = depthStencil ? D3DZB_TRUE : D3DZB_FALSE;
    rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
    rs[D3DRS_SHADEMODE] = 2; // Gouraud
    rs[D3DRS_ZWRITEENABLE] = TRUE;
    rs[D3DRS_LASTPIXEL] = TRUE;
    rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    rs[D3DRS_CULLMODE] = D3DCULL_CCW;
    rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_STENCILFAIL] = 1; // keep
    rs[D3DRS_STENCILZFAIL] = 1;
    rs[D3DRS_STENCILPASS] = 1;
    rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_STENCILMASK] = 0xFFFFFFFF;
    rs[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFF;
    rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFF;
    rs[D3DRS_CLIPPING] = TRUE;
    rs[D3DRS_LIGHTING] = TRUE;
    rs[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
    rs[D3DRS_MULTISAMPLEMASK] = 0xFFFFFFFF;
    rs[D3DRS_COLORWRITEENABLE] = 0xF;
    rs[D3DRS_COLORWRITEENABLE1] = 0xF;
    rs[D3DRS_COLORWRITEENABLE2] = 0xF;
    rs[D3DRS_COLORWRITEENABLE3] = 0xF;
    rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    rs[D3DRS_BLENDFACTOR] = 0xFFFFFFFF;
    rs[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;
    rs[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;
    for (DWORD s = 0; s < kSamplerCount; ++s) {
        DWORD *states = _samplerStates[s];
        states[D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
        states[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
        states[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
        states[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
        states[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        states[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        states[D3DSAMP_MAXANISOTROPY] = 1;
    }
}

HRESULT SoftwareDevice::Present(const RECT *, const RECT *, HWND, const RGNDATA *) {
    return D3D_OK; // there is no window; the back buffer is read back instead
}

HRESULT SoftwareDevice::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage,
                                      D3DFORMAT Format, D3DPOOL Pool, IDirect3DTexture9 **ppTexture,
                                      HANDLE *pSharedHandle) {
    if (pSharedHandle)
        return D3DERR_INVALIDCALL;
    return SoftwareTexture::create(this, Width, Height, Levels, Usage, Format, Pool, ppTexture);
}

HRESULT SoftwareDevice::CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                           IDirect3DVertexBuffer9 **ppVertexBuffer,
                                           HANDLE *pSharedHandle) {
    if (pSharedHandle)
        return D3DERR_INVALIDCALL;
    return SoftwareVertexBuffer::create(this, Length, Usage, FVF, Pool, ppVertexBuffer);
}

HRESULT SoftwareDevice::CreateVertexDeclaration(const D3DVERTEXELEMENT9 *pVertexElements,
                                                IDirect3DVertexDeclaration9 **ppDecl) {
    return SoftwareVertexDeclaration::create(this, pVertexElements, ppDecl);
}

HRESULT SoftwareDevice::CreateVertexShader(const DWORD *pFunction,
                                           IDirect3DVertexShader9 **ppShader) {
    return SoftwareVertexShader::create(this, pFunction, kMaxShaderTokens, ppShader);
}

HRESULT SoftwareDevice::CreatePixelShader(const DWORD *pFunction,
                                          IDirect3DPixelShader9 **ppShader) {
    return SoftwarePixelShader::create(this, pFunction, kMaxShaderTokens, ppShader);
}

HRESULT SoftwareDevice::BeginScene() {
    if (_inScene)
        return D3DERR_INVALIDCALL;
    _inScene = true;
    return D3D_OK;
}

HRESULT SoftwareDevice::EndScene() {
    if (!_inScene)
        return D3DERR_INVALIDCALL;
    _inScene = false;
    return D3D_OK;
}

HRESULT SoftwareDevice::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
    if (DWORD(State) >= kRenderStateCount)
        return D3DERR_INVALIDCALL;
    _renderStates[State] = Value;
    return D3D_OK;
}

HRESULT SoftwareDevice::GetRenderState(D3DRENDERSTATETYPE State, DWORD *pValue) {
    if (DWORD(State) >= kRenderStateCount || !pValue)
        return D3DERR_INVALIDCALL;
    *pValue = _renderStates[State];
    return D3D_OK;
}

HRESULT SoftwareDevice::SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) {
    if (Sampler >= kSamplerCount || DWORD(Type) >= kSamplerStateCount || Type == 0)
        return D3DERR_INVALIDCALL;
    _samplerStates[Sampler][Type] = Value;
    return D3D_OK;
}

HRESULT SoftwareDevice::GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD *pValue) {
    if (Sampler >= kSamplerCount || DWORD(Type) >= kSamplerStateCount || Type == 0 || !pValue)
        return D3DERR_INVALIDCALL;
    *pValue = _samplerStates[Sampler][Type];
    return D3D_OK;
}

HRESULT SoftwareDevice::SetTexture(DWORD Stage, IDirect3DBaseTexture9 *pTexture) {
    if (Stage >= kSamplerCount)
        return D3DERR_INVALIDCALL;
    _textures[Stage].reset(softwareTexture(pTexture));
    return D3D_OK;
}

namespace {

// The Get* calls of bound objects: a new reference, or null when nothing is bound.
template <class Interface, class Object>
HRESULT handOut(const Binding<Object> &binding, Interface **out) {
    if (!out)
        return D3DERR_INVALIDCALL;
    *out = binding.get();
    if (*out)
        (*out)->AddRef();
    return D3D_OK;
}

HRESULT setConstants(float (*constants)[4], UINT capacity, UINT start, const float *data,
                     UINT count) {
    if (!data || start > capacity || count > capacity - start)
        return D3DERR_INVALIDCALL;
    std::memcpy(constants[start], data, sizeof(float) * 4 * count);
    return D3D_OK;
}

HRESULT getConstants(const float (*constants)[4], UINT capacity, UINT start, float *data,
                     UINT count) {
    if (!data || start > capacity || count > capacity - start)
        return D3DERR_INVALIDCALL;
    std::memcpy(data, constants[start], sizeof(float) * 4 * count);
    return D3D_OK;
}

} // namespace

HRESULT SoftwareDevice::GetTexture(DWORD Stage, IDirect3DBaseTexture9 **ppTexture) {
    if (Stage >= kSamplerCount)
        return D3DERR_INVALIDCALL;
    return handOut(_textures[Stage], ppTexture);
}

HRESULT SoftwareDevice::SetVertexDeclaration(IDirect3DVertexDeclaration9 *pDecl) {
    _declaration.reset(static_cast<SoftwareVertexDeclaration *>(pDecl));
    return D3D_OK;
}

HRESULT SoftwareDevice::GetVertexDeclaration(IDirect3DVertexDeclaration9 **ppDecl) {
    return handOut(_declaration, ppDecl);
}

HRESULT SoftwareDevice::SetVertexShader(IDirect3DVertexShader9 *pShader) {
    _vertexShader.reset(static_cast<SoftwareVertexShader *>(pShader));
    return D3D_OK;
}

HRESULT SoftwareDevice::GetVertexShader(IDirect3DVertexShader9 **ppShader) {
    return handOut(_vertexShader, ppShader);
}

HRESULT SoftwareDevice::SetPixelShader(IDirect3DPixelShader9 *pShader) {
    _pixelShader.reset(static_cast<SoftwarePixelShader *>(pShader));
    return D3D_OK;
}

HRESULT SoftwareDevice::GetPixelShader(IDirect3DPixelShader9 **ppShader) {
    return handOut(_pixelShader, ppShader);
}

HRESULT SoftwareDevice::SetVertexShaderConstantF(UINT StartRegister, const float *pConstantData,
                                                 UINT Vector4fCount) {
    return setConstants(_vertexConstants, kVertexConstantCount, StartRegister, pConstantData,
                        Vector4fCount);
}

HRESULT SoftwareDevice::GetVertexShaderConstantF(UINT StartRegister, float *pConstantData,
                                                 UINT Vector4fCount) {
    return getConstants(_vertexConstants, kVertexConstantCount, StartRegister, pConstantData,
                        Vector4fCount);
}

HRESULT SoftwareDevice::SetPixelShaderConstantF(UINT StartRegister, const float *pConstantData,
                                                UINT Vector4fCount) {
    return setConstants(_pixelConstants, kPixelConstantCount, StartRegister, pConstantData,
                        Vector4fCount);
}

HRESULT SoftwareDevice::GetPixelShaderConstantF(UINT StartRegister, float *pConstantData,
                                                UINT Vector4fCount) {
    return getConstants(_pixelConstants, kPixelConstantCount, StartRegister, pConstantData,
                        Vector4fCount);
}

HRESULT SoftwareDevice::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9 *pStreamData,
                                        UINT OffsetInBytes, UINT Stride) {
    if (StreamNumber >= kStreamCount)
        return D3DERR_INVALIDCALL;
    StreamSource &stream = _streams[StreamNumber];
    stream.buffer.reset(static_cast<SoftwareVertexBuffer *>(pStreamData));
    stream.offset = OffsetInBytes;
    stream.stride = Stride;
    return D3D_OK;
}

HRESULT SoftwareDevice::GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9 **ppStreamData,
                                        UINT *pOffsetInBytes, UINT *pStride) {
    if (StreamNumber >= kStreamCount || !pOffsetInBytes || !pStride)
        return D3DERR_INVALIDCALL;
    const StreamSource &stream = _streams[StreamNumber];
    *pOffsetInBytes = stream.offset;
    *pStride = stream.stride;
    return handOut(stream.buffer, ppStreamData);
}

} // namespace software::d3d

IDirect3DDevice9 *CreateSoftwareDevice9(UINT width, UINT height, BOOL depthStencil) {
    if (width == 0 || height == 0 || width > 16384 || height > 16384)
        return nullptr;
    return new software::d3d::SoftwareDevice(width, height, depthStencil != FALSE);
}

UINT SoftwareD3D9DrawCount(IDirect3DDevice9 *device) {
    return device ? static_cast<software::d3d::SoftwareDevice *>(device)->drawCount() : 0;
}

IDirect3DSurface9 *SoftwareD3D9LastDrawTarget(IDirect3DDevice9 *device) {
    return device ? static_cast<software::d3d::SoftwareDevice *>(device)->lastDrawTarget()
                  : nullptr;
}
