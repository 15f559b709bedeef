// D3DX 9 effects for the software platform: the subset of d3dx9effect.h that the library
// uses, with the Windows names and signatures. Effects are loaded from compiled fx_2_0
// files and their shaders run on the software device's shader interpreter.
#pragma once

#include "D3D9.h"
#include "Win32Types.h"

#define D3DXERR_INVALIDDATA MAKE_HRESULT_VALUE(0x88760B59u)

#define D3DXFX_DONOTSAVESTATE (1 << 0)
#define D3DXFX_DONOTSAVESHADERSTATE (1 << 1)
#define D3DXFX_DONOTSAVESAMPLERSTATE (1 << 2)

// A parameter or technique: its name works as a handle, and so do the handles the effect
// gives out.
typedef const char *D3DXHANDLE;

struct D3DXMACRO {
    LPCSTR Name;
    LPCSTR Definition;
};

enum D3DXINCLUDE_TYPE { D3DXINC_LOCAL = 0, D3DXINC_SYSTEM = 1 };

struct ID3DXInclude {
    virtual HRESULT STDMETHODCALLTYPE Open(D3DXINCLUDE_TYPE IncludeType, LPCSTR pFileName,
                                           LPCVOID pParentData, LPCVOID *ppData, UINT *pBytes) = 0;
    virtual HRESULT STDMETHODCALLTYPE Close(LPCVOID pData) = 0;

protected:
    ~ID3DXInclude() = default;
};

struct ID3DXBuffer : IUnknown {
    virtual LPVOID STDMETHODCALLTYPE GetBufferPointer() = 0;
    virtual DWORD STDMETHODCALLTYPE GetBufferSize() = 0;

protected:
    ~ID3DXBuffer() = default;
};

// Effect pools are not supported; the type exists for the signatures.
struct ID3DXEffectPool : IUnknown {
protected:
    ~ID3DXEffectPool() = default;
};

struct ID3DXEffect : IUnknown {
    virtual D3DXHANDLE STDMETHODCALLTYPE GetParameterByName(D3DXHANDLE hParameter,
                                                            LPCSTR pName) = 0;
    virtual D3DXHANDLE STDMETHODCALLTYPE GetTechnique(UINT Index) = 0;
    virtual D3DXHANDLE STDMETHODCALLTYPE GetTechniqueByName(LPCSTR pName) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFloat(D3DXHANDLE hParameter, FLOAT f) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFloat(D3DXHANDLE hParameter, FLOAT *pf) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetTexture(D3DXHANDLE hParameter,
                                                 IDirect3DBaseTexture9 *pTexture) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTexture(D3DXHANDLE hParameter,
                                                 IDirect3DBaseTexture9 **ppTexture) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetTechnique(D3DXHANDLE hTechnique) = 0;
    virtual D3DXHANDLE STDMETHODCALLTYPE GetCurrentTechnique() = 0;
    virtual HRESULT STDMETHODCALLTYPE Begin(UINT *pPasses, DWORD Flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE BeginPass(UINT Pass) = 0;
    virtual HRESULT STDMETHODCALLTYPE CommitChanges() = 0;
    virtual HRESULT STDMETHODCALLTYPE EndPass() = 0;
    virtual HRESULT STDMETHODCALLTYPE End() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9 **ppDevice) = 0;

protected:
    ~ID3DXEffect() = default;
};

typedef ID3DXEffect *LPD3DXEFFECT;
typedef ID3DXBuffer *LPD3DXBUFFER;

// Loads a compiled effect file. On failure *ppEffect is null and, when ppCompilationErrors
// is given, it receives a buffer holding a NUL-terminated message (or null).
STDAPI D3DXCreateEffectFromFileW(IDirect3DDevice9 *pDevice, LPCWSTR pSrcFile,
                                 const D3DXMACRO *pDefines, ID3DXInclude *pInclude, DWORD Flags,
                                 ID3DXEffectPool *pPool, ID3DXEffect **ppEffect,
                                 ID3DXBuffer **ppCompilationErrors);

// The same from a compiled effect held in memory.
STDAPI D3DXCreateEffect(IDirect3DDevice9 *pDevice, LPCVOID pSrcData, UINT SrcDataLen,
                        const D3DXMACRO *pDefines, ID3DXInclude *pInclude, DWORD Flags,
                        ID3DXEffectPool *pPool, ID3DXEffect **ppEffect,
                        ID3DXBuffer **ppCompilationErrors);

STDAPI D3DXCreateBuffer(DWORD NumBytes, ID3DXBuffer **ppBuffer);
