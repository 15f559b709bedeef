// ID3DXBuffer: a block of bytes, used for the effect loader's error messages.
#pragma once

#include <string>
#include <vector>

#include "D3D9Object.h"
#include "D3DX9.h"

namespace software::d3d {

class SoftwareBuffer final : public ComObject<ID3DXBuffer> {
public:
    explicit SoftwareBuffer(size_t size) : _bytes(size, 0) {}

    LPVOID STDMETHODCALLTYPE GetBufferPointer() override { return _bytes.data(); }
    DWORD STDMETHODCALLTYPE GetBufferSize() override { return DWORD(_bytes.size()); }

private:
    std::vector<uint8_t> _bytes;
};

// A buffer holding `text` and its terminating NUL.
ID3DXBuffer *textBuffer(const std::string &text);

} // namespace software::d3d
