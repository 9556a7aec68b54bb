// The fixed-format mode table and the display names.
#include <gtest/gtest.h>

#include <string>

#include "camera/IidcCamera.h"
#include "camera/VideoModes.h"

namespace {

TEST(FixedFormatModes, Format0Mode7IsAnEmptyEntry) {
    const FixedFormatMode* entry = FindFixedFormatMode(0, 7);
    ASSERT_NE(nullptr, entry);
    EXPECT_EQ(0u, entry->width);
    EXPECT_EQ(0u, entry->height);
    EXPECT_EQ(0, entry->colourCode);
    for (int rate = 0; rate < 7; ++rate) {
        EXPECT_EQ(0, entry->payload[rate]) << "rate " << rate;
    }
}

TEST(FixedFormatModes, LooksUpByFormatAndMode) {
    const FixedFormatMode* entry = FindFixedFormatMode(2, 2);
    ASSERT_NE(nullptr, entry);
    EXPECT_EQ(1280u, entry->width);
    EXPECT_EQ(960u, entry->height);
    EXPECT_EQ(0, entry->colourCode);
    EXPECT_EQ(1280, entry->payload[2]);
    EXPECT_EQ(&kFixedFormatModes[1 * 8 + 4], FindFixedFormatMode(1, 4));
    EXPECT_EQ(nullptr, FindFixedFormatMode(3, 0));
    EXPECT_EQ(nullptr, FindFixedFormatMode(7, 0));
    EXPECT_EQ(nullptr, FindFixedFormatMode(0, 8));
}

TEST(FixedFormatModes, PayloadIsZeroWhereTheTableHasNone) {
    EXPECT_EQ(2560, FixedFormatPayload(0, 5, 5));
    EXPECT_EQ(0, FixedFormatPayload(0, 5, 6));
    EXPECT_EQ(0, FixedFormatPayload(0, 5, 7));
    EXPECT_EQ(0, FixedFormatPayload(0, 5, 255));
    EXPECT_EQ(0, FixedFormatPayload(3, 0, 2));
    EXPECT_EQ(0, FixedFormatPayload(1, 8, 2));
    EXPECT_EQ(0, FixedFormatPayload(1, 0, 0)) << "800 x 600 YUV-422 has no 1.875";
}

// At 8000 packets per second an image takes 3840 packets at 1.875 frames per
// second, half as many at each faster rate (4096 and down for 1024 x 768).
TEST(FixedFormatModes, PayloadsCarryOneImagePerFramePeriod) {
    for (unsigned format = 0; format < 3; ++format) {
        for (unsigned mode = 0; mode < 8; ++mode) {
            const FixedFormatMode& entry = *FindFixedFormatMode(format, mode);
            IidcCamera camera;
            camera.settings.width = entry.width;
            camera.settings.height = entry.height;
            camera.settings.colourCode = entry.colourCode;
            const std::uint32_t packetsAtSlowest = entry.width == 1024 ? 4096 : 3840;
            for (unsigned rate = 0; rate < 6; ++rate) {
                if (entry.payload[rate] == 0) {
                    continue;
                }
                EXPECT_EQ(camera.ImageSize(), entry.payload[rate] * (packetsAtSlowest >> rate))
                    << "format " << format << " mode " << mode << " rate " << rate;
            }
            EXPECT_EQ(0, entry.payload[6]) << "format " << format << " mode " << mode;
            EXPECT_EQ(0, entry.zero);
        }
    }
}

TEST(FixedFormatModes, ColourCodingsOfTheModes) {
    const std::string expected[3][8] = {
        {"YUV-444", "YUV-422", "YUV-411", "YUV-422", "RGB-8", "Y-8", "Y-16", "Y-8"},
        {"YUV-422", "RGB-8", "Y-8", "YUV-422", "RGB-8", "Y-8", "Y-16", "Y-16"},
        {"YUV-422", "RGB-8", "Y-8", "YUV-422", "RGB-8", "Y-8", "Y-16", "Y-16"}};
    for (unsigned format = 0; format < 3; ++format) {
        for (unsigned mode = 0; mode < 8; ++mode) {
            EXPECT_EQ(expected[format][mode],
                      kColourCodeNames[FindFixedFormatMode(format, mode)->colourCode])
                << "format " << format << " mode " << mode;
        }
    }
}

TEST(VideoNames, ListsInCodeOrder) {
    EXPECT_STREQ("Y-8", kColourCodeNames[0]);
    EXPECT_STREQ("YUV-411", kColourCodeNames[1]);
    EXPECT_STREQ("RGB-16", kColourCodeNames[6]);
    EXPECT_STREQ("", kColourCodeNames[7]);
    EXPECT_STREQ("1.875", kFrameRateNames[0]);
    EXPECT_STREQ("7.5", kFrameRateNames[2]);
    EXPECT_STREQ("60", kFrameRateNames[5]);
    EXPECT_STREQ("", kFrameRateNames[6]);
    EXPECT_STREQ("", kFrameRateNames[7]);
    EXPECT_STREQ("100", kSpeedNames[0]);
    EXPECT_STREQ("400", kSpeedNames[2]);
    EXPECT_STREQ("int.", kTriggerModeNames[0]);
    EXPECT_STREQ("ext.", kTriggerModeNames[1]);
}

}  // namespace
