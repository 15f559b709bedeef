// The built effect file: the fx_2_0 tag, both shaders with their constant tables, the
// instruction encodings the shader model defines, and what the effect runtime finds in it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "SoftwareScene.h"

namespace {

using Words = std::vector<uint32_t>;

Words readWords(const char *fileName) {
    std::ifstream in(std::string(QNV_EFFECT_DIR) + "/" + fileName, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Words words(bytes.size() / 4);
    std::memcpy(words.data(), bytes.data(), words.size() * 4);
    return words;
}

// The shader that starts with `version`, up to and including its end token.
Words shaderStartingWith(const Words &file, uint32_t version) {
    auto start = std::find(file.begin(), file.end(), version);
    auto end = std::find(start, file.end(), 0x0000FFFFu);
    if (start == file.end() || end == file.end()) {
        return {};
    }
    return Words(start, end + 1);
}

bool contains(const Words &haystack, const Words &needle) {
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) !=
           haystack.end();
}

struct TableEntry {
    std::string name;
    uint16_t registerSet;
    uint16_t registerIndex;
    uint16_t registerCount;
};

// The constant table in the comment right after the version token.
std::vector<TableEntry> constantTable(const Words &shader) {
    if (shader.size() < 3 || (shader[1] & 0xFFFF) != 0xFFFE || shader[2] != 0x42415443u) {
        return {}; // no comment, or not 'CTAB'
    }
    const uint32_t words = shader[1] >> 16;
    const auto *table = reinterpret_cast<const uint8_t *>(&shader[3]);
    const size_t size = (words - 1) * 4;
    auto word = [&](size_t offset) {
        uint32_t value = 0;
        std::memcpy(&value, table + offset, 4);
        return value;
    };
    std::vector<TableEntry> entries;
    const uint32_t count = word(12), infoAt = word(16);
    for (uint32_t i = 0; i < count && infoAt + 20 * (i + 1) <= size; ++i) {
        const uint8_t *info = table + infoAt + 20 * i;
        TableEntry entry;
        uint32_t nameAt = 0;
        std::memcpy(&nameAt, info, 4);
        std::memcpy(&entry.registerSet, info + 4, 2);
        std::memcpy(&entry.registerIndex, info + 6, 2);
        std::memcpy(&entry.registerCount, info + 8, 2);
        if (nameAt < size) {
            entry.name = reinterpret_cast<const char *>(table + nameAt);
        }
        entries.push_back(entry);
    }
    return entries;
}

TEST(EffectFile, IsAnFx20EffectWithBothShaders) {
    Words file = readWords("ycbcr2rgb.fxo");
    ASSERT_GT(file.size(), 2u);
    EXPECT_EQ(file[0], 0xFEFF0901u);
    EXPECT_FALSE(shaderStartingWith(file, 0xFFFE0200u).empty()) << "no vs_2_0 shader";
    EXPECT_FALSE(shaderStartingWith(file, 0xFFFF0200u).empty()) << "no ps_2_0 shader";
}

TEST(EffectFile, VertexShaderNamesWidthAndHeightAndShiftsHalfAPixel) {
    Words vs = shaderStartingWith(readWords("ycbcr2rgb.fxo"), 0xFFFE0200u);
    auto table = constantTable(vs);
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].name, "width");
    EXPECT_EQ(table[1].name, "height");
    for (uint16_t i = 0; i < 2; ++i) {
        EXPECT_EQ(table[i].registerSet, 2); // float constants
        EXPECT_EQ(table[i].registerIndex, i);
        EXPECT_EQ(table[i].registerCount, 1);
    }
    EXPECT_TRUE(contains(vs, {0x0200001F, 0x80000000, 0x900F0000})); // dcl_position v0
    EXPECT_TRUE(contains(vs, {0x0200001F, 0x80000005, 0x900F0001})); // dcl_texcoord v1
    EXPECT_TRUE(contains(vs, {0x02000006, 0x80010000, 0xA0000000})); // rcp r0.x, c0.x
    EXPECT_TRUE(contains(vs, {0x02000006, 0x80020000, 0xA0000001})); // rcp r0.y, c1.x
    // add oPos.x, v0.x, -r0.x and add oPos.y, v0.y, r0.y
    EXPECT_TRUE(contains(vs, {0x03000002, 0xC0010000, 0x90000000, 0x81000000}));
    EXPECT_TRUE(contains(vs, {0x03000002, 0xC0020000, 0x90550000, 0x80550000}));
    EXPECT_TRUE(contains(vs, {0x02000001, 0xE00F0000, 0x90E40001})); // mov oT0, v1
}

TEST(EffectFile, PixelShaderSamplesThreePlanesAndWritesColour) {
    Words ps = shaderStartingWith(readWords("ycbcr2rgb.fxo"), 0xFFFF0200u);
    auto table = constantTable(ps);
    ASSERT_EQ(table.size(), 3u);
    const char *samplers[] = {"g_sampY", "g_sampCb", "g_sampCr"};
    for (uint16_t i = 0; i < 3; ++i) {
        EXPECT_EQ(table[i].name, samplers[i]);
        EXPECT_EQ(table[i].registerSet, 3); // samplers
        EXPECT_EQ(table[i].registerIndex, i);
        // dcl_2d s<i>, then texld r<i>, t0, s<i>
        EXPECT_TRUE(contains(ps, {0x0200001F, 0x90000000, 0xA00F0800u + i}));
        EXPECT_TRUE(contains(ps, {0x03000042, 0x800F0000u + i, 0xB0E40000, 0xA0E40800u + i}));
    }
    EXPECT_TRUE(contains(ps, {0x0200001F, 0x80000000, 0xB0030000})); // dcl t0.xy
    // mad r3, r0.x, c1, c0: Y' times its column plus the folded offsets
    EXPECT_TRUE(contains(ps, {0x04000004, 0x800F0003, 0x80000000, 0xA0E40001, 0xA0E40000}));
    EXPECT_TRUE(contains(ps, {0x02000001, 0x800F0800, 0x80E40003})); // mov oC0, r3
    // def c1, 1.164, 1.164, 1.164, 0: the Y' column of the matrix
    EXPECT_TRUE(contains(ps, {0x05000051, 0xA00F0001, 0x3F94FDF4, 0x3F94FDF4, 0x3F94FDF4, 0}));
}

TEST(EffectFile, RuntimeFindsTheParametersAndTheTechnique) {
    SoftwareScene scene(4, 4);
    ComRef<ID3DXEffect> effect;
    ASSERT_EQ(D3DXCreateEffectFromFileW(scene.device(), effectPath("ycbcr2rgb.fxo").c_str(),
                                        nullptr, nullptr, 0, nullptr, effect.out(), nullptr),
              S_OK);
    for (const char *name : {"g_texY", "g_texCb", "g_texCr", "width", "height"}) {
        EXPECT_NE(effect->GetParameterByName(nullptr, name), nullptr) << name;
    }
    EXPECT_NE(effect->GetTechniqueByName("ycbcr2rgb"), nullptr);

    ComRef<ID3DXEffect> other;
    ASSERT_EQ(D3DXCreateEffectFromFileW(scene.device(), effectPath("other_technique.fxo").c_str(),
                                        nullptr, nullptr, 0, nullptr, other.out(), nullptr),
              S_OK);
    EXPECT_EQ(other->GetTechniqueByName("ycbcr2rgb"), nullptr);
    EXPECT_NE(other->GetTechniqueByName("other"), nullptr);
}

} // namespace
