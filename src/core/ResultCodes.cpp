#include "core/ResultCodes.h"

#include "core/ResultCodeTable.h"

#include <algorithm>
#include <iterator>

namespace {

#include "core/ResultCodeNames.generated.inc"

#include "core/ResultCodeDescriptions.generated.inc"

} // namespace

ResultCodeTable resultCodeNameTable() {
    return {kResultCodeNames, std::size(kResultCodeNames)};
}

ResultCodeTable resultCodeDescriptionTable() {
    return {kResultCodeDescriptions, std::size(kResultCodeDescriptions)};
}

const char16_t *findResultCode(ResultCodeTable table, uint32_t code) {
    const ResultCodeEntry *row = std::lower_bound(
        table.begin(), table.end(), code,
        [](const ResultCodeEntry &entry, uint32_t key) { return entry.code < key; });
    if (row == table.end() || row->code != code) {
        return nullptr;
    }
    return row->text;
}

// Codes are compared bit for bit: negative HRESULTs are the rows from 0x80000000 up.
const char16_t *resultCodeName(int32_t code) {
    const char16_t *name = findResultCode(resultCodeNameTable(), static_cast<uint32_t>(code));
    return name ? name : u"Unknown";
}

const char16_t *resultCodeDescription(int32_t code) {
    const char16_t *description =
        findResultCode(resultCodeDescriptionTable(), static_cast<uint32_t>(code));
    return description ? description : u"n/a";
}
