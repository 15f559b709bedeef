// The effect loaders: D3DXCreateEffect from memory and D3DXCreateEffectFromFileW from a
// file. Failures come with a message in the error buffer, the way the effect compiler's
// messages come on Windows.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "D3DXBuffer.h"
#include "D3DXEffect.h"
#include "FxFile.h"

namespace software::d3d {
namespace {

// A compiled effect is a few kilobytes; anything this large is not one.
constexpr long kMaxEffectFileSize = 64L << 20;

void reportError(ID3DXBuffer **ppErrors, const std::string &text) {
    if (ppErrors)
        *ppErrors = textBuffer(text);
}

// wchar_t paths (UTF-32 here) as the UTF-8 that fopen takes.
std::string utf8Path(const wchar_t *path) {
    std::string out;
    for (; *path; ++path) {
        uint32_t c = uint32_t(*path);
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            c = 0xFFFD;
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

struct FileCloser {
    void operator()(FILE *file) const { std::fclose(file); }
};

bool readFile(const std::string &path, std::vector<uint8_t> &bytes, std::string &error) {
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = path + ": cannot open the file (" + std::strerror(errno) + ")";
        return false;
    }
    if (std::fseek(file.get(), 0, SEEK_END) != 0) {
        error = path + ": cannot read the file";
        return false;
    }
    long size = std::ftell(file.get());
    if (size < 0 || size > kMaxEffectFileSize || std::fseek(file.get(), 0, SEEK_SET) != 0) {
        error = path + ": not a compiled effect (size)";
        return false;
    }
    bytes.resize(size_t(size));
    if (size > 0 && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
        error = path + ": cannot read the file";
        return false;
    }
    return true;
}

HRESULT createEffect(IDirect3DDevice9 *device, const void *data, size_t size,
                     const std::string &source, ID3DXEffect **ppEffect, ID3DXBuffer **ppErrors) {
    FxFile file;
    std::string error;
    if (!parseEffectFile(static_cast<const uint8_t *>(data), size, file, error)) {
        reportError(ppErrors, source + ": " + error);
        return D3DXERR_INVALIDDATA;
    }
    HRESULT result = SoftwareEffect::create(device, std::move(file), ppEffect, error);
    if (FAILED(result))
        reportError(ppErrors, source + ": " + error);
    return result;
}

// The checks both loaders make first; clears the outputs.
bool validCall(IDirect3DDevice9 *device, ID3DXEffectPool *pool, ID3DXEffect **ppEffect,
               ID3DXBuffer **ppErrors, HRESULT *result) {
    if (ppErrors)
        *ppErrors = nullptr;
    if (ppEffect)
        *ppEffect = nullptr;
    if (!device || !ppEffect) {
        *result = D3DERR_INVALIDCALL;
        return false;
    }
    if (pool) {
        reportError(ppErrors, "effect pools are not supported");
        *result = E_NOTIMPL;
        return false;
    }
    if (injectedFailure(SoftwareD3D9Call::CreateEffect, result)) {
        reportError(ppErrors, "injected failure");
        return false;
    }
    return true;
}

} // namespace
} // namespace software::d3d

HRESULT D3DXCreateEffect(IDirect3DDevice9 *pDevice, LPCVOID pSrcData, UINT SrcDataLen,
                         const D3DXMACRO *, ID3DXInclude *, DWORD, ID3DXEffectPool *pPool,
                         ID3DXEffect **ppEffect, ID3DXBuffer **ppCompilationErrors) {
    using namespace software::d3d;
    HRESULT result;
    if (!validCall(pDevice, pPool, ppEffect, ppCompilationErrors, &result))
        return result;
    if (!pSrcData || SrcDataLen == 0)
        return D3DERR_INVALIDCALL;
    return createEffect(pDevice, pSrcData, SrcDataLen, "(memory)", ppEffect, ppCompilationErrors);
}

HRESULT D3DXCreateEffectFromFileW(IDirect3DDevice9 *pDevice, LPCWSTR pSrcFile, const D3DXMACRO *,
                                  ID3DXInclude *, DWORD, ID3DXEffectPool *pPool,
                                  ID3DXEffect **ppEffect, ID3DXBuffer **ppCompilationErrors) {
    using namespace software::d3d;
    HRESULT result;
    if (!validCall(pDevice, pPool, ppEffect, ppCompilationErrors, &result))
        return result;
    if (!pSrcFile)
        return D3DERR_INVALIDCALL;
    std::string path = utf8Path(pSrcFile);
    std::vector<uint8_t> bytes;
    std::string error;
    if (!readFile(path, bytes, error)) {
        reportError(ppCompilationErrors, error);
        return D3DXERR_INVALIDDATA;
    }
    return createEffect(pDevice, bytes.data(), bytes.size(), path, ppEffect, ppCompilationErrors);
}
