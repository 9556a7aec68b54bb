#include "ReferenceConversion.h"

#include <cstddef>

namespace reference {
namespace {

struct Tables {
    // [c]: blue and green part of U, red and green part of V.
    int uBlue[256], uGreen[256], vRed[256], vGreen[256];

    Tables() {
        for (int c = 0; c < 256; ++c) {
            const int d = c - 128;
            // Integer division truncates toward zero.
            uBlue[c] = 1771 * d / 1000;
            uGreen[c] = -3457 * d / 10000;
            vRed[c] = 14022 * d / 10000;
            vGreen[c] = -7144 * d / 10000;
        }
    }
};

const Tables& TheTables() {
    static const Tables tables;
    return tables;
}

// Upper byte of the 16-bit sum non-zero: its two's complement.
std::uint8_t Clamp(int sum) {
    const auto s = static_cast<std::uint16_t>(sum);
    const auto upper = static_cast<std::uint8_t>(s >> 8);
    if (upper != 0) {
        return static_cast<std::uint8_t>(-upper);
    }
    return static_cast<std::uint8_t>(s);
}

std::size_t Count(std::uint32_t width, std::uint32_t height) {
    return std::size_t{width} * height;
}

void Y16Pixel(std::uint8_t hi, std::uint8_t lo, std::uint8_t* d) {
    if (hi == 255) {
        lo = 0;
    }
    d[0] = (lo & 0x40) ? hi + 1 : hi;
    d[1] = hi;
    d[2] = (lo & 0x80) ? hi + 1 : hi;
}

enum Colour { kRed, kGreen, kBlue };

// The colour of sensor sample (x, y) from the top-left block of each layout.
Colour ColourAt(int layout, std::uint32_t x, std::uint32_t y) {
    static constexpr Colour kBlocks[4][2][2] = {{{kRed, kGreen}, {kGreen, kBlue}},   // R G / G B
                                                {{kGreen, kRed}, {kBlue, kGreen}},   // G R / B G
                                                {{kBlue, kGreen}, {kGreen, kRed}},   // B G / G R
                                                {{kGreen, kBlue}, {kRed, kGreen}}};  // G B / R G
    return kBlocks[layout][y % 2][x % 2];
}

}  // namespace

void YuvPixel(std::uint8_t y, std::uint8_t u, std::uint8_t v, std::uint8_t* bgr) {
    const Tables& t = TheTables();
    bgr[0] = Clamp(y + t.uBlue[u]);
    bgr[1] = Clamp(y + t.uGreen[u] + t.vGreen[v]);
    bgr[2] = Clamp(y + t.vRed[v]);
}

void ConvertYuv411(std::uint32_t width, std::uint32_t height, const std::uint8_t* s,
                   std::uint8_t* d) {
    for (std::size_t g = 0; g < Count(width, height) / 4; ++g, s += 6, d += 12) {
        YuvPixel(s[1], s[0], s[3], d);
        YuvPixel(s[2], s[0], s[3], d + 3);
        YuvPixel(s[4], s[0], s[3], d + 6);
        YuvPixel(s[5], s[0], s[3], d + 9);
    }
}

void ConvertYuv422(std::uint32_t width, std::uint32_t height, const std::uint8_t* s,
                   std::uint8_t* d) {
    for (std::size_t g = 0; g < Count(width, height) / 2; ++g, s += 4, d += 6) {
        YuvPixel(s[1], s[0], s[2], d);
        YuvPixel(s[3], s[0], s[2], d + 3);
    }
}

void ConvertYuv444(std::uint32_t width, std::uint32_t height, const std::uint8_t* s,
                   std::uint8_t* d) {
    for (std::size_t i = 0; i < Count(width, height); ++i, s += 3, d += 3) {
        YuvPixel(s[1], s[0], s[2], d);
    }
}

void ConvertRgb8(std::uint32_t width, std::uint32_t height, const std::uint8_t* s,
                 std::uint8_t* d) {
    for (std::size_t i = 0; i < Count(width, height); ++i, s += 3, d += 3) {
        d[0] = s[2];
        d[1] = s[1];
        d[2] = s[0];
    }
}

void ConvertY16(std::uint32_t width, std::uint32_t height, const std::uint8_t* s, std::uint8_t* d) {
    for (std::size_t i = 0; i < Count(width, height); ++i, s += 2, d += 3) {
        Y16Pixel(s[0], s[1], d);
    }
}

void ConvertY16Swapped(std::uint32_t width, std::uint32_t height, const std::uint8_t* s,
                       std::uint8_t* d) {
    for (std::size_t i = 0; i < Count(width, height); ++i, s += 2, d += 3) {
        Y16Pixel(s[1], s[0], d);
    }
}

void ConvertBayer(std::uint32_t width, std::uint32_t height, const std::uint8_t* s, std::uint8_t* d,
                  int layout) {
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            std::uint8_t* out = d + (std::size_t{y} * width + x) * 3;
            if (x + 1 == width || y + 1 == height) {
                out[0] = out[1] = out[2] = 0;
                continue;
            }
            int red = 0, blue = 0, greenSum = 0;
            for (std::uint32_t by = y; by <= y + 1; ++by) {
                for (std::uint32_t bx = x; bx <= x + 1; ++bx) {
                    const int sample = s[std::size_t{by} * width + bx];
                    switch (ColourAt(layout, bx, by)) {
                        case kRed:
                            red = sample;
                            break;
                        case kBlue:
                            blue = sample;
                            break;
                        case kGreen:
                            greenSum += sample;
                            break;
                    }
                }
            }
            out[0] = static_cast<std::uint8_t>(blue);
            out[1] = static_cast<std::uint8_t>(greenSum / 2);
            out[2] = static_cast<std::uint8_t>(red);
        }
    }
}

}  // namespace reference
