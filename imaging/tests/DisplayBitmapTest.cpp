#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "imaging/DisplayBitmap.h"
#include "imaging/FrameConversion.h"
#include "imaging/reference/ReferenceConversion.h"

// The sanitizer's allocator would otherwise stop the process on an
// impossible request instead of failing it.
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}
#endif

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Contents(const DisplayBitmap& bitmap) {
    return Bytes(bitmap.pixels(), bitmap.pixels() + bitmap.sizeInBytes());
}

TEST(DisplayBitmapTest, GreyBitmapStartsAsADiagonalRamp) {
    const DisplayBitmap small(2, 2, 1);
    ASSERT_TRUE(small.hasPixels());
    EXPECT_EQ((Bytes{0, 1, 1, 2}), Contents(small));

    const DisplayBitmap wide(300, 3, 1);
    ASSERT_TRUE(wide.hasPixels());
    EXPECT_EQ(255, wide.pixels()[255]);
    EXPECT_EQ(0, wide.pixels()[256]) << "(256, 0) wraps";
    EXPECT_EQ(0, wide.pixels()[300 + 255]) << "(255, 1) wraps";
    EXPECT_EQ(45, wide.pixels()[600 + 299]);
}

TEST(DisplayBitmapTest, ColourBitmapShowsRowNumbersInRedGreenBlueBands) {
    const std::uint32_t height = 1100;
    const DisplayBitmap bitmap(3, height, 3);
    ASSERT_TRUE(bitmap.hasPixels());
    for (std::uint32_t y = 0; y < height; ++y) {
        // Offsets: blue 0, green 1, red 2; bands red, green, blue, red, ...
        static constexpr int kBandChannel[3] = {2, 1, 0};
        Bytes pixel(3, 0);
        pixel[kBandChannel[(y / 256) % 3]] = static_cast<std::uint8_t>(y % 256);
        for (std::uint32_t x = 0; x < 3; ++x) {
            const std::uint8_t* p = bitmap.pixels() + (y * 3 + x) * 3;
            ASSERT_EQ(pixel, Bytes(p, p + 3)) << "(" << x << ", " << y << ")";
        }
    }
}

TEST(DisplayBitmapTest, Row256IsTheFirstGreenRow) {
    const DisplayBitmap bitmap(4, 300, 3);
    ASSERT_TRUE(bitmap.hasPixels());
    const std::uint8_t* row256 = bitmap.pixels() + 256 * 4 * 3;
    const std::uint8_t* row299 = bitmap.pixels() + 299 * 4 * 3;
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ((Bytes{0, 0, 0}), Bytes(row256 + x * 3, row256 + x * 3 + 3));
        EXPECT_EQ((Bytes{0, 43, 0}), Bytes(row299 + x * 3, row299 + x * 3 + 3));
    }
}

TEST(DisplayBitmapTest, ImpossibleSizesGiveABitmapWithoutPixels) {
    const DisplayBitmap overflowing(0xFFFFFFFF, 0xFFFFFFFF, 3);
    EXPECT_FALSE(overflowing.hasPixels());
    EXPECT_EQ(0u, overflowing.sizeInBytes());
    EXPECT_FALSE(DisplayBitmap(0, 10, 3).hasPixels());
    EXPECT_FALSE(DisplayBitmap(10, 10, 2).hasPixels());
}

// More memory than any process can have: the allocation itself fails.
TEST(DisplayBitmapTest, FailedAllocationGivesABitmapWithoutPixels) {
    const DisplayBitmap huge(0xFFFFFFFF, 0x7FFFFFFF, 1);
    EXPECT_FALSE(huge.hasPixels());
    EXPECT_EQ(nullptr, huge.pixels());
    EXPECT_EQ(0u, huge.sizeInBytes());
    EXPECT_STREQ("Error while allocating Videomemory.", kVideoMemoryErrorText);
}

FrameEntry Frame(FrameType type, std::uint16_t w, std::uint16_t h, Bytes& data,
                 std::uint16_t mark = 0) {
    FrameEntry entry;
    entry.bufferHandle = 7;
    entry.data = data.data();
    entry.width = w;
    entry.height = h;
    entry.frameType = type;
    entry.mark = mark;
    return entry;
}

TEST(ConvertFrameTest, ChoosesTheConversionByFrameType) {
    struct Case {
        std::uint8_t type;
        std::size_t sourceBytes;
        void (*expected)(std::uint32_t, std::uint32_t, const std::uint8_t*, std::uint8_t*);
        int bayerLayout;
    };
    const std::uint16_t w = 10, h = 6;
    const std::size_t n = w * h;
    const Case cases[] = {
        {1, n * 3 / 2, reference::ConvertYuv411, -1},
        {2, n * 2, reference::ConvertYuv422, -1},
        {3, n * 3, reference::ConvertYuv444, -1},
        {4, n * 3, reference::ConvertRgb8, -1},
        {5, n * 2, reference::ConvertY16, -1},
        {7, n * 2, reference::ConvertY16Swapped, -1},
        {9, n, nullptr, 0},
        // The camera's pattern values name "B-G G-R", "G-R B-G" and "G-B R-G".
        {10, n, nullptr, 2},
        {11, n, nullptr, 1},
        {12, n, nullptr, 3},
    };
    for (const auto& c : cases) {
        Bytes source(c.sourceBytes);
        for (std::size_t i = 0; i < source.size(); ++i) {
            source[i] = static_cast<std::uint8_t>(i * 37 + c.type);
        }
        Bytes expected(n * 3);
        if (c.expected != nullptr) {
            c.expected(w, h, source.data(), expected.data());
        } else {
            reference::ConvertBayer(w, h, source.data(), expected.data(), c.bayerLayout);
        }
        DisplayBitmap bitmap(w, h, 3);
        ASSERT_TRUE(bitmap.hasPixels());
        EXPECT_TRUE(ConvertFrame(bitmap, Frame(static_cast<FrameType>(c.type), w, h, source)))
            << "type " << int(c.type);
        EXPECT_EQ(expected, Contents(bitmap)) << "type " << int(c.type);
    }
}

TEST(ConvertFrameTest, TypesWithoutConversionKeepThePreviousImage) {
    for (const int type : {0, 6, 8, 13, 255}) {
        Bytes source(4 * 4 * 6, 0x33);
        DisplayBitmap bitmap(4, 4, 3);
        const Bytes before = Contents(bitmap);
        EXPECT_FALSE(ConvertFrame(bitmap, Frame(static_cast<FrameType>(type), 4, 4, source, 1)))
            << "type " << type;
        EXPECT_EQ(before, Contents(bitmap)) << "type " << type;
    }
}

TEST(ConvertFrameTest, FramesLargerThanTheBitmapAreNotConverted) {
    Bytes source(9 * 9 * 3, 0x44);
    DisplayBitmap bitmap(8, 8, 3);
    const Bytes before = Contents(bitmap);
    EXPECT_FALSE(ConvertFrame(bitmap, Frame(FrameType::Rgb8, 9, 8, source)));
    EXPECT_EQ(before, Contents(bitmap));
    // Fewer pixels in another shape are fine: the routines count pixels.
    EXPECT_TRUE(ConvertFrame(bitmap, Frame(FrameType::Rgb8, 16, 4, source)));
    EXPECT_EQ(Bytes(8 * 8 * 3, 0x44), Contents(bitmap));
}

TEST(ConvertFrameTest, GreyOrEmptyBitmapsAreNotConvertedInto) {
    Bytes source(4 * 4 * 3, 0x44);
    DisplayBitmap grey(4, 4, 1);
    const Bytes before = Contents(grey);
    EXPECT_FALSE(ConvertFrame(grey, Frame(FrameType::Rgb8, 4, 4, source)));
    EXPECT_EQ(before, Contents(grey));
    DisplayBitmap none(0, 0, 3);
    EXPECT_FALSE(ConvertFrame(none, Frame(FrameType::Rgb8, 0, 0, source)));
}

TEST(ConvertFrameTest, MarkedFrameShowsAWhiteSquareAtTheTopLeft) {
    const std::uint16_t w = 12, h = 10;
    Bytes source(w * h * 3, 0x10);
    DisplayBitmap bitmap(w, h, 3);
    ASSERT_TRUE(ConvertFrame(bitmap, Frame(FrameType::Rgb8, w, h, source, 1)));
    for (std::uint32_t y = 0; y < h; ++y) {
        for (std::uint32_t x = 0; x < w; ++x) {
            const std::uint8_t* p = bitmap.pixels() + (y * w + x) * 3;
            const std::uint8_t want = x < 8 && y < 8 ? 0xFF : 0x10;
            ASSERT_EQ(Bytes(3, want), Bytes(p, p + 3)) << "(" << x << ", " << y << ")";
        }
    }
    // Unmarked: no square.
    ASSERT_TRUE(ConvertFrame(bitmap, Frame(FrameType::Rgb8, w, h, source, 0)));
    EXPECT_EQ(Bytes(w * h * 3, 0x10), Contents(bitmap));
}

TEST(ConvertFrameTest, FrameMarkIsClippedToSmallImages) {
    Bytes source(5 * 3 * 3, 0x10);
    DisplayBitmap bitmap(5, 3, 3);
    ASSERT_TRUE(ConvertFrame(bitmap, Frame(FrameType::Rgb8, 5, 3, source, 0x8000)));
    EXPECT_EQ(Bytes(5 * 3 * 3, 0xFF), Contents(bitmap));

    // On a grey frame's own bytes, as the view does for Y-8 frames.
    Bytes grey(9 * 9, 0);
    DrawFrameMark(grey.data(), 9, 9, 1);
    for (std::size_t i = 0; i < grey.size(); ++i) {
        EXPECT_EQ(i % 9 < 8 && i / 9 < 8 ? 0xFF : 0, grey[i]) << "byte " << i;
    }
    Bytes tiny(2 * 1, 0);
    DrawFrameMark(tiny.data(), 2, 1, 1);
    EXPECT_EQ(Bytes(2, 0xFF), tiny);
}

}  // namespace
