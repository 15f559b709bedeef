// The lookups row by row: the codes a log is most likely to show, and the rules that
// decide which name a shared or Win32 code gets.
#include <gtest/gtest.h>

#include "ResultCodeText.h"

namespace {

struct Row {
    uint32_t code;
    const char *name;
    const char *description;
};

TEST(ResultCodeLookup, TellingRows) {
    const Row rows[] = {
        {0x00000000, "S_OK", "The function completed successfully"},
        {0x00000001, "S_FALSE", "Call successful, but returned FALSE"},
        {0x00000002, "ERROR_FILE_NOT_FOUND", "The system cannot find the file specified."},
        {0x80004005, "E_FAIL", "An undetermined error occurred"},
        {0x8000FFFF, "E_UNEXPECTED", "Catastrophic failure"},
        {0x8007000E, "E_OUTOFMEMORY", "Ran out of memory"},
        {0x80070057, "E_INVALIDARG", "An invalid parameter was passed to the returning function"},
        {0x8876017C, "D3DERR_OUTOFVIDEOMEMORY", "Out of video memory"},
        {0x88760868, "D3DERR_DEVICELOST", "Device lost"},
        {0x8876086C, "D3DERR_INVALIDCALL", "Invalid call"},
        {0x88760B59, "D3DXERR_INVALIDDATA", "Invalid data"},
        {0x887A0005, "DXGI_ERROR_DEVICE_REMOVED", "Hardware device removed."},
        {0x88960001, "XAUDIO2_E_INVALID_CALL", "Invalid XAudio2 API call or arguments"},
        {0x88960004, "XAUDIO2_E_DEVICE_INVALIDATED",
         "Device invalidated (unplugged, disabled, etc)"},
        {0x80041001, "WBEM_E_FAILED", "n/a"},
        {0x12345678, "Unknown", "n/a"},
        // Results the library's own calls can produce.
        {0x80040154, "REGDB_E_CLASSNOTREG", "Class not registered"},
        {0x800401F0, "CO_E_NOTINITIALIZED", "CoInitialize has not been called."},
        {0x88960002, "XAUDIO2_E_XMA_DECODER_ERROR",
         "The Xbox 360 XMA hardware suffered an unrecoverable error"},
        {0x88760869, "D3DERR_DEVICENOTRESET", "Device not reset"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << row.code);
        EXPECT_EQ(nameOf(row.code), row.name);
        EXPECT_EQ(descriptionOf(row.code), row.description);
    }
}

TEST(ResultCodeLookup, Win32NumbersAndTheirHresultForms) {
    EXPECT_EQ(nameOf(0x80070001), "ERROR_INVALID_FUNCTION");
    EXPECT_EQ(nameOf(3), "ERROR_PATH_NOT_FOUND");
    EXPECT_EQ(nameOf(0x80070003), "ERROR_PATH_NOT_FOUND");
    EXPECT_EQ(descriptionOf(3), "The system cannot find the path specified.");
    EXPECT_EQ(descriptionOf(0x80070003), "The system cannot find the path specified.");
    EXPECT_EQ(nameOf(0x80070002), nameOf(2));
    EXPECT_EQ(descriptionOf(0x80070002), descriptionOf(2));

    // The COM names take the HRESULT forms of four Win32 errors.
    const Row comForms[] = {
        {5, "ERROR_ACCESS_DENIED", "E_ACCESSDENIED"},
        {6, "ERROR_INVALID_HANDLE", "E_HANDLE"},
        {14, "ERROR_OUTOFMEMORY", "E_OUTOFMEMORY"},
        {87, "ERROR_INVALID_PARAMETER", "E_INVALIDARG"},
    };
    for (const Row &row : comForms) {
        SCOPED_TRACE(row.code);
        EXPECT_EQ(nameOf(row.code), row.name);
        EXPECT_EQ(nameOf(0x80070000 | row.code), row.description);
    }
    EXPECT_EQ(descriptionOf(14), "Not enough storage is available to complete this operation.");

    // 200 and 201 are plain numbers only.
    EXPECT_EQ(nameOf(200), "ERROR_RING2SEG_MUST_BE_MOVABLE");
    EXPECT_EQ(nameOf(201), "ERROR_RELOC_CHAIN_XEEDS_SEGLIM");
    EXPECT_EQ(nameOf(0x800700C8), "Unknown");
    EXPECT_EQ(nameOf(0x800700C9), "Unknown");
    EXPECT_EQ(nameOf(0x800700CA), nameOf(202));

    // Codes that DirectInput defines as Win32 HRESULT forms keep the Win32 name.
    EXPECT_EQ(nameOf(0x80070015), "ERROR_NOT_READY");
    EXPECT_EQ(descriptionOf(0x80070015), "n/a");
}

TEST(ResultCodeLookup, SharedValuesJoinOrChooseOneName) {
    EXPECT_EQ(nameOf(0x80040205),
              "DIERR_NOTEXCLUSIVEACQUIRED & VFW_E_FILTER_ACTIVE & DMO_E_TYPE_NOT_ACCEPTED");
    EXPECT_EQ(descriptionOf(0x80040205),
              "The operation cannot be performed unless the device is acquired in "
              "DISCL_EXCLUSIVE mode. & This operation cannot be performed because the filter "
              "is active.");
    EXPECT_EQ(nameOf(0x80040200), "DIERR_INSUFFICIENTPRIVS & VFW_E_INVALIDMEDIATYPE");
    EXPECT_EQ(nameOf(0x8004020B), "DIERR_MAPFILEFAIL & VFW_E_RUNTIME_ERROR");
    EXPECT_EQ(nameOf(0x80040401), "DIERR_CANCELLED & MS_E_SAMPLEALLOC");
    EXPECT_EQ(nameOf(0x80040402), "DIERR_BADINF");
    EXPECT_EQ(descriptionOf(0x80040402),
              "The INF file for the selected device could not be found or is invalid or is "
              "damaged. & The specified purpose ID can't be used for the call.");
    // Past the DirectInput range DirectShow's names stand alone, ahead of COM+ events'.
    EXPECT_EQ(nameOf(0x8004020C), "VFW_E_BUFFER_NOTSET");

    EXPECT_EQ(nameOf(0x8876021C), "DDERR_WASSTILLDRAWING");
    EXPECT_EQ(nameOf(0x80040110), "CLASS_E_NOAGGREGATION");
}

TEST(ResultCodeLookup, DescriptionsMissingEmptyOrAbsent) {
    EXPECT_EQ(nameOf(0x087A0004), "DXGI_STATUS_NO_REDIRECTION");
    EXPECT_EQ(descriptionOf(0x087A0004), "");
    EXPECT_EQ(nameOf(0x087A0006), "DXGI_STATUS_GRAPHICS_VIDPN_SOURCE_IN_USE");
    EXPECT_EQ(descriptionOf(0x087A0006), "");
    EXPECT_EQ(descriptionOf(0x087A0001), "The target window or output has been occluded. The "
                                         "application should suspend rendering operations if "
                                         "possible.");

    // Keys next to real ones, and the ends of the 32-bit range.
    for (uint32_t code : {0x12345678u, 0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 0x8876086Eu,
                          0x88960000u, 0x88960005u}) {
        SCOPED_TRACE(testing::Message() << std::hex << code);
        EXPECT_EQ(nameOf(code), "Unknown");
        EXPECT_EQ(descriptionOf(code), "n/a");
    }
}

TEST(ResultCodeLookup, ResultsPointIntoConstantData) {
    EXPECT_EQ(resultCodeName(0x12345678), resultCodeName(0x7FFFFFFF));
    EXPECT_EQ(resultCodeName(int32_t(0x8876086C)), resultCodeName(int32_t(0x8876086C)));
    EXPECT_EQ(resultCodeDescription(0x12345678), resultCodeDescription(int32_t(0x80041001)));
}

} // namespace
