// The generated tables as a whole: ordering, coverage, character set and size per family.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ResultCodeText.h"
#include "core/ResultCodeTable.h"

namespace {

const char *const kJoiner = " & ";

std::vector<std::string> parts(const std::string &name) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t at; (at = name.find(kJoiner, start)) != std::string::npos;
         start = at + std::char_traits<char>::length(kJoiner))
        out.push_back(name.substr(start, at - start));
    out.push_back(name.substr(start));
    return out;
}

bool startsWith(const std::string &text, const char *prefix) {
    return text.rfind(prefix, 0) == 0;
}

struct Family {
    const char *name;
    std::vector<const char *> prefixes;
    size_t names;
    size_t descriptions;
};

// Counts of the tables as generated from mingw-w64 10's headers; a family judged by the
// first of a joined name's parts, every name without a DirectX prefix being Windows'.
const std::vector<Family> kFamilies = {
    {"Direct3D 9", {"D3DERR_", "D3DOK_"}, 29, 29},
    {"D3DX 9", {"D3DXERR_", "D3DXFERR_"}, 27, 27},
    {"DirectX files", {"DXFILEERR_"}, 27, 27},
    {"DirectDraw", {"DDERR_"}, 113, 113},
    {"DirectSound", {"DSERR_", "DS_"}, 18, 18},
    {"DirectInput", {"DIERR_"}, 15, 15},
    {"DirectShow", {"VFW_", "MS_"}, 148, 148},
    {"DMO", {"DMO_"}, 0, 0},
    {"DXGI", {"DXGI_"}, 42, 42},
    {"Direct3D 10 and 11", {"D3D10_", "D3D11_"}, 6, 6},
    {"Direct2D and DirectWrite", {"D2DERR_", "DWRITE_"}, 63, 63},
    {"XAudio2", {"XAUDIO2_", "XAPO_"}, 4, 4},
    {"XACT engine", {"XACTENGINE_"}, 36, 36},
    {"DXUT", {"DXUTERR_"}, 0, 0},
};
const char *const kWindows = "Windows";
const size_t kWindowsNames = 5708;
const size_t kWindowsDescriptions = 34;

std::string familyOf(const std::string &name) {
    const std::string first = parts(name).front();
    for (const Family &family : kFamilies)
        for (const char *prefix : family.prefixes)
            if (startsWith(first, prefix))
                return family.name;
    return kWindows;
}

void expectStrictlyAscending(ResultCodeTable table) {
    ASSERT_GT(table.size, 0u);
    for (size_t i = 1; i < table.size; ++i)
        ASSERT_LT(table.rows[i - 1].code, table.rows[i].code) << "row " << i;
}

TEST(ResultCodeTable, SortedWithoutDuplicateKeys) {
    expectStrictlyAscending(resultCodeNameTable());
    expectStrictlyAscending(resultCodeDescriptionTable());
}

TEST(ResultCodeTable, EveryRowIsFoundByBisection) {
    for (ResultCodeTable table : {resultCodeNameTable(), resultCodeDescriptionTable()}) {
        for (const ResultCodeEntry &row : table) {
            ASSERT_EQ(findResultCode(table, row.code), row.text) << std::hex << row.code;
            // The key just above a row that has no row of its own is absent.
            const bool nextIsRow = &row + 1 != table.end() && (&row + 1)->code == row.code + 1;
            if (row.code != 0xFFFFFFFF && !nextIsRow) {
                ASSERT_EQ(findResultCode(table, row.code + 1), nullptr) << std::hex << row.code;
            }
        }
    }
    EXPECT_EQ(findResultCode(resultCodeNameTable(), 0xFFFFFFFF), nullptr);
}

TEST(ResultCodeTable, TextsArePrintableAsciiMacroNames) {
    size_t longestName = 0;
    for (const ResultCodeEntry &row : resultCodeNameTable()) {
        const std::string name = narrowText(row.text);
        longestName = std::max(longestName, name.size());
        for (const std::string &part : parts(name)) {
            ASSERT_FALSE(part.empty()) << name;
            ASSERT_TRUE(part[0] >= 'A' && part[0] <= 'Z') << name;
            for (char c : part)
                ASSERT_TRUE((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_') << name;
        }
    }
    size_t longestDescription = 0;
    for (const ResultCodeEntry &row : resultCodeDescriptionTable()) {
        size_t length = 0;
        for (const char16_t *c = row.text; *c; ++c, ++length)
            ASSERT_TRUE(*c >= 0x20 && *c < 0x7F) << std::hex << row.code;
        longestDescription = std::max(longestDescription, length);
    }
    EXPECT_EQ(longestName, 74u);
    EXPECT_EQ(longestDescription, 309u);
}

TEST(ResultCodeTable, DescribedCodesAreNamedAndOnlyTwoAreEmpty) {
    std::set<uint32_t> empty;
    for (const ResultCodeEntry &row : resultCodeDescriptionTable()) {
        EXPECT_NE(nameOf(row.code), "Unknown") << std::hex << row.code;
        if (!*row.text)
            empty.insert(row.code);
    }
    EXPECT_EQ(empty, (std::set<uint32_t>{0x087A0004, 0x087A0006}));
}

TEST(ResultCodeTable, ThirteenJoinedNamesInFamilyOrder) {
    std::set<uint32_t> joined;
    for (const ResultCodeEntry &row : resultCodeNameTable()) {
        const std::vector<std::string> names = parts(narrowText(row.text));
        if (names.size() == 1)
            continue;
        joined.insert(row.code);
        ASSERT_LE(names.size(), 3u);
        EXPECT_TRUE(startsWith(names[0], "DIERR_")) << names[0];
        EXPECT_TRUE(startsWith(names[1], "VFW_") || startsWith(names[1], "MS_")) << names[1];
        const bool dmoShares = row.code >= 0x80040201 && row.code <= 0x80040206;
        EXPECT_EQ(names.size(), dmoShares ? 3u : 2u) << std::hex << row.code;
        if (names.size() == 3) {
            EXPECT_TRUE(startsWith(names[2], "DMO_")) << names[2];
        }
    }
    std::set<uint32_t> expected{0x80040401};
    for (uint32_t code = 0x80040200; code <= 0x8004020B; ++code)
        expected.insert(code);
    EXPECT_EQ(joined, expected);
}

TEST(ResultCodeTable, Win32ErrorsAppearTwiceAlike) {
    const std::set<uint32_t> comForms{5, 6, 14, 87};
    const std::set<uint32_t> plainOnly{200, 201};
    size_t pairs = 0;
    for (const ResultCodeEntry &row : resultCodeNameTable()) {
        if (row.code < 2 || row.code > 0xFFFF)
            continue;
        const uint32_t hresult = 0x80070000 | row.code;
        SCOPED_TRACE(row.code);
        if (plainOnly.count(row.code)) {
            EXPECT_EQ(nameOf(hresult), "Unknown");
        } else if (comForms.count(row.code)) {
            EXPECT_TRUE(startsWith(nameOf(hresult), "E_")) << nameOf(hresult);
        } else {
            EXPECT_EQ(nameOf(hresult), nameOf(row.code));
            EXPECT_EQ(descriptionOf(hresult), descriptionOf(row.code));
            ++pairs;
        }
    }
    EXPECT_GT(pairs, 1900u);
}

TEST(ResultCodeTable, CountsPerFamily) {
    std::map<std::string, size_t> names, descriptions;
    std::set<std::string> distinctNames;
    for (const ResultCodeEntry &row : resultCodeNameTable()) {
        const std::string name = narrowText(row.text);
        ++names[familyOf(name)];
        distinctNames.insert(name);
    }
    std::set<std::string> distinctDescriptions;
    for (const ResultCodeEntry &row : resultCodeDescriptionTable()) {
        ++descriptions[familyOf(nameOf(row.code))];
        if (*row.text)
            distinctDescriptions.insert(narrowText(row.text));
    }
    for (const Family &family : kFamilies) {
        SCOPED_TRACE(family.name);
        EXPECT_EQ(names[family.name], family.names);
        EXPECT_EQ(descriptions[family.name], family.descriptions);
    }
    EXPECT_EQ(names[kWindows], kWindowsNames);
    EXPECT_EQ(descriptions[kWindows], kWindowsDescriptions);
    EXPECT_EQ(resultCodeNameTable().size, 6236u);
    EXPECT_EQ(distinctNames.size(), 4146u);
    EXPECT_EQ(resultCodeDescriptionTable().size, 562u);
    EXPECT_EQ(distinctDescriptions.size(), 528u);
}

} // namespace
