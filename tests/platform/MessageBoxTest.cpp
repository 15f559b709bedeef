#include <gtest/gtest.h>

#include "Platform.h"

namespace {

TEST(MessageBox, WritesCaptionAndTextToStandardErrorAsUtf8) {
    ::testing::internal::CaptureStderr();
    const int answer = MessageBoxW(nullptr, L"Fichier \u00e9chou\u00e9 \u2192 \U0001F3B5",
                                   L"Quenvo", MB_OK | MB_ICONWARNING);
    const std::string written = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(answer, IDOK);
    EXPECT_EQ(written, "Quenvo: Fichier \xc3\xa9"
                       "chou\xc3\xa9 \xe2\x86\x92 \xf0\x9f\x8e\xb5\n");

    ::testing::internal::CaptureStderr();
    MessageBoxW(nullptr, nullptr, nullptr, MB_OK);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Error: \n");
}

TEST(MessageBox, CapturedBoxesAreRecordedInOrderAndNotWritten) {
    softwareCaptureMessageBoxes(true);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxW(nullptr, L"first", L"Quenvo", MB_OK | MB_ICONWARNING), IDOK);
    EXPECT_EQ(MessageBoxW(nullptr, L"second", L"Other", MB_OK), IDOK);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    softwareCaptureMessageBoxes(false);

    const std::vector<SoftwareMessageBox> boxes = softwareTakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, L"Quenvo");
    EXPECT_EQ(boxes[0].text, L"first");
    EXPECT_EQ(boxes[0].type, 0x30u);
    EXPECT_EQ(boxes[1].caption, L"Other");
    EXPECT_EQ(boxes[1].type, MB_OK);
    EXPECT_TRUE(softwareTakeMessageBoxes().empty());
}

} // namespace
