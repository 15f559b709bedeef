// Vertex buffers and vertex declarations of the software device.
#pragma once

#include <vector>

#include "D3D9.h"
#include "D3D9Object.h"

namespace software::d3d {

class SoftwareVertexBuffer final : public ComObject<IDirect3DVertexBuffer9> {
public:
    static HRESULT create(IDirect3DDevice9 *device, UINT length, DWORD usage, DWORD fvf,
                          D3DPOOL pool, IDirect3DVertexBuffer9 **ppVertexBuffer);

    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9 **ppDevice) override;
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
    HRESULT STDMETHODCALLTYPE Lock(UINT OffsetToLock, UINT SizeToLock, void **ppbData,
                                   DWORD Flags) override;
    HRESULT STDMETHODCALLTYPE Unlock() override;
    HRESULT STDMETHODCALLTYPE GetDesc(D3DVERTEXBUFFER_DESC *pDesc) override;

    const std::vector<uint8_t> &bytes() const { return _bytes; }

private:
    SoftwareVertexBuffer(IDirect3DDevice9 *device, UINT length, DWORD usage, DWORD fvf,
                         D3DPOOL pool);

    IDirect3DDevice9 *_device;
    D3DVERTEXBUFFER_DESC _desc;
    std::vector<uint8_t> _bytes;
    bool _locked = false;
};

class SoftwareVertexDeclaration final : public ComObject<IDirect3DVertexDeclaration9> {
public:
    static HRESULT create(IDirect3DDevice9 *device, const D3DVERTEXELEMENT9 *elements,
                          IDirect3DVertexDeclaration9 **ppDecl);

    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9 **ppDevice) override;
    HRESULT STDMETHODCALLTYPE GetDeclaration(D3DVERTEXELEMENT9 *pElement,
                                             UINT *pNumElements) override;

    // The elements, without the end marker.
    const std::vector<D3DVERTEXELEMENT9> &elements() const { return _elements; }

private:
    SoftwareVertexDeclaration(IDirect3DDevice9 *device, std::vector<D3DVERTEXELEMENT9> elements);

    IDirect3DDevice9 *_device;
    std::vector<D3DVERTEXELEMENT9> _elements;
};

// Bytes an element of this declaration type occupies; 0 for types the device cannot read.
UINT declTypeSize(BYTE type);

} // namespace software::d3d
