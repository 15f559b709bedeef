#include "gpu/EffectMessage.h"

#include <cstdio>
#include <cstring>

namespace {

std::wstring loaderText(ID3DXBuffer *errors) {
    if (!errors) {
        return {};
    }
    const auto *bytes = static_cast<const unsigned char *>(errors->GetBufferPointer());
    if (!bytes) {
        return {};
    }
    std::wstring text;
    for (DWORD i = 0, size = errors->GetBufferSize(); i < size && bytes[i] != 0; ++i) {
        text.push_back(static_cast<wchar_t>(bytes[i]));
    }
    return text;
}

} // namespace

std::wstring effectLoadMessage(ID3DXBuffer *errors, const std::wstring &effectFile, HRESULT hr) {
    std::wstring text = loaderText(errors);
    if (!text.empty()) {
        return text;
    }
    char code[16];
    std::snprintf(code, sizeof(code), "0x%08X", static_cast<unsigned>(hr));
    return L"The effect file \"" + effectFile + L"\" could not be loaded (result " +
           std::wstring(code, code + std::strlen(code)) + L").";
}
