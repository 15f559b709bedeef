// The effect parser against damaged and hostile files: every damaged variant is refused
// with a failure code and a message, or loads and runs; none reads outside the file.
// Run under AddressSanitizer to see the second half of that promise.
#include <gtest/gtest.h>

#include <cstring>

#include "D3DTestSupport.h"

using namespace d3dtest;

namespace {

const std::string kEffectFile = std::string(QNV_EFFECT_DIR) + "/ycbcr2rgb.fxo";

uint32_t wordAt(const std::vector<uint8_t> &bytes, size_t offset) {
    uint32_t value;
    std::memcpy(&value, &bytes[offset], 4);
    return value;
}

std::vector<uint8_t> withWord(std::vector<uint8_t> bytes, size_t offset, uint32_t value) {
    std::memcpy(&bytes[offset], &value, 4);
    return bytes;
}

// Byte offsets of the records of the structured part, found by walking the good file.
struct Layout {
    size_t counts = 0; // parameter count, technique count, unused, object count
    size_t firstParameter = 0;
    size_t firstTechnique = 0;
    size_t firstPass = 0;
    size_t firstPassState = 0;
    size_t tailCounts = 0; // object-init count, resource count
    size_t firstResource = 0;
};

Layout walk(const std::vector<uint8_t> &file) {
    Layout at;
    at.counts = 8 + wordAt(file, 4);
    uint32_t parameters = wordAt(file, at.counts), techniques = wordAt(file, at.counts + 4);
    at.firstParameter = at.counts + 16;
    size_t p = at.firstParameter + 16 * size_t(parameters); // no annotations in our file
    at.firstTechnique = p;
    for (uint32_t t = 0; t < techniques; ++t) {
        uint32_t passes = wordAt(file, p + 8);
        p += 12;
        for (uint32_t k = 0; k < passes; ++k) {
            if (t == 0 && k == 0) {
                at.firstPass = p;
                at.firstPassState = p + 12;
            }
            p += 12 + 16 * size_t(wordAt(file, p + 8));
        }
    }
    at.tailCounts = p;
    uint32_t inits = wordAt(file, p);
    p += 8;
    for (uint32_t i = 0; i < inits; ++i)
        p += 8 + ((size_t(wordAt(file, p + 4)) + 3) & ~size_t(3));
    at.firstResource = p;
    return at;
}

struct DamageFixture : ::testing::Test {
    Ref<IDirect3DDevice9> device{CreateSoftwareDevice9(8, 8, FALSE)};
    std::vector<uint8_t> good = readFile(kEffectFile);

    // Loads `bytes`; a loaded effect is run through one frame so that what it read is used.
    HRESULT load(const std::vector<uint8_t> &bytes, std::string *message = nullptr) {
        Ref<ID3DXEffect> effect;
        Ref<ID3DXBuffer> errors;
        HRESULT hr = D3DXCreateEffect(device.get(), bytes.data(), UINT(bytes.size()), nullptr,
                                      nullptr, 0, nullptr, effect.out(), errors.out());
        if (FAILED(hr)) {
            EXPECT_EQ(nullptr, effect.get());
            if (message && errors.get())
                *message = static_cast<const char *>(errors->GetBufferPointer());
            return hr;
        }
        EXPECT_EQ(nullptr, errors.get());
        UINT passes = 0;
        if (effect->Begin(&passes, 0) == D3D_OK) {
            for (UINT p = 0; p < passes && p < 4; ++p) {
                if (SUCCEEDED(effect->BeginPass(p))) {
                    drawStrip(
                        device.get(),
                        {{-1, -1, 1, 0, 1}, {1, -1, 1, 1, 1}, {-1, 1, 1, 0, 0}, {1, 1, 1, 1, 0}});
                    effect->EndPass();
                }
            }
            effect->End();
        }
        return hr;
    }
};

} // namespace

TEST_F(DamageFixture, TheGoodFileLoads) {
    ASSERT_GT(good.size(), 200u);
    EXPECT_EQ(D3D_OK, load(good));
}

TEST_F(DamageFixture, EveryTruncationIsRefused) {
    ASSERT_FALSE(good.empty());
    for (size_t length = 1; length < good.size(); ++length) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + long(length));
        std::string message;
        ASSERT_EQ(D3DXERR_INVALIDDATA, load(cut, &message)) << "length " << length;
        ASSERT_FALSE(message.empty()) << "length " << length;
    }
    EXPECT_EQ(D3DERR_INVALIDCALL, load({}));
}

TEST_F(DamageFixture, DamagedRecordsAreRefused) {
    ASSERT_FALSE(good.empty());
    Layout at = walk(good);
    struct Damage {
        const char *what;
        size_t offset;
        uint32_t value;
    } damages[] = {
        {"tag", 0, 0xFEFF0902},
        {"area size past the end", 4, 0x7FFFFFF0},
        {"area size wraps", 4, 0xFFFFFFF8},
        {"parameter count huge", at.counts, 0x7FFFFFFF},
        {"technique count huge", at.counts + 4, 0x40000000},
        {"object count zero", at.counts + 12, 0},
        {"object count below the ids", at.counts + 12, 2},
        {"parameter type offset", at.firstParameter, 0x7FFFFFF0},
        {"parameter type offset wraps", at.firstParameter, 0xFFFFFFFC},
        {"parameter value offset", at.firstParameter + 4, 0xFFFFFFF0},
        {"annotation count huge", at.firstParameter + 12, 0x10000000},
        {"technique name offset", at.firstTechnique, 0x7FFFFFF0},
        {"pass count huge", at.firstTechnique + 8, 0x7FFFFFFF},
        {"state count huge", at.firstPass + 8, 0x0FFFFFFF},
        {"state operation unknown", at.firstPassState, 0x1000},
        {"state type offset", at.firstPassState + 8, 0x7FFFFFF0},
        {"state value offset", at.firstPassState + 12, 0x7FFFFFF0},
        {"object-init count huge", at.tailCounts, 0x7FFFFFFF},
        {"resource count huge", at.tailCounts + 4, 0x7FFFFFFF},
        {"resource technique", at.firstResource, 7},
        {"resource pass", at.firstResource + 4, 0x100},
        {"resource state", at.firstResource + 12, 0x100},
        {"resource usage", at.firstResource + 16, 2},
        {"resource size huge", at.firstResource + 20, 0x7FFFFFFF},
        {"resource size wraps", at.firstResource + 20, 0xFFFFFFFE},
    };
    for (const Damage &damage : damages) {
        SCOPED_TRACE(damage.what);
        ASSERT_LT(damage.offset + 4, good.size());
        std::string message;
        EXPECT_EQ(D3DXERR_INVALIDDATA, load(withWord(good, damage.offset, damage.value), &message));
        EXPECT_FALSE(message.empty());
    }
}

TEST_F(DamageFixture, EveryWordOfTheStructuredPartMayBeAnything) {
    ASSERT_FALSE(good.empty());
    Layout at = walk(good);
    const uint32_t values[] = {0, 1, 3, 0x80, 0xFFFF, 0x7FFFFFF0, 0xFFFFFFFF};
    int refused = 0, loaded = 0;
    for (size_t offset = at.counts; offset + 4 <= good.size(); offset += 4) {
        for (uint32_t value : values) {
            HRESULT hr = load(withWord(good, offset, value));
            ASSERT_TRUE(hr == D3D_OK || hr == D3DXERR_INVALIDDATA) << offset << " " << value;
            (SUCCEEDED(hr) ? loaded : refused)++;
        }
    }
    // Both outcomes occur: names and values may change, offsets and counts may not.
    EXPECT_GT(refused, 100);
    EXPECT_GT(loaded, 100);
}

TEST_F(DamageFixture, ScrambledBytes) {
    ASSERT_FALSE(good.empty());
    uint32_t state = 2024;
    auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return state >> 8;
    };
    for (int variant = 0; variant < 400; ++variant) {
        std::vector<uint8_t> bytes = good;
        for (int flips = 1 + variant % 8; flips > 0; --flips)
            bytes[next() % bytes.size()] = uint8_t(next());
        HRESULT hr = load(bytes);
        ASSERT_TRUE(hr == D3D_OK || hr == D3DXERR_INVALIDDATA) << "variant " << variant;
    }
}
