// The constant table (CTAB) of a shader: which parameter name lives in which registers.
#include <cstring>

#include "ShaderProgram.h"

namespace software::d3d {
namespace {

constexpr size_t kHeaderSize = 28;
constexpr size_t kEntrySize = 20;

uint32_t word(const uint8_t *data, size_t offset) {
    uint32_t value;
    std::memcpy(&value, data + offset, 4);
    return value;
}

uint16_t half(const uint8_t *data, size_t offset) {
    uint16_t value;
    std::memcpy(&value, data + offset, 2);
    return value;
}

// The NUL-terminated string at `offset`, if it ends inside the table.
bool stringAt(const uint8_t *data, size_t size, uint32_t offset, std::string &text) {
    if (offset >= size)
        return false;
    const void *end = std::memchr(data + offset, 0, size - offset);
    if (!end)
        return false;
    text.assign(reinterpret_cast<const char *>(data + offset),
                static_cast<const uint8_t *>(end) - (data + offset));
    return true;
}

} // namespace

bool readConstantTable(const uint8_t *data, size_t size, std::vector<ConstantTableEntry> &table) {
    table.clear();
    if (size < kHeaderSize || word(data, 0) != kHeaderSize)
        return false;
    uint32_t count = word(data, 12);
    uint32_t entries = word(data, 16);
    if (entries > size || count > (size - entries) / kEntrySize)
        return false;
    for (uint32_t i = 0; i < count; ++i) {
        size_t at = entries + size_t(i) * kEntrySize;
        ConstantTableEntry entry;
        if (!stringAt(data, size, word(data, at), entry.name))
            return false;
        entry.registerSet = half(data, at + 4);
        entry.registerIndex = half(data, at + 6);
        entry.registerCount = half(data, at + 8);
        table.push_back(std::move(entry));
    }
    return true;
}

} // namespace software::d3d
