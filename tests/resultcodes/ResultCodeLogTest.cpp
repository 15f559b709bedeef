// Result-code texts as the failure log shows them: whole, joined names included.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/TraceLog.h"
#include "support/TextFiles.h"

namespace {

TEST(ResultCodeLog, LongestNameAndDescriptionAreWrittenWhole) {
    const char *path = "resultcodes_log.txt";
    std::remove(path);
    {
        TraceLog log(path);
        log.failure(int32_t(0x80040205), "Quenvo", 153,
                    "XAudio2Create( &_pXAudio2, 0, XAUDIO2_DEFAULT_PROCESSOR )");
        log.failure(int32_t(0x8004020A), "TheoraVideo", 315,
                    "_pMovieYTex->LockRect(0, &tex, 0, 0)");
        log.failure(int32_t(0x087A0004), "GPUVideoRender", 30, "destSurf->Release()");
    }
    const std::string expected =
        "\n1> Quenvo.cpp(153) : Failed XAudio2Create( &_pXAudio2, 0, XAUDIO2_DEFAULT_PROCESSOR ): "
        "DIERR_NOTEXCLUSIVEACQUIRED & VFW_E_FILTER_ACTIVE & DMO_E_TYPE_NOT_ACCEPTED\n\t\t"
        "The operation cannot be performed unless the device is acquired in DISCL_EXCLUSIVE "
        "mode. & This operation cannot be performed because the filter is active."
        "\n2> TheoraVideo.cpp(315) : Failed _pMovieYTex->LockRect(0, &tex, 0, 0): "
        "DIERR_REPORTFULL & VFW_E_NO_ALLOCATOR\n\t\t"
        "SendDeviceData failed because more information was requested to be sent than can be "
        "sent to the device.  Some devices have restrictions on how much data can be sent to "
        "them.  (For example, there might be a limit on the number of buttons that can be "
        "pressed at once.) & No sample buffer allocator is available."
        "\n3> GPUVideoRender.cpp(30) : Failed destSurf->Release(): "
        "DXGI_STATUS_NO_REDIRECTION\n\t\t";
    EXPECT_EQ(testsupport::readFile(path), expected);
}

} // namespace
