#include "D3D9VertexData.h"

#include <algorithm>

namespace software::d3d {

namespace {

// A declaration longer than this has lost its end marker.
constexpr size_t kMaxElements = 64;
constexpr WORD kEndStream = 0xFF;

} // namespace

UINT declTypeSize(BYTE type) {
    switch (type) {
    case D3DDECLTYPE_FLOAT1:
    case D3DDECLTYPE_D3DCOLOR:
        return 4;
    case D3DDECLTYPE_FLOAT2:
        return 8;
    case D3DDECLTYPE_FLOAT3:
        return 12;
    case D3DDECLTYPE_FLOAT4:
        return 16;
    default:
        return 0;
    }
}

HRESULT SoftwareVertexBuffer::create(IDirect3DDevice9 *device, UINT length, DWORD usage, DWORD fvf,
                                     D3DPOOL pool, IDirect3DVertexBuffer9 **ppVertexBuffer) {
    if (!ppVertexBuffer)
        return D3DERR_INVALIDCALL;
    *ppVertexBuffer = nullptr;
    HRESULT injected;
    if (injectedFailure(SoftwareD3D9Call::CreateVertexBuffer, &injected))
        return injected;
    if (length == 0 || length > (256u << 20) || pool > D3DPOOL_SCRATCH)
        return D3DERR_INVALIDCALL;
    if ((usage & D3DUSAGE_DYNAMIC) != 0 && pool == D3DPOOL_MANAGED)
        return D3DERR_INVALIDCALL;
    *ppVertexBuffer = new SoftwareVertexBuffer(device, length, usage, fvf, pool);
    return D3D_OK;
}

SoftwareVertexBuffer::SoftwareVertexBuffer(IDirect3DDevice9 *device, UINT length, DWORD usage,
                                           DWORD fvf, D3DPOOL pool)
    : ComObject(device),
      _device(device), _desc{D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage, pool, length, fvf},
      _bytes(length, 0) {}

HRESULT SoftwareVertexBuffer::GetDevice(IDirect3DDevice9 **ppDevice) {
    return handOutDevice(_device, ppDevice);
}

HRESULT SoftwareVertexBuffer::Lock(UINT OffsetToLock, UINT SizeToLock, void **ppbData,
                                   DWORD Flags) {
    if (!ppbData)
        return D3DERR_INVALIDCALL;
    *ppbData = nullptr;
    HRESULT injected;
    if (injectedFailure(SoftwareD3D9Call::VertexBufferLock, &injected))
        return injected;
    if (_locked || OffsetToLock >= _bytes.size() ||
        (SizeToLock != 0 && SizeToLock > _bytes.size() - OffsetToLock))
        return D3DERR_INVALIDCALL;
    // Discarding hands out fresh memory; the old contents are undefined in Direct3D 9, and
    // here they are cleared so that a caller relying on them shows.
    if ((Flags & D3DLOCK_DISCARD) != 0 && (_desc.Usage & D3DUSAGE_DYNAMIC) != 0)
        std::fill(_bytes.begin(), _bytes.end(), 0);
    _locked = true;
    *ppbData = _bytes.data() + OffsetToLock;
    return D3D_OK;
}

HRESULT SoftwareVertexBuffer::Unlock() {
    if (!_locked)
        return D3DERR_INVALIDCALL;
    _locked = false;
    return D3D_OK;
}

HRESULT SoftwareVertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC *pDesc) {
    if (!pDesc)
        return D3DERR_INVALIDCALL;
    *pDesc = _desc;
    return D3D_OK;
}

HRESULT SoftwareVertexDeclaration::create(IDirect3DDevice9 *device,
                                          const D3DVERTEXELEMENT9 *elements,
                                          IDirect3DVertexDeclaration9 **ppDecl) {
    if (!ppDecl)
        return D3DERR_INVALIDCALL;
    *ppDecl = nullptr;
    HRESULT injected;
    if (injectedFailure(SoftwareD3D9Call::CreateVertexDeclaration, &injected))
        return injected;
    if (!elements)
        return D3DERR_INVALIDCALL;
    std::vector<D3DVERTEXELEMENT9> list;
    for (size_t i = 0; elements[i].Stream != kEndStream; ++i) {
        const D3DVERTEXELEMENT9 &element = elements[i];
        if (list.size() == kMaxElements || element.Stream >= 16 ||
            declTypeSize(element.Type) == 0 || element.Method != D3DDECLMETHOD_DEFAULT)
            return D3DERR_INVALIDCALL;
        list.push_back(element);
    }
    *ppDecl = new SoftwareVertexDeclaration(device, std::move(list));
    return D3D_OK;
}

SoftwareVertexDeclaration::SoftwareVertexDeclaration(IDirect3DDevice9 *device,
                                                     std::vector<D3DVERTEXELEMENT9> elements)
    : ComObject(device), _device(device), _elements(std::move(elements)) {}

HRESULT SoftwareVertexDeclaration::GetDevice(IDirect3DDevice9 **ppDevice) {
    return handOutDevice(_device, ppDevice);
}

HRESULT SoftwareVertexDeclaration::GetDeclaration(D3DVERTEXELEMENT9 *pElement, UINT *pNumElements) {
    if (!pNumElements)
        return D3DERR_INVALIDCALL;
    UINT count = UINT(_elements.size()) + 1;
    if (pElement) {
        std::copy(_elements.begin(), _elements.end(), pElement);
        pElement[_elements.size()] = D3DVERTEXELEMENT9 D3DDECL_END();
    }
    *pNumElements = count;
    return D3D_OK;
}

} // namespace software::d3d
