#include "D3DXBuffer.h"

#include <cstring>

namespace software::d3d {

ID3DXBuffer *textBuffer(const std::string &text) {
    auto *buffer = new SoftwareBuffer(text.size() + 1);
    std::memcpy(buffer->GetBufferPointer(), text.c_str(), text.size() + 1);
    return buffer;
}

} // namespace software::d3d

HRESULT D3DXCreateBuffer(DWORD NumBytes, ID3DXBuffer **ppBuffer) {
    if (!ppBuffer)
        return D3DERR_INVALIDCALL;
    *ppBuffer = new software::d3d::SoftwareBuffer(NumBytes);
    return D3D_OK;
}
