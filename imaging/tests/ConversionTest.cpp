// Every conversion against the reference definition, for every kernel set the
// processor can run, plus the worked examples.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "imaging/ConversionKernels.h"
#include "imaging/FrameConversion.h"
#include "imaging/YuvTables.h"
#include "imaging/reference/ReferenceConversion.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes RandomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(random());
    }
    return bytes;
}

// Runs one of a kernel set's routines over a whole frame, the way the public
// routines do.
enum class Routine { Yuv411, Yuv422, Yuv444, Rgb8, Y16, Y16Swapped };

struct RoutineInfo {
    Routine routine;
    const char* name;
    double sourceBytesPerPixel;
};

constexpr RoutineInfo kRoutines[] = {
    {Routine::Yuv411, "Yuv411", 1.5}, {Routine::Yuv422, "Yuv422", 2},
    {Routine::Yuv444, "Yuv444", 3},   {Routine::Rgb8, "Rgb8", 3},
    {Routine::Y16, "Y16", 2},         {Routine::Y16Swapped, "Y16Swapped", 2},
};

std::size_t SourceSize(const RoutineInfo& r, std::uint32_t w, std::uint32_t h) {
    const std::size_t n = std::size_t{w} * h;
    switch (r.routine) {
        case Routine::Yuv411:
            return n / 4 * 6;
        case Routine::Yuv422:
            return n / 2 * 4;
        case Routine::Y16:
        case Routine::Y16Swapped:
            return n * 2;
        default:
            return n * 3;
    }
}

void RunKernel(const imaging::KernelSet& k, Routine r, std::uint32_t w, std::uint32_t h,
               const std::uint8_t* s, std::uint8_t* d) {
    const std::size_t n = std::size_t{w} * h;
    switch (r) {
        case Routine::Yuv411:
            return k.yuv411(s, d, n / 4);
        case Routine::Yuv422:
            return k.yuv422(s, d, n / 2);
        case Routine::Yuv444:
            return k.yuv444(s, d, n);
        case Routine::Rgb8:
            return k.rgb8(s, d, n);
        case Routine::Y16:
            return k.y16(s, d, n);
        case Routine::Y16Swapped:
            return k.y16Swapped(s, d, n);
    }
}

void RunReference(Routine r, std::uint32_t w, std::uint32_t h, const std::uint8_t* s,
                  std::uint8_t* d) {
    switch (r) {
        case Routine::Yuv411:
            return reference::ConvertYuv411(w, h, s, d);
        case Routine::Yuv422:
            return reference::ConvertYuv422(w, h, s, d);
        case Routine::Yuv444:
            return reference::ConvertYuv444(w, h, s, d);
        case Routine::Rgb8:
            return reference::ConvertRgb8(w, h, s, d);
        case Routine::Y16:
            return reference::ConvertY16(w, h, s, d);
        case Routine::Y16Swapped:
            return reference::ConvertY16Swapped(w, h, s, d);
    }
}

void RunPublic(Routine r, std::uint32_t w, std::uint32_t h, const std::uint8_t* s,
               std::uint8_t* d) {
    switch (r) {
        case Routine::Yuv411:
            return ConvertYuv411(w, h, s, d);
        case Routine::Yuv422:
            return ConvertYuv422(w, h, s, d);
        case Routine::Yuv444:
            return ConvertYuv444(w, h, s, d);
        case Routine::Rgb8:
            return ConvertRgb8(w, h, s, d);
        case Routine::Y16:
            return ConvertY16(w, h, s, d);
        case Routine::Y16Swapped:
            return ConvertY16Swapped(w, h, s, d);
    }
}

// Index of the first differing byte, or -1; keeps failure output short.
long FirstDifference(const Bytes& expected, const Bytes& got) {
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] != got[i]) {
            return static_cast<long>(i);
        }
    }
    return -1;
}

constexpr std::uint32_t kSizes[][2] = {{1, 1},  {1, 7},  {2, 1},   {3, 3},   {5, 1},   {7, 5},
                                       {16, 1}, {17, 3}, {31, 2},  {33, 33}, {64, 1},  {65, 2},
                                       {97, 7}, {1, 83}, {640, 3}, {643, 5}, {1601, 2}};

class KernelSetTest : public ::testing::TestWithParam<const imaging::KernelSet*> {
protected:
    void SetUp() override { InitYuvTables(); }
    const imaging::KernelSet& Kernels() const { return *GetParam(); }
};

// Random frames of every type and many odd sizes, in exactly sized buffers so
// that the sanitizer sees any stray access. Bytes past the converted pixels
// must stay untouched.
TEST_P(KernelSetTest, RandomFramesMatchTheReference) {
    std::uint32_t seed = 1;
    for (const auto& info : kRoutines) {
        for (const auto& size : kSizes) {
            const std::uint32_t w = size[0], h = size[1];
            const Bytes source = RandomBytes(SourceSize(info, w, h), seed++);
            Bytes expected(std::size_t{w} * h * 3, 0xA5);
            Bytes got(expected.size(), 0xA5);
            RunReference(info.routine, w, h, source.data(), expected.data());
            RunKernel(Kernels(), info.routine, w, h, source.data(), got.data());
            EXPECT_EQ(-1, FirstDifference(expected, got))
                << info.name << " " << w << "x" << h << " with " << Kernels().name;
        }
    }
}

// Every (U, Y, V) triple once.
TEST_P(KernelSetTest, Yuv444MatchesTheReferenceForEveryPixelValue) {
    const std::uint32_t w = 4096, h = 4096;
    Bytes source(std::size_t{w} * h * 3);
    for (std::size_t i = 0; i < std::size_t{w} * h; ++i) {
        source[i * 3 + 0] = static_cast<std::uint8_t>(i >> 16);  // U
        source[i * 3 + 1] = static_cast<std::uint8_t>(i);        // Y
        source[i * 3 + 2] = static_cast<std::uint8_t>(i >> 8);   // V
    }
    Bytes expected(source.size()), got(source.size());
    reference::ConvertYuv444(w, h, source.data(), expected.data());
    Kernels().yuv444(source.data(), got.data(), std::size_t{w} * h);
    EXPECT_EQ(-1, FirstDifference(expected, got)) << Kernels().name;
}

// Every (U, V) pair in groups with Y values running through 0..255.
TEST_P(KernelSetTest, ChromaSubsampledYuvMatchesTheReferenceForEveryChromaPair) {
    const std::size_t groups = 65536 * 4;
    Bytes yuv422(groups * 4), yuv411(groups * 6);
    for (std::size_t g = 0; g < groups; ++g) {
        const auto u = static_cast<std::uint8_t>(g >> 2);
        const auto v = static_cast<std::uint8_t>(g >> 10);
        const auto y = static_cast<std::uint8_t>(g * 4);
        const std::uint8_t q[4] = {u, y, v, static_cast<std::uint8_t>(y + 1)};
        std::copy(q, q + 4, &yuv422[g * 4]);
        const std::uint8_t s[6] = {u,
                                   y,
                                   static_cast<std::uint8_t>(y + 1),
                                   v,
                                   static_cast<std::uint8_t>(y + 2),
                                   static_cast<std::uint8_t>(y + 3)};
        std::copy(s, s + 6, &yuv411[g * 6]);
    }
    Bytes expected(groups * 12), got(groups * 12);
    reference::ConvertYuv411(groups * 4, 1, yuv411.data(), expected.data());
    Kernels().yuv411(yuv411.data(), got.data(), groups);
    EXPECT_EQ(-1, FirstDifference(expected, got)) << "Yuv411 " << Kernels().name;
    expected.resize(groups * 6);
    got.resize(groups * 6);
    reference::ConvertYuv422(groups * 2, 1, yuv422.data(), expected.data());
    Kernels().yuv422(yuv422.data(), got.data(), groups);
    EXPECT_EQ(-1, FirstDifference(expected, got)) << "Yuv422 " << Kernels().name;
}

TEST_P(KernelSetTest, BayerRowsMatchTheReferenceInEveryLayout) {
    // Drive the row kernel through the public routine's row logic by
    // comparing whole frames built from it.
    for (int layout = 0; layout < 4; ++layout) {
        for (const auto& size : kSizes) {
            const std::uint32_t w = size[0], h = size[1];
            const Bytes source = RandomBytes(std::size_t{w} * h, w * 131 + h + layout);
            Bytes expected(std::size_t{w} * h * 3, 0xA5);
            reference::ConvertBayer(w, h, source.data(), expected.data(), layout);
            // Rows built the way ConvertBayer builds them, with this set's kernel.
            static constexpr unsigned kRedColumn[4] = {0, 1, 1, 0};
            static constexpr unsigned kRedRow[4] = {0, 0, 1, 1};
            for (std::uint32_t y = 0; y + 1 < h; ++y) {
                const std::uint8_t* top = source.data() + std::size_t{y} * w;
                const bool redOnTop = ((y ^ kRedRow[layout]) & 1) == 0;
                const std::size_t count = w - 1;
                Bytes row(count * 3, 0xA5);
                Kernels().bayerRow(redOnTop ? top : top + w, redOnTop ? top + w : top, row.data(),
                                   count, kRedColumn[layout]);
                const Bytes want(expected.begin() + std::size_t{y} * w * 3,
                                 expected.begin() + std::size_t{y} * w * 3 + count * 3);
                ASSERT_EQ(-1, FirstDifference(want, row))
                    << "layout " << layout << " " << w << "x" << h << " row " << y << " "
                    << Kernels().name;
            }
        }
    }
}

std::string KernelName(const ::testing::TestParamInfo<const imaging::KernelSet*>& info) {
    return info.param->name;
}

INSTANTIATE_TEST_SUITE_P(AllKernelSets, KernelSetTest,
                         ::testing::ValuesIn(imaging::AvailableKernelSets()), KernelName);

TEST(ConversionTest, PublicRoutinesMatchTheReferenceOnOddSizes) {
    std::uint32_t seed = 100;
    for (const auto& info : kRoutines) {
        for (const auto& size : kSizes) {
            const std::uint32_t w = size[0], h = size[1];
            const Bytes source = RandomBytes(SourceSize(info, w, h), seed++);
            Bytes expected(std::size_t{w} * h * 3, 0x5A);
            Bytes got(expected.size(), 0x5A);
            RunReference(info.routine, w, h, source.data(), expected.data());
            RunPublic(info.routine, w, h, source.data(), got.data());
            EXPECT_EQ(-1, FirstDifference(expected, got)) << info.name << " " << w << "x" << h;
        }
    }
    for (int layout = 0; layout < 4; ++layout) {
        for (const auto& size : kSizes) {
            const std::uint32_t w = size[0], h = size[1];
            const Bytes source = RandomBytes(std::size_t{w} * h, seed++);
            Bytes expected(std::size_t{w} * h * 3, 0x5A);
            Bytes got(expected.size(), 0x5A);
            reference::ConvertBayer(w, h, source.data(), expected.data(), layout);
            ConvertBayer(w, h, source.data(), got.data(), layout);
            EXPECT_EQ(-1, FirstDifference(expected, got))
                << "Bayer layout " << layout << " " << w << "x" << h;
        }
    }
}

Bytes Convert(void (*routine)(std::uint32_t, std::uint32_t, const std::uint8_t*, std::uint8_t*),
              std::uint32_t w, std::uint32_t h, const Bytes& source) {
    Bytes out(std::size_t{w} * h * 3, 0xEE);
    routine(w, h, source.data(), out.data());
    return out;
}

TEST(ConversionTest, YuvWorkedExamples) {
    struct Case {
        std::uint8_t y, u, v;
        Bytes bgr;
    };
    const Case cases[] = {
        {0, 0, 0, {1, 135, 1}},            // negative sums show as 1
        {255, 255, 255, {255, 122, 255}},  // large ones as 255
        {100, 128, 128, {100, 100, 100}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.bgr, Convert(ConvertYuv444, 1, 1, {c.u, c.y, c.v}))
            << "Y " << int(c.y) << " U " << int(c.u) << " V " << int(c.v);
        Bytes two = c.bgr;
        two.insert(two.end(), c.bgr.begin(), c.bgr.end());
        EXPECT_EQ(two, Convert(ConvertYuv422, 2, 1, {c.u, c.y, c.v, c.y}));
        Bytes four = two;
        four.insert(four.end(), two.begin(), two.end());
        EXPECT_EQ(four, Convert(ConvertYuv411, 4, 1, {c.u, c.y, c.y, c.v, c.y, c.y}));
    }
}

TEST(ConversionTest, PartialGroupsAreLeftUnconverted) {
    // 3 pixels of YUV-422: one group; 7 of YUV-411: one group.
    Bytes out = Convert(ConvertYuv422, 3, 1, {128, 10, 128, 20, 128, 30});
    EXPECT_EQ((Bytes{10, 10, 10, 20, 20, 20, 0xEE, 0xEE, 0xEE}), out);
    out = Convert(ConvertYuv411, 7, 1, {128, 1, 2, 128, 3, 4, 128, 5, 6});
    EXPECT_EQ(0xEE, out[12]) << "pixel 4 belongs to no whole group";
    EXPECT_EQ(4, out[9]);
    out = Convert(ConvertYuv411, 3, 1, {128, 1, 2, 128, 3});
    EXPECT_EQ(Bytes(9, 0xEE), out);
}

TEST(ConversionTest, Rgb8SwapsRedAndBlue) {
    EXPECT_EQ((Bytes{3, 2, 1}), Convert(ConvertRgb8, 1, 1, {1, 2, 3}));
}

TEST(ConversionTest, Y16TintsAndSaturation) {
    struct Case {
        std::uint8_t first, second;
        Bytes bgr, bgrSwapped;
    };
    const Case cases[] = {
        {0x7F, 0xC0, {0x80, 0x7F, 0x80}, {0xC1, 0xC0, 0xC0}},
        {0xFF, 0xC0, {0xFF, 0xFF, 0xFF}, {0xC1, 0xC0, 0xC1}},
        {0x10, 0x40, {0x11, 0x10, 0x10}, {0x40, 0x40, 0x40}},
        {0x40, 0x10, {0x40, 0x40, 0x40}, {0x11, 0x10, 0x10}},
        {0xC0, 0xFF, {0xC1, 0xC0, 0xC1}, {0xFF, 0xFF, 0xFF}},
        {0x00, 0x80, {0x00, 0x00, 0x01}, {0x80, 0x80, 0x80}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << int(c.first) << " " << int(c.second));
        EXPECT_EQ(c.bgr, Convert(ConvertY16, 1, 1, {c.first, c.second}));
        EXPECT_EQ(c.bgrSwapped, Convert(ConvertY16Swapped, 1, 1, {c.first, c.second}));
    }
}

TEST(ConversionTest, BayerLeavesTheLastColumnAndRowBlack) {
    Bytes source(6 * 4);
    for (std::size_t i = 0; i < source.size(); ++i) {
        source[i] = static_cast<std::uint8_t>(10 + i * 7);
    }
    Bytes out(6 * 4 * 3, 0xEE);
    ConvertBayer(6, 4, source.data(), out.data(), 0);
    for (std::uint32_t y = 0; y < 4; ++y) {
        for (std::uint32_t x = 0; x < 6; ++x) {
            const std::uint8_t* p = &out[(y * 6 + x) * 3];
            const bool border = x == 5 || y == 3;
            SCOPED_TRACE(::testing::Message() << "(" << x << ", " << y << ")");
            if (border) {
                EXPECT_EQ((Bytes{0, 0, 0}), Bytes(p, p + 3));
            } else {
                EXPECT_NE((Bytes{0, 0, 0}), Bytes(p, p + 3));
            }
        }
    }
}

// Layout 0, pixel (1, 0): red from (2, 0), blue from (1, 1), green from
// (1, 0) and (2, 1); the other layouts shift the same block.
TEST(ConversionTest, BayerTakesEachColourFromItsSample) {
    // Sample (x, y) of a 3 x 2 frame holds 10 x (y * 3 + x) + 10.
    const Bytes source = {10, 20, 30, 40, 50, 60};
    struct Case {
        int layout;
        Bytes pixel0, pixel1;  // blue, green, red
    };
    const Case cases[] = {
        {0, {50, 30, 10}, {50, 40, 30}},  // R G / G B
        {1, {40, 30, 20}, {60, 40, 20}},  // G R / B G
        {2, {10, 30, 50}, {30, 40, 50}},  // B G / G R
        {3, {20, 30, 40}, {20, 40, 60}},  // G B / R G
    };
    for (const auto& c : cases) {
        Bytes out(3 * 2 * 3, 0xEE);
        ConvertBayer(3, 2, source.data(), out.data(), c.layout);
        EXPECT_EQ(c.pixel0, Bytes(out.begin(), out.begin() + 3)) << "layout " << c.layout;
        EXPECT_EQ(c.pixel1, Bytes(out.begin() + 3, out.begin() + 6)) << "layout " << c.layout;
    }
}

TEST(ConversionTest, BayerFramesNarrowerOrLowerThanTwoPixelsAreBlack) {
    for (const auto& size : {std::pair<std::uint32_t, std::uint32_t>{1, 1}, {1, 9}, {9, 1}}) {
        const Bytes source(size.first * size.second, 200);
        Bytes out(source.size() * 3, 0xEE);
        ConvertBayer(size.first, size.second, source.data(), out.data(), 0);
        EXPECT_EQ(Bytes(out.size(), 0), out) << size.first << "x" << size.second;
    }
}

TEST(ConversionTest, EmptyFramesWriteNothing) {
    Bytes out(3, 0xEE);
    const Bytes source(8, 0);
    ConvertYuv422(0, 5, source.data(), out.data());
    ConvertYuv411(5, 0, source.data(), out.data());
    ConvertYuv444(0, 0, source.data(), out.data());
    ConvertBayer(0, 3, source.data(), out.data(), 0);
    ConvertBayer(3, 0, source.data(), out.data(), 0);
    ConvertY16(0, 1, source.data(), out.data());
    ConvertRgb8(1, 0, source.data(), out.data());
    EXPECT_EQ(Bytes(3, 0xEE), out);
}

}  // namespace
