// The frame hand-over's rules: which frames the bus monitor may queue, how a
// 16-bit grey frame is shown, and the status line's rate.
#include <gtest/gtest.h>

#include <cstring>

#include "views/AcquisitionRules.h"

namespace {

using acquisition::DisplayType;
using acquisition::FrameRate;
using acquisition::MayKeepFrame;

TEST(AcquisitionRules, KeepsFramesOnlyWhileTheDriverHoldsTwoBuffers) {
    struct Case {
        std::uint32_t granted;
        bool countKnown;
        std::uint32_t posted;
        bool keep;
    };
    const Case cases[] = {
        {3, false, 0, true},    // few buffers: every frame is shown
        {4, true, 0, true},     //
        {10, true, 1, false},   // the driver would be left with one buffer
        {10, true, 2, true},    //
        {7, true, 6, true},     //
        {10, false, 9, false},  // the driver could not say
    };
    for (const Case& c : cases) {
        const std::uint32_t* posted = c.countKnown ? &c.posted : nullptr;
        EXPECT_EQ(MayKeepFrame(c.granted, posted), c.keep)
            << "granted " << c.granted << ", posted " << c.posted;
    }
}

TEST(AcquisitionRules, CaptureModeOneTakesOnlyRequestedFrames) {
    EXPECT_TRUE(acquisition::WantsFrame(0, false));
    EXPECT_TRUE(acquisition::WantsFrame(0, true));
    EXPECT_FALSE(acquisition::WantsFrame(1, false));
    EXPECT_TRUE(acquisition::WantsFrame(1, true));
}

TEST(AcquisitionRules, SixteenBitGreyIsShownAsChosen) {
    EXPECT_EQ(DisplayType(FrameType::Y16, false, false, 0), FrameType::Y16);
    EXPECT_EQ(DisplayType(FrameType::Y16, true, true, 2), FrameType::Y16Swapped);
    for (std::uint8_t pattern = 0; pattern < 4; ++pattern) {
        EXPECT_EQ(static_cast<int>(DisplayType(FrameType::Y16, false, true, pattern)), 9 + pattern);
    }
    // Other frames are never touched.
    EXPECT_EQ(DisplayType(FrameType::Yuv422, true, true, 1), FrameType::Yuv422);
    EXPECT_EQ(DisplayType(FrameType::Y8, true, false, 0), FrameType::Y8);
}

TEST(AcquisitionRules, RateCountsShownAndSkippedFramesSinceTheStart) {
    double rate = 0;
    // The 15th frame 2000 ms after the start with 5 skipped.
    ASSERT_TRUE(FrameRate(15, 5, 1000, 3000, &rate));
    char text[32];
    acquisition::FormatRate(rate, text);
    EXPECT_STREQ(text, "10.00");

    // Across the tick counter's wrap.
    ASSERT_TRUE(FrameRate(31, 0, 0xFFFFFC18u, 0x000003E8u, &rate));  // 2000 ms
    EXPECT_DOUBLE_EQ(rate, 15.5);

    // Counts beyond 32 bits together do not wrap.
    ASSERT_TRUE(FrameRate(0xFFFFFFFFu, 1, 0, 1000, &rate));
    EXPECT_DOUBLE_EQ(rate, 4294967296.0);

    // No time has passed: no rate rather than a division by zero.
    EXPECT_FALSE(FrameRate(15, 0, 500, 500, &rate));
}

TEST(AcquisitionRules, RateIsRefreshedEverySixteenFrames) {
    for (std::uint32_t seen = 0; seen < 64; ++seen) {
        const bool expected = seen == 15 || seen == 31 || seen == 47 || seen == 63;
        EXPECT_EQ(acquisition::IsRateRefresh(seen), expected) << seen;
    }
}

}  // namespace
