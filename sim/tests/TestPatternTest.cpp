#include <gtest/gtest.h>

#include <vector>

#include "sim/SimRegisters.h"
#include "sim/TestPattern.h"

namespace sim {
namespace {

std::vector<std::uint8_t> Frame(const TestPattern& p, std::uint64_t number) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(p.FrameBytes()), 0xCD);
    EXPECT_EQ(bytes.size(), p.Render(number, bytes.data(), bytes.size()));
    return bytes;
}

TEST(TestPattern, FrameSizesFollowTheColourCoding) {
    const std::uint64_t pixels = 640 * 480;
    const std::uint64_t expected[] = {pixels,     pixels * 3 / 2, pixels * 2, pixels * 3,
                                      pixels * 3, pixels * 2,     pixels * 6};
    for (std::uint8_t coding = 0; coding < reg::kColourCodingCount; ++coding) {
        EXPECT_EQ(expected[coding], TestPattern(640, 480, coding).FrameBytes()) << int{coding};
    }
}

TEST(TestPattern, Rgb8ShowsTheBarsInOrder) {
    const TestPattern p(640, 480, reg::kRgb8);
    const auto f = Frame(p, 0);
    const std::uint32_t y = 200;  // below the counter, in the upper band
    for (int bar = 0; bar < 8; ++bar) {
        const std::uint32_t x = bar * p.BarWidth() + p.BarWidth() / 2;
        const std::size_t at = (std::size_t{y} * 640 + x) * 3;
        EXPECT_EQ(TestPattern::kBars[bar].r, f[at]) << "bar " << bar;
        EXPECT_EQ(TestPattern::kBars[bar].g, f[at + 1]) << "bar " << bar;
        EXPECT_EQ(TestPattern::kBars[bar].b, f[at + 2]) << "bar " << bar;
    }
}

TEST(TestPattern, BarsMoveFromFrameToFrame) {
    const TestPattern p(640, 480, reg::kRgb8);
    const auto a = Frame(p, 10);
    const auto b = Frame(p, 11);
    const std::size_t row = std::size_t{200} * 640 * 3;
    // Frame 11 shows at x + step what frame 10 showed at x.
    for (std::uint32_t x = 0; x + TestPattern::kStepPixels < 640; x += 37) {
        for (int c = 0; c < 3; ++c) {
            ASSERT_EQ(a[row + x * 3 + c], b[row + (x + TestPattern::kStepPixels) * 3 + c])
                << "x " << x;
        }
    }
    EXPECT_NE(a, b);
}

TEST(TestPattern, CounterOverlayShowsTheFrameNumber) {
    const TestPattern p(320, 240, reg::kY8);
    const auto a = Frame(p, 12345678);
    const auto b = Frame(p, 12345679);
    // Only the last digit differs in the counter area when the bars stand still.
    const TestPattern still(320, 240, reg::kY8);
    std::size_t differing = 0;
    for (std::uint32_t y = 4; y < 32; ++y) {
        for (std::uint32_t x = 4; x < 136; ++x) {
            differing += a[y * 320 + x] != b[y * 320 + x];
        }
    }
    EXPECT_GT(differing, 0u);
    // The counter is white-on-black: the top left cell of the box is black.
    EXPECT_EQ(0, a[5 * 320 + 5]);
}

TEST(TestPattern, EveryCodingMatchesTheEncodedPixelColours) {
    for (std::uint8_t coding = 0; coding < reg::kColourCodingCount; ++coding) {
        for (const auto& size : {std::pair<std::uint32_t, std::uint32_t>{160, 120}, {98, 33}}) {
            const TestPattern p(size.first, size.second, coding);
            const auto f = Frame(p, 7);
            std::vector<Rgb> pixels;
            for (std::uint32_t y = 0; y < size.second; ++y) {
                for (std::uint32_t x = 0; x < size.first; ++x) {
                    pixels.push_back(p.PixelColour(x, y, 7));
                }
            }
            std::vector<std::uint8_t> expected(f.size());
            EXPECT_EQ(f.size(),
                      EncodePixels(pixels.data(), pixels.size(), coding, expected.data()));
            EXPECT_EQ(expected, f)
                << "coding " << int{coding} << " " << size.first << "x" << size.second;
        }
    }
}

TEST(TestPattern, EncodingsPutBytesInIidcOrder) {
    const Rgb red[4] = {{255, 0, 0}, {255, 0, 0}, {255, 0, 0}, {255, 0, 0}};
    std::uint8_t out[24] = {};
    EXPECT_EQ(3u, EncodePixels(red, 1, reg::kRgb8, out));
    EXPECT_EQ(255, out[0]);
    EXPECT_EQ(0, out[2]);
    EXPECT_EQ(6u, EncodePixels(red, 1, reg::kRgb16, out));
    EXPECT_EQ(255, out[0]);
    EXPECT_EQ(0, out[4]);
    // YUV-422: U Y V Y; red has V well above 128 and U below.
    EXPECT_EQ(4u, EncodePixels(red, 2, reg::kYuv422, out));
    EXPECT_LT(out[0], 128);
    EXPECT_GT(out[2], 200);
    EXPECT_EQ(out[1], out[3]);
    // YUV-411: U Y Y V Y Y.
    EXPECT_EQ(6u, EncodePixels(red, 4, reg::kYuv411, out));
    EXPECT_EQ(out[1], out[2]);
    EXPECT_GT(out[3], 200);
    // Y-16: most significant byte first.
    const Rgb grey{100, 100, 100};
    EXPECT_EQ(2u, EncodePixels(&grey, 1, reg::kY16, out));
    EXPECT_EQ(100, out[0]);
}

TEST(TestPattern, ASmallBufferGetsTheStartOfTheFrame) {
    const TestPattern p(64, 48, reg::kYuv422);
    const auto full = Frame(p, 3);
    std::vector<std::uint8_t> part(1000, 0xCD);
    EXPECT_EQ(1000u, p.Render(3, part.data(), part.size()));
    EXPECT_TRUE(std::equal(part.begin(), part.end(), full.begin()));
}

}  // namespace
}  // namespace sim
