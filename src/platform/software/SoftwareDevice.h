// The software Direct3D 9 device: its state (render target, depth-stencil surface,
// viewport, render and sampler states, textures, vertex input, shaders and constants) and
// the calls that create objects and change state. Drawing is in SoftwareDeviceDraw.cpp,
// render targets and copies in SoftwareDeviceTargets.cpp.
#pragma once

#include <memory>

#include "D3D9.h"
#include "D3D9Object.h"
#include "D3D9Shader.h"
#include "D3D9Surface.h"
#include "D3D9Texture.h"
#include "D3D9VertexData.h"

namespace software::d3d {

constexpr DWORD kSamplerCount = 16;
constexpr DWORD kSamplerStateCount = 14; // D3DSAMP_ADDRESSU (1) .. D3DSAMP_DMAPOFFSET (13)
constexpr DWORD kRenderStateCount = 256;
constexpr UINT kStreamCount = 16;
constexpr UINT kVertexConstantCount = 256;
constexpr UINT kPixelConstantCount = 224;

struct StreamSource {
    Binding<SoftwareVertexBuffer> buffer;
    UINT offset = 0;
    UINT stride = 0;
};

class SoftwareDevice final : public ComObject<IDirect3DDevice9> {
public:
    SoftwareDevice(UINT width, UINT height, bool depthStencil);

    HRESULT STDMETHODCALLTYPE Present(const RECT *, const RECT *, HWND, const RGNDATA *) override;
    HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT iSwapChain, UINT iBackBuffer,
                                            D3DBACKBUFFER_TYPE Type,
                                            IDirect3DSurface9 **ppBackBuffer) override;
    HRESULT STDMETHODCALLTYPE CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage,
                                            D3DFORMAT Format, D3DPOOL Pool,
                                            IDirect3DTexture9 **ppTexture,
                                            HANDLE *pSharedHandle) override;
    HRESULT STDMETHODCALLTYPE CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                                 IDirect3DVertexBuffer9 **ppVertexBuffer,
                                                 HANDLE *pSharedHandle) override;
    HRESULT STDMETHODCALLTYPE CreateOffscreenPlainSurface(UINT Width, UINT Height, D3DFORMAT Format,
                                                          D3DPOOL Pool,
                                                          IDirect3DSurface9 **ppSurface,
                                                          HANDLE *pSharedHandle) override;
    HRESULT STDMETHODCALLTYPE GetRenderTargetData(IDirect3DSurface9 *pRenderTarget,
                                                  IDirect3DSurface9 *pDestSurface) override;
    HRESULT STDMETHODCALLTYPE SetRenderTarget(DWORD RenderTargetIndex,
                                              IDirect3DSurface9 *pRenderTarget) override;
    HRESULT STDMETHODCALLTYPE GetRenderTarget(DWORD RenderTargetIndex,
                                              IDirect3DSurface9 **ppRenderTarget) override;
    HRESULT STDMETHODCALLTYPE SetDepthStencilSurface(IDirect3DSurface9 *pNewZStencil) override;
    HRESULT STDMETHODCALLTYPE
    GetDepthStencilSurface(IDirect3DSurface9 **ppZStencilSurface) override;
    HRESULT STDMETHODCALLTYPE BeginScene() override;
    HRESULT STDMETHODCALLTYPE EndScene() override;
    HRESULT STDMETHODCALLTYPE Clear(DWORD Count, const D3DRECT *pRects, DWORD Flags, D3DCOLOR Color,
                                    float Z, DWORD Stencil) override;
    HRESULT STDMETHODCALLTYPE SetViewport(const D3DVIEWPORT9 *pViewport) override;
    HRESULT STDMETHODCALLTYPE GetViewport(D3DVIEWPORT9 *pViewport) override;
    HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override;
    HRESULT STDMETHODCALLTYPE GetRenderState(D3DRENDERSTATETYPE State, DWORD *pValue) override;
    HRESULT STDMETHODCALLTYPE GetTexture(DWORD Stage, IDirect3DBaseTexture9 **ppTexture) override;
    HRESULT STDMETHODCALLTYPE SetTexture(DWORD Stage, IDirect3DBaseTexture9 *pTexture) override;
    HRESULT STDMETHODCALLTYPE GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type,
                                              DWORD *pValue) override;
    HRESULT STDMETHODCALLTYPE SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type,
                                              DWORD Value) override;
    HRESULT STDMETHODCALLTYPE DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex,
                                            UINT PrimitiveCount) override;
    HRESULT STDMETHODCALLTYPE CreateVertexDeclaration(
        const D3DVERTEXELEMENT9 *pVertexElements, IDirect3DVertexDeclaration9 **ppDecl) override;
    HRESULT STDMETHODCALLTYPE SetVertexDeclaration(IDirect3DVertexDeclaration9 *pDecl) override;
    HRESULT STDMETHODCALLTYPE GetVertexDeclaration(IDirect3DVertexDeclaration9 **ppDecl) override;
    HRESULT STDMETHODCALLTYPE CreateVertexShader(const DWORD *pFunction,
                                                 IDirect3DVertexShader9 **ppShader) override;
    HRESULT STDMETHODCALLTYPE SetVertexShader(IDirect3DVertexShader9 *pShader) override;
    HRESULT STDMETHODCALLTYPE GetVertexShader(IDirect3DVertexShader9 **ppShader) override;
    HRESULT STDMETHODCALLTYPE SetVertexShaderConstantF(UINT StartRegister,
                                                       const float *pConstantData,
                                                       UINT Vector4fCount) override;
    HRESULT STDMETHODCALLTYPE GetVertexShaderConstantF(UINT StartRegister, float *pConstantData,
                                                       UINT Vector4fCount) override;
    HRESULT STDMETHODCALLTYPE SetStreamSource(UINT StreamNumber,
                                              IDirect3DVertexBuffer9 *pStreamData,
                                              UINT OffsetInBytes, UINT Stride) override;
    HRESULT STDMETHODCALLTYPE GetStreamSource(UINT StreamNumber,
                                              IDirect3DVertexBuffer9 **ppStreamData,
                                              UINT *pOffsetInBytes, UINT *pStride) override;
    HRESULT STDMETHODCALLTYPE CreatePixelShader(const DWORD *pFunction,
                                                IDirect3DPixelShader9 **ppShader) override;
    HRESULT STDMETHODCALLTYPE SetPixelShader(IDirect3DPixelShader9 *pShader) override;
    HRESULT STDMETHODCALLTYPE GetPixelShader(IDirect3DPixelShader9 **ppShader) override;
    HRESULT STDMETHODCALLTYPE SetPixelShaderConstantF(UINT StartRegister,
                                                      const float *pConstantData,
                                                      UINT Vector4fCount) override;
    HRESULT STDMETHODCALLTYPE GetPixelShaderConstantF(UINT StartRegister, float *pConstantData,
                                                      UINT Vector4fCount) override;

    UINT drawCount() const { return _drawCount; }
    IDirect3DSurface9 *lastDrawTarget() const { return _lastDrawTarget; }

private:
    void setDefaultStates(bool depthStencil);

    // Declared first so that they outlive the bindings below, which may name them.
    std::unique_ptr<SoftwareSurface> _backBuffer;
    std::unique_ptr<SoftwareSurface> _autoDepthStencil;

    Binding<SoftwareSurface> _renderTarget;
    Binding<SoftwareSurface> _depthStencil;
    D3DVIEWPORT9 _viewport{};
    DWORD _renderStates[kRenderStateCount] = {};
    DWORD _samplerStates[kSamplerCount][kSamplerStateCount] = {};
    Binding<SoftwareTexture> _textures[kSamplerCount];
    Binding<SoftwareVertexDeclaration> _declaration;
    StreamSource _streams[kStreamCount];
    Binding<SoftwareVertexShader> _vertexShader;
    Binding<SoftwarePixelShader> _pixelShader;
    float _vertexConstants[kVertexConstantCount][4] = {};
    float _pixelConstants[kPixelConstantCount][4] = {};
    bool _inScene = false;
    UINT _drawCount = 0;
    IDirect3DSurface9 *_lastDrawTarget = nullptr;
};

} // namespace software::d3d
