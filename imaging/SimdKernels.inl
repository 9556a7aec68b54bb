// SIMD conversion kernels, included by one source file per instruction set.
// Written with SSE2 intrinsics; where the including file enables SSSE3
// (pshufb), the byte shuffles take the shorter road. Everything here is
// in an anonymous namespace so that copies built for different instruction
// sets never meet at link time.
//
// The chroma parts are computed exactly instead of looked up, with a
// fixed-point multiply per part (see Chroma); the tests compare every chroma
// value with the reference tables.
#include <emmintrin.h>
#if defined(__SSSE3__)
#include <tmmintrin.h>
#endif

#include <cstddef>
#include <cstdint>

#include "ScalarKernels.h"
#include "YuvTables.h"

namespace {

using imaging::scalar::BayerRow;

inline __m128i Load(const std::uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

inline void Store(std::uint8_t* p, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

inline __m128i Set16(int value) {
    return _mm_set1_epi16(static_cast<short>(value));
}

// Clamps 16-bit sums: negative to 1, above 255 to 255.
inline __m128i ClampToBytes(__m128i low, __m128i high) {
    low = _mm_max_epi16(low, _mm_srli_epi16(low, 15));
    high = _mm_max_epi16(high, _mm_srli_epi16(high, 15));
    return _mm_packus_epi16(low, high);
}

#if defined(__SSSE3__)
// pshufb patterns between three planes of 16 bytes and 48 bytes of 3-byte
// pixels; 0x80 gives a zero byte, so the three results of a set can be or-ed.
struct ShuffleMasks {
    std::uint8_t bytes[3][16];
};

// Plane c of 48 bytes: bytes c, c + 3, ... taken from whichever vector k
// holds them (set k of the result is applied to vector k).
constexpr ShuffleMasks MakePlaneMasks(int c) {
    ShuffleMasks m{};
    for (int i = 0; i < 16; ++i) {
        const int at = c + 3 * i;
        for (int k = 0; k < 3; ++k) {
            m.bytes[k][i] = at / 16 == k ? static_cast<std::uint8_t>(at % 16) : 0x80;
        }
    }
    return m;
}

// Output vector k of 48 bytes: byte i is channel (16k + i) % 3 of pixel
// (16k + i) / 3, taken from that channel's plane (set c applies to plane c).
constexpr ShuffleMasks MakePixelMasks(int k) {
    ShuffleMasks m{};
    for (int i = 0; i < 16; ++i) {
        const int at = 16 * k + i;
        for (int c = 0; c < 3; ++c) {
            m.bytes[c][i] = at % 3 == c ? static_cast<std::uint8_t>(at / 3) : 0x80;
        }
    }
    return m;
}

constexpr ShuffleMasks kPlaneMasks[3] = {MakePlaneMasks(0), MakePlaneMasks(1), MakePlaneMasks(2)};
constexpr ShuffleMasks kPixelMasks[3] = {MakePixelMasks(0), MakePixelMasks(1), MakePixelMasks(2)};
#endif

// Writes 16 pixels (48 bytes) as blue, green, red.
inline void StoreBgr(std::uint8_t* d, __m128i b, __m128i g, __m128i r) {
#if defined(__SSSE3__)
    // Each output vector gathers its bytes from the three planes.
    auto gather = [&](const ShuffleMasks& m) {
        return _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(b, Load(m.bytes[0])),
                                         _mm_shuffle_epi8(g, Load(m.bytes[1]))),
                            _mm_shuffle_epi8(r, Load(m.bytes[2])));
    };
    const __m128i o0 = gather(kPixelMasks[0]);
    const __m128i o1 = gather(kPixelMasks[1]);
    const __m128i o2 = gather(kPixelMasks[2]);
#else
    // Four-byte pixels (blue, green, red, 0) first, then each 64-bit lane is
    // squeezed to six bytes and the 12-byte runs are joined.
    const __m128i zero = _mm_setzero_si128();
    const __m128i bgLow = _mm_unpacklo_epi8(b, g);
    const __m128i bgHigh = _mm_unpackhi_epi8(b, g);
    const __m128i rLow = _mm_unpacklo_epi8(r, zero);
    const __m128i rHigh = _mm_unpackhi_epi8(r, zero);
    __m128i p[4] = {_mm_unpacklo_epi16(bgLow, rLow), _mm_unpackhi_epi16(bgLow, rLow),
                    _mm_unpacklo_epi16(bgHigh, rHigh), _mm_unpackhi_epi16(bgHigh, rHigh)};
    const __m128i evenMask = _mm_set1_epi64x(0x0000000000FFFFFFLL);
    const __m128i oddMask = _mm_set1_epi64x(0x0000FFFFFF000000LL);
    for (__m128i& v : p) {
        const __m128i q =
            _mm_or_si128(_mm_and_si128(v, evenMask), _mm_and_si128(_mm_srli_epi64(v, 8), oddMask));
        v = _mm_or_si128(_mm_move_epi64(q), _mm_slli_si128(_mm_srli_si128(q, 8), 6));
    }
    const __m128i o0 = _mm_or_si128(p[0], _mm_slli_si128(p[1], 12));
    const __m128i o1 = _mm_or_si128(_mm_srli_si128(p[1], 4), _mm_slli_si128(p[2], 8));
    const __m128i o2 = _mm_or_si128(_mm_srli_si128(p[2], 8), _mm_slli_si128(p[3], 4));
#endif
    Store(d, o0);
    Store(d + 16, o1);
    Store(d + 32, o2);
}

// Splits 48 bytes of 3-byte pixels into three planes of 16 bytes.
inline void LoadPlanes(const std::uint8_t* s, __m128i& c0, __m128i& c1, __m128i& c2) {
    const __m128i a0 = Load(s);
    const __m128i a1 = Load(s + 16);
    const __m128i a2 = Load(s + 32);
#if defined(__SSSE3__)
    // Bytes first, first + 3, ... of the 48, from whichever vector holds them.
    auto gather = [&](const ShuffleMasks& m) {
        return _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(a0, Load(m.bytes[0])),
                                         _mm_shuffle_epi8(a1, Load(m.bytes[1]))),
                            _mm_shuffle_epi8(a2, Load(m.bytes[2])));
    };
    c0 = gather(kPlaneMasks[0]);
    c1 = gather(kPlaneMasks[1]);
    c2 = gather(kPlaneMasks[2]);
#else
    // Four rounds of the same interleaving of half vectors (low half of
    // the first with high half of the second, and so on) sort the bytes by
    // their position mod 3.
    __m128i x = a0, y = a1, z = a2;
    for (int round = 0; round < 4; ++round) {
        const __m128i nx = _mm_unpacklo_epi8(x, _mm_srli_si128(y, 8));
        const __m128i ny = _mm_unpackhi_epi8(x, _mm_slli_si128(z, 8));
        const __m128i nz = _mm_unpacklo_epi8(y, _mm_srli_si128(z, 8));
        x = nx;
        y = ny;
        z = nz;
    }
    c0 = x;
    c1 = y;
    c2 = z;
#endif
}

// trunc(k d) for the four chroma factors: pmulhw gives floor(((d << p) * M)
// / 65536), which equals floor(k d) for every d in -128..127 with these
// constants; k d is never a whole number for d != 0, so trunc is that plus 1
// for negative d.
constexpr int kBlueU = 29014;   // 1.771, p = 2
constexpr int kGreenU = 22655;  // 0.3457, p = 0
constexpr int kRedV = 22974;    // 1.4022, p = 2
constexpr int kGreenV = 23406;  // 0.7144, p = 1

// The per-group chroma offsets, eight groups in 16-bit lanes.
struct ChromaOffsets {
    __m128i blue;
    __m128i green;
    __m128i red;
};

// u and v: chroma bytes zero-extended to 16 bits.
inline ChromaOffsets Chroma(__m128i u, __m128i v) {
    const __m128i bias = Set16(128);
    const __m128i du = _mm_sub_epi16(u, bias);
    const __m128i dv = _mm_sub_epi16(v, bias);
    const __m128i negativeU = _mm_srai_epi16(du, 15);  // -1 where d < 0
    const __m128i negativeV = _mm_srai_epi16(dv, 15);
    ChromaOffsets c;
    c.blue = _mm_sub_epi16(_mm_mulhi_epi16(_mm_slli_epi16(du, 2), Set16(kBlueU)), negativeU);
    c.red = _mm_sub_epi16(_mm_mulhi_epi16(_mm_slli_epi16(dv, 2), Set16(kRedV)), negativeV);
    // Both green parts are -trunc(k d): -(floor + [d < 0]) summed.
    const __m128i floors = _mm_add_epi16(_mm_mulhi_epi16(du, Set16(kGreenU)),
                                         _mm_mulhi_epi16(_mm_slli_epi16(dv, 1), Set16(kGreenV)));
    c.green = _mm_sub_epi16(_mm_add_epi16(negativeU, negativeV), floors);
    return c;
}

// 16 pixels from Y (two vectors of eight 16-bit values) and per-pixel offsets.
inline void StoreYuvPixels(std::uint8_t* d, __m128i yLow, __m128i yHigh, __m128i blueLow,
                           __m128i blueHigh, __m128i greenLow, __m128i greenHigh, __m128i redLow,
                           __m128i redHigh) {
    StoreBgr(d, ClampToBytes(_mm_add_epi16(yLow, blueLow), _mm_add_epi16(yHigh, blueHigh)),
             ClampToBytes(_mm_add_epi16(yLow, greenLow), _mm_add_epi16(yHigh, greenHigh)),
             ClampToBytes(_mm_add_epi16(yLow, redLow), _mm_add_epi16(yHigh, redHigh)));
}

void Yuv422(const std::uint8_t* s, std::uint8_t* d, std::size_t groups) {
    const __m128i lowBytes = Set16(0x00FF);
    std::size_t i = 0;
    for (; i + 8 <= groups; i += 8, s += 32, d += 48) {
        const __m128i a = Load(s);
        const __m128i b = Load(s + 16);
        // 16-bit lanes of a and b: (U, Y), (V, Y), ...
        const __m128i uv = _mm_packus_epi16(_mm_and_si128(a, lowBytes), _mm_and_si128(b, lowBytes));
        const ChromaOffsets c = Chroma(_mm_and_si128(uv, lowBytes), _mm_srli_epi16(uv, 8));
        StoreYuvPixels(d, _mm_srli_epi16(a, 8), _mm_srli_epi16(b, 8),
                       _mm_unpacklo_epi16(c.blue, c.blue), _mm_unpackhi_epi16(c.blue, c.blue),
                       _mm_unpacklo_epi16(c.green, c.green), _mm_unpackhi_epi16(c.green, c.green),
                       _mm_unpacklo_epi16(c.red, c.red), _mm_unpackhi_epi16(c.red, c.red));
    }
    imaging::scalar::Yuv422(s, d, groups - i);
}

// Eight 6-byte groups (48 bytes): their U and V in 16-bit lanes and their 32
// Y values as 16 bytes twice.
inline void LoadYuv411(const std::uint8_t* s, __m128i& u, __m128i& v, __m128i& y0, __m128i& y1) {
    const __m128i a0 = Load(s);
    const __m128i a1 = Load(s + 16);
    const __m128i a2 = Load(s + 32);
#if defined(__SSSE3__)
    auto pick = [](__m128i x, int b0, int b1, int b2, int b3, int b4, int b5, int b6, int b7,
                   int b8, int b9, int b10, int b11, int b12, int b13, int b14, int b15) {
        return _mm_shuffle_epi8(
            x, _mm_setr_epi8(b0, b1, b2, b3, b4, b5, b6, b7, b8, b9, b10, b11, b12, b13, b14, b15));
    };
    constexpr int z = -128;
    // Y of groups 0..3 sit at bytes 1 2 4 5 7 8 10 11 13 14 | 16 17 19 20 22 23.
    y0 = _mm_or_si128(pick(a0, 1, 2, 4, 5, 7, 8, 10, 11, 13, 14, z, z, z, z, z, z),
                      pick(a1, z, z, z, z, z, z, z, z, z, z, 0, 1, 3, 4, 6, 7));
    // Groups 4..7 at bytes 25 26 28 29 31 | 32 34 35 37 38 40 41 43 44 46 47.
    y1 = _mm_or_si128(pick(a1, 9, 10, 12, 13, 15, z, z, z, z, z, z, z, z, z, z, z),
                      pick(a2, z, z, z, z, z, 0, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15));
    // U at 0 6 12 18 24 30 36 42, V at 3 9 15 21 27 33 39 45.
    u = _mm_or_si128(_mm_or_si128(pick(a0, 0, z, 6, z, 12, z, z, z, z, z, z, z, z, z, z, z),
                                  pick(a1, z, z, z, z, z, z, 2, z, 8, z, 14, z, z, z, z, z)),
                     pick(a2, z, z, z, z, z, z, z, z, z, z, z, z, 4, z, 10, z));
    v = _mm_or_si128(_mm_or_si128(pick(a0, 3, z, 9, z, 15, z, z, z, z, z, z, z, z, z, z, z),
                                  pick(a1, z, z, z, z, z, z, 5, z, 11, z, z, z, z, z, z, z)),
                     pick(a2, z, z, z, z, z, z, z, z, z, z, 1, z, 7, z, 13, z));
#else
    // Two groups per vector, one in each 64-bit lane.
    const __m128i runs[4] = {a0, _mm_or_si128(_mm_srli_si128(a0, 12), _mm_slli_si128(a1, 4)),
                             _mm_or_si128(_mm_srli_si128(a1, 8), _mm_slli_si128(a2, 8)),
                             _mm_srli_si128(a2, 4)};
    const __m128i yLowMask = _mm_set1_epi64x(0x000000000000FFFFLL);
    const __m128i yHighMask = _mm_set1_epi64x(0x00000000FFFF0000LL);
    const __m128i uMask = _mm_set1_epi64x(0x00000000000000FFLL);
    const __m128i vMask = _mm_set1_epi64x(0x0000000000FF0000LL);
    __m128i ys[4];
    __m128i uvs[4];
    for (int k = 0; k < 4; ++k) {
        const __m128i q = _mm_unpacklo_epi64(runs[k], _mm_srli_si128(runs[k], 6));
        const __m128i q8 = _mm_srli_epi64(q, 8);
        // Y0 Y1 Y2 Y3 in the low 32 bits of each lane; U | V << 16 likewise.
        const __m128i yq = _mm_or_si128(_mm_and_si128(q8, yLowMask),
                                        _mm_and_si128(_mm_srli_epi64(q, 16), yHighMask));
        const __m128i uvq = _mm_or_si128(_mm_and_si128(q, uMask), _mm_and_si128(q8, vMask));
        ys[k] = _mm_shuffle_epi32(yq, _MM_SHUFFLE(3, 1, 2, 0));
        uvs[k] = _mm_shuffle_epi32(uvq, _MM_SHUFFLE(3, 1, 2, 0));
    }
    y0 = _mm_unpacklo_epi64(ys[0], ys[1]);
    y1 = _mm_unpacklo_epi64(ys[2], ys[3]);
    const __m128i uv0 = _mm_unpacklo_epi64(uvs[0], uvs[1]);
    const __m128i uv1 = _mm_unpacklo_epi64(uvs[2], uvs[3]);
    const __m128i wordMask = _mm_set1_epi32(0xFFFF);
    u = _mm_packs_epi32(_mm_and_si128(uv0, wordMask), _mm_and_si128(uv1, wordMask));
    v = _mm_packs_epi32(_mm_srli_epi32(uv0, 16), _mm_srli_epi32(uv1, 16));
    // The SSSE3 road leaves U and V as bytes in even lanes; so does this one.
#endif
}

void Yuv411(const std::uint8_t* s, std::uint8_t* d, std::size_t groups) {
    const __m128i zero = _mm_setzero_si128();
    std::size_t i = 0;
    for (; i + 8 <= groups; i += 8, s += 48, d += 96) {
        __m128i u, v, y0, y1;
        LoadYuv411(s, u, v, y0, y1);
        const ChromaOffsets c = Chroma(u, v);
        // Each group's offsets repeated for its four pixels.
        auto quad = [](__m128i x, __m128i(&out)[4]) {
            const __m128i low = _mm_unpacklo_epi16(x, x);
            const __m128i high = _mm_unpackhi_epi16(x, x);
            out[0] = _mm_unpacklo_epi32(low, low);
            out[1] = _mm_unpackhi_epi32(low, low);
            out[2] = _mm_unpacklo_epi32(high, high);
            out[3] = _mm_unpackhi_epi32(high, high);
        };
        __m128i blue[4], green[4], red[4];
        quad(c.blue, blue);
        quad(c.green, green);
        quad(c.red, red);
        StoreYuvPixels(d, _mm_unpacklo_epi8(y0, zero), _mm_unpackhi_epi8(y0, zero), blue[0],
                       blue[1], green[0], green[1], red[0], red[1]);
        StoreYuvPixels(d + 48, _mm_unpacklo_epi8(y1, zero), _mm_unpackhi_epi8(y1, zero), blue[2],
                       blue[3], green[2], green[3], red[2], red[3]);
    }
    imaging::scalar::Yuv411(s, d, groups - i);
}

void Yuv444(const std::uint8_t* s, std::uint8_t* d, std::size_t pixels) {
    const __m128i zero = _mm_setzero_si128();
    std::size_t i = 0;
    for (; i + 16 <= pixels; i += 16, s += 48, d += 48) {
        __m128i u, y, v;
        LoadPlanes(s, u, y, v);
        const ChromaOffsets low = Chroma(_mm_unpacklo_epi8(u, zero), _mm_unpacklo_epi8(v, zero));
        const ChromaOffsets high = Chroma(_mm_unpackhi_epi8(u, zero), _mm_unpackhi_epi8(v, zero));
        StoreYuvPixels(d, _mm_unpacklo_epi8(y, zero), _mm_unpackhi_epi8(y, zero), low.blue,
                       high.blue, low.green, high.green, low.red, high.red);
    }
    imaging::scalar::Yuv444(s, d, pixels - i);
}

// For each of the three vectors of a 48-byte run: which bytes keep their place
// (green) and which take the byte two ahead (red into blue's place) or two
// behind.
struct SwapMasks {
    std::uint8_t fromAhead[3][16];
    std::uint8_t stay[3][16];
    std::uint8_t fromBehind[3][16];
};

constexpr SwapMasks MakeSwapMasks() {
    SwapMasks m{};
    for (int k = 0; k < 3; ++k) {
        for (int i = 0; i < 16; ++i) {
            const int channel = (16 * k + i) % 3;
            m.fromAhead[k][i] = channel == 0 ? 0xFF : 0;
            m.stay[k][i] = channel == 1 ? 0xFF : 0;
            m.fromBehind[k][i] = channel == 2 ? 0xFF : 0;
        }
    }
    return m;
}

constexpr SwapMasks kSwapMasks = MakeSwapMasks();

void Rgb8(const std::uint8_t* s, std::uint8_t* d, std::size_t pixels) {
    std::size_t i = 0;
    for (; i + 16 <= pixels; i += 16, s += 48, d += 48) {
        // Swapping bytes 0 and 2 of each pixel is two shifted copies under masks.
        const __m128i v[3] = {Load(s), Load(s + 16), Load(s + 32)};
        const __m128i ahead[3] = {_mm_or_si128(_mm_srli_si128(v[0], 2), _mm_slli_si128(v[1], 14)),
                                  _mm_or_si128(_mm_srli_si128(v[1], 2), _mm_slli_si128(v[2], 14)),
                                  _mm_srli_si128(v[2], 2)};
        const __m128i behind[3] = {_mm_slli_si128(v[0], 2),
                                   _mm_or_si128(_mm_slli_si128(v[1], 2), _mm_srli_si128(v[0], 14)),
                                   _mm_or_si128(_mm_slli_si128(v[2], 2), _mm_srli_si128(v[1], 14))};
        for (int k = 0; k < 3; ++k) {
            Store(d + 16 * k,
                  _mm_or_si128(_mm_or_si128(_mm_and_si128(ahead[k], Load(kSwapMasks.fromAhead[k])),
                                            _mm_and_si128(v[k], Load(kSwapMasks.stay[k]))),
                               _mm_and_si128(behind[k], Load(kSwapMasks.fromBehind[k]))));
        }
    }
    imaging::scalar::Rgb8(s, d, pixels - i);
}

// hi, lo: 16 sample bytes each.
inline void StoreY16Pixels(std::uint8_t* d, __m128i hi, __m128i lo) {
    const __m128i one = _mm_set1_epi8(1);
    // A saturated sample keeps its tint bits out of the sum.
    lo = _mm_andnot_si128(_mm_cmpeq_epi8(hi, _mm_set1_epi8(-1)), lo);
    const __m128i blue = _mm_add_epi8(hi, _mm_and_si128(_mm_srli_epi16(lo, 6), one));
    const __m128i red = _mm_add_epi8(hi, _mm_and_si128(_mm_srli_epi16(lo, 7), one));
    StoreBgr(d, blue, hi, red);
}

template <bool Swapped>
void Y16Kernel(const std::uint8_t* s, std::uint8_t* d, std::size_t pixels) {
    const __m128i lowBytes = Set16(0x00FF);
    std::size_t i = 0;
    for (; i + 16 <= pixels; i += 16, s += 32, d += 48) {
        const __m128i a = Load(s);
        const __m128i b = Load(s + 16);
        const __m128i first =
            _mm_packus_epi16(_mm_and_si128(a, lowBytes), _mm_and_si128(b, lowBytes));
        const __m128i second = _mm_packus_epi16(_mm_srli_epi16(a, 8), _mm_srli_epi16(b, 8));
        if constexpr (Swapped) {
            StoreY16Pixels(d, second, first);
        } else {
            StoreY16Pixels(d, first, second);
        }
    }
    if constexpr (Swapped) {
        imaging::scalar::Y16Swapped(s, d, pixels - i);
    } else {
        imaging::scalar::Y16(s, d, pixels - i);
    }
}

void BayerRowSimd(const std::uint8_t* redRow, const std::uint8_t* blueRow, std::uint8_t* d,
                  std::size_t count, unsigned redPhase) {
    // Lanes whose red sample is in their own column.
    const __m128i own = redPhase == 0 ? Set16(0x00FF) : Set16(static_cast<short>(0xFF00));
    const __m128i one = _mm_set1_epi8(1);
    auto select = [&](__m128i ifOwn, __m128i ifNext) {
        return _mm_or_si128(_mm_and_si128(own, ifOwn), _mm_andnot_si128(own, ifNext));
    };
    // (a + b) >> 1: pavgb rounds up, so take back the carried half.
    auto average = [&](__m128i a, __m128i b) {
        return _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), one));
    };
    std::size_t x = 0;
    // Reads columns x .. x + 16, so stop while column count is the last.
    for (; x + 16 <= count; x += 16, d += 48) {
        const __m128i r0 = Load(redRow + x);
        const __m128i r1 = Load(redRow + x + 1);
        const __m128i b0 = Load(blueRow + x);
        const __m128i b1 = Load(blueRow + x + 1);
        StoreBgr(d, select(b1, b0), select(average(r1, b0), average(r0, b1)), select(r0, r1));
    }
    // x is even, so the phase of the rest is unchanged.
    BayerRow(redRow + x, blueRow + x, d, count - x, redPhase);
}

const imaging::KernelSet& SimdKernelSet(const char* name) {
    static const imaging::KernelSet set{name, Yuv411,           Yuv422,          Yuv444,
                                        Rgb8, Y16Kernel<false>, Y16Kernel<true>, BayerRowSimd};
    return set;
}

}  // namespace
