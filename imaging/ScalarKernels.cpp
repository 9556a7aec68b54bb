#include "ScalarKernels.h"

#include "ConversionKernels.h"
#include "YuvTables.h"

namespace imaging::scalar {
namespace {

// Negative sums give 1, not 0: the display never shows a chroma underflow as
// pure black.
inline std::uint8_t Clamp(int sum) {
    if (sum < 0) {
        return 1;
    }
    return static_cast<std::uint8_t>(sum > 255 ? 255 : sum);
}

// The chroma of one group, ready to be added to each of its Y values.
struct Chroma {
    int blue;
    int green;
    int red;
};

inline Chroma ChromaOf(std::uint8_t u, std::uint8_t v) {
    const std::uint32_t eu = YuvTableU()[u];
    const std::uint32_t ev = YuvTableV()[v];
    return {UpperPart(eu), LowerPart(eu) + LowerPart(ev), UpperPart(ev)};
}

inline void Pixel(int y, const Chroma& c, std::uint8_t* d) {
    d[0] = Clamp(y + c.blue);
    d[1] = Clamp(y + c.green);
    d[2] = Clamp(y + c.red);
}

inline void Y16Pixel(std::uint8_t hi, std::uint8_t lo, std::uint8_t* d) {
    if (hi == 255) {
        lo = 0;
    }
    d[0] = static_cast<std::uint8_t>(hi + ((lo >> 6) & 1));
    d[1] = hi;
    d[2] = static_cast<std::uint8_t>(hi + (lo >> 7));
}

inline std::uint8_t Average(std::uint8_t a, std::uint8_t b) {
    return static_cast<std::uint8_t>((a + b) >> 1);
}

}  // namespace

void Yuv411(const std::uint8_t* s, std::uint8_t* d, std::size_t groups) {
    for (std::size_t i = 0; i < groups; ++i, s += 6, d += 12) {
        const Chroma c = ChromaOf(s[0], s[3]);
        Pixel(s[1], c, d);
        Pixel(s[2], c, d + 3);
        Pixel(s[4], c, d + 6);
        Pixel(s[5], c, d + 9);
    }
}

void Yuv422(const std::uint8_t* s, std::uint8_t* d, std::size_t groups) {
    for (std::size_t i = 0; i < groups; ++i, s += 4, d += 6) {
        const Chroma c = ChromaOf(s[0], s[2]);
        Pixel(s[1], c, d);
        Pixel(s[3], c, d + 3);
    }
}

void Yuv444(const std::uint8_t* s, std::uint8_t* d, std::size_t pixels) {
    for (std::size_t i = 0; i < pixels; ++i, s += 3, d += 3) {
        Pixel(s[1], ChromaOf(s[0], s[2]), d);
    }
}

void Rgb8(const std::uint8_t* s, std::uint8_t* d, std::size_t pixels) {
    for (std::size_t i = 0; i < pixels; ++i, s += 3, d += 3) {
        const std::uint8_t red = s[0];
        const std::uint8_t green = s[1];
        const std::uint8_t blue = s[2];
        d[0] = blue;
        d[1] = green;
        d[2] = red;
    }
}

void Y16(const std::uint8_t* s, std::uint8_t* d, std::size_t pixels) {
    for (std::size_t i = 0; i < pixels; ++i, s += 2, d += 3) {
        Y16Pixel(s[0], s[1], d);
    }
}

void Y16Swapped(const std::uint8_t* s, std::uint8_t* d, std::size_t pixels) {
    for (std::size_t i = 0; i < pixels; ++i, s += 2, d += 3) {
        Y16Pixel(s[1], s[0], d);
    }
}

void BayerRow(const std::uint8_t* redRow, const std::uint8_t* blueRow, std::uint8_t* d,
              std::size_t count, unsigned redPhase) {
    for (std::size_t x = 0; x < count; ++x, d += 3) {
        // The red sample sits at column x + r, the blue one diagonally
        // opposite, the greens in the other two corners.
        const std::size_t r = (x + redPhase) & 1;
        d[0] = blueRow[x + 1 - r];
        d[1] = Average(redRow[x + 1 - r], blueRow[x + r]);
        d[2] = redRow[x + r];
    }
}

}  // namespace imaging::scalar

namespace imaging {

const KernelSet& ScalarKernels() {
    static const KernelSet set{"scalar",     scalar::Yuv411, scalar::Yuv422,     scalar::Yuv444,
                               scalar::Rgb8, scalar::Y16,    scalar::Y16Swapped, scalar::BayerRow};
    return set;
}

}  // namespace imaging
