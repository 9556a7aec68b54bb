#include "sim/TestPattern.h"

#include <algorithm>
#include <cstring>

#include "sim/SimRegisters.h"

namespace sim {

const Rgb TestPattern::kBars[8] = {{255, 255, 255}, {255, 255, 0}, {0, 255, 255}, {0, 255, 0},
                                   {255, 0, 255},   {255, 0, 0},   {0, 0, 255},   {0, 0, 0}};

namespace {

// 3 x 5 digits, one row per 3 bits (bit 2 = left column).
constexpr std::uint8_t kDigits[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7}};
constexpr std::uint32_t kCounterDigits = 8;
constexpr std::uint32_t kBoxCellsWide = kCounterDigits * 4 + 1;
constexpr std::uint32_t kBoxCellsHigh = 7;

std::uint8_t Clamp(int v) {
    return static_cast<std::uint8_t>(std::clamp(v, 0, 255));
}

struct Yuv {
    std::uint8_t y, u, v;
};

Yuv ToYuv(Rgb c) {
    const int r = c.r;
    const int g = c.g;
    const int b = c.b;
    return {Clamp((77 * r + 150 * g + 29 * b + 128) >> 8),
            Clamp(((-43 * r - 85 * g + 128 * b + 128) >> 8) + 128),
            Clamp(((128 * r - 107 * g - 21 * b + 128) >> 8) + 128)};
}

std::size_t EncodeGroup(const Rgb* p, std::uint8_t coding, std::uint8_t* out) {
    switch (coding) {
        case reg::kYuv411: {
            const Yuv a = ToYuv(p[0]);
            out[0] = a.u;
            out[1] = a.y;
            out[2] = ToYuv(p[1]).y;
            out[3] = a.v;
            out[4] = ToYuv(p[2]).y;
            out[5] = ToYuv(p[3]).y;
            return 6;
        }
        case reg::kYuv422: {
            const Yuv a = ToYuv(p[0]);
            out[0] = a.u;
            out[1] = a.y;
            out[2] = a.v;
            out[3] = ToYuv(p[1]).y;
            return 4;
        }
        case reg::kYuv444: {
            const Yuv a = ToYuv(p[0]);
            out[0] = a.u;
            out[1] = a.y;
            out[2] = a.v;
            return 3;
        }
        case reg::kRgb8:
            out[0] = p[0].r;
            out[1] = p[0].g;
            out[2] = p[0].b;
            return 3;
        case reg::kY16: {
            const std::uint8_t y = ToYuv(p[0]).y;
            out[0] = y;  // most significant byte first
            out[1] = y;
            return 2;
        }
        case reg::kRgb16:
            out[0] = out[1] = p[0].r;
            out[2] = out[3] = p[0].g;
            out[4] = out[5] = p[0].b;
            return 6;
        default:
            out[0] = ToYuv(p[0]).y;
            return 1;
    }
}

std::size_t GroupPixels(std::uint8_t coding) {
    return coding == reg::kYuv411 ? 4 : coding == reg::kYuv422 ? 2 : 1;
}

}  // namespace

std::size_t EncodePixels(const Rgb* pixels, std::size_t count, std::uint8_t coding,
                         std::uint8_t* out) {
    const std::size_t group = GroupPixels(coding);
    std::size_t written = 0;
    std::size_t i = 0;
    for (; i + group <= count; i += group) {
        written += EncodeGroup(pixels + i, coding, out + written);
    }
    if (i < count) {
        // A partial last group: pad by repeating its last pixel, keep the bytes that belong.
        Rgb padded[4];
        std::uint8_t bytes[8];
        for (std::size_t k = 0; k < group; ++k) {
            padded[k] = pixels[std::min(i + k, count - 1)];
        }
        EncodeGroup(padded, coding, bytes);
        const std::size_t keep = static_cast<std::size_t>(reg::ImageBytes(coding, count)) - written;
        std::memcpy(out + written, bytes, keep);
        written += keep;
    }
    return written;
}

TestPattern::TestPattern(std::uint32_t width, std::uint32_t height, std::uint8_t coding)
    : width_(width),
      height_(height),
      coding_(coding),
      frameBytes_(reg::ImageBytes(coding, std::uint64_t{width} * height)),
      period_(std::max<std::uint32_t>(32, (width / 2) / 32 * 32)),
      cell_(4 * std::max<std::uint32_t>(1, width / 320)),
      fast_(width % 4 == 0 && width > 0) {
    if (!fast_) {
        return;
    }
    rowBytes_ = static_cast<std::size_t>(reg::ImageBytes(coding, width));
    std::vector<Rgb> pixels(width + period_);
    for (int band = 0; band < 3; ++band) {
        for (std::uint32_t x = 0; x < pixels.size(); ++x) {
            pixels[x] = BaseColour(x % period_, static_cast<Band>(band));
        }
        rows_[band].resize(static_cast<std::size_t>(reg::ImageBytes(coding, pixels.size())));
        EncodePixels(pixels.data(), pixels.size(), coding, rows_[band].data());
    }
    const std::vector<Rgb> white(cell_, Rgb{255, 255, 255});
    const std::vector<Rgb> black(cell_, Rgb{0, 0, 0});
    whiteCell_.resize(static_cast<std::size_t>(reg::ImageBytes(coding, cell_)));
    blackCell_.resize(whiteCell_.size());
    EncodePixels(white.data(), cell_, coding, whiteCell_.data());
    EncodePixels(black.data(), cell_, coding, blackCell_.data());
}

TestPattern::Band TestPattern::BandOf(std::uint32_t y) const {
    const std::uint64_t eighths = std::uint64_t{y} * 8 / std::max<std::uint32_t>(height_, 1);
    return eighths < 5 ? kBarsRight : eighths < 7 ? kRamp : kBarsLeft;
}

std::uint32_t TestPattern::Shift(Band band, std::uint64_t number) const {
    const auto s = static_cast<std::uint32_t>((number * kStepPixels) % period_);
    // Rightward motion: pixel x shows what was at x - shift.
    return band == kBarsLeft ? s : (period_ - s) % period_;
}

Rgb TestPattern::BaseColour(std::uint32_t virtualX, Band band) const {
    if (band == kRamp) {
        const auto grey = static_cast<std::uint8_t>(virtualX * 255 / (period_ - 1));
        return {grey, grey, grey};
    }
    return kBars[virtualX * 8 / period_];
}

bool TestPattern::OverlayCell(std::uint32_t x, std::uint32_t y, std::uint64_t number,
                              bool* white) const {
    const std::uint32_t cx = x / cell_;
    const std::uint32_t cy = y / cell_;
    if (cx < 1 || cy < 1 || cx >= 1 + kBoxCellsWide || cy >= 1 + kBoxCellsHigh) {
        return false;
    }
    *white = false;
    const std::uint32_t bx = cx - 1;  // box cells
    const std::uint32_t by = cy - 1;
    if (by >= 1 && by <= 5 && bx >= 1) {
        const std::uint32_t digitPos = (bx - 1) / 4;
        const std::uint32_t column = (bx - 1) % 4;
        if (column < 3 && digitPos < kCounterDigits) {
            std::uint64_t n = number;
            for (std::uint32_t k = digitPos + 1; k < kCounterDigits; ++k) {
                n /= 10;
            }
            const auto bits = kDigits[n % 10][by - 1];
            *white = (bits >> (2 - column)) & 1;
        }
    }
    return true;
}

Rgb TestPattern::PixelColour(std::uint32_t x, std::uint32_t y, std::uint64_t number) const {
    bool white = false;
    if (OverlayCell(x, y, number, &white) && (x / cell_ + 1) * cell_ <= width_ &&
        (y / cell_ + 1) * cell_ <= height_) {
        return white ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
    }
    const Band band = BandOf(y);
    return BaseColour((x + Shift(band, number)) % period_, band);
}

std::size_t TestPattern::Render(std::uint64_t number, std::uint8_t* out,
                                std::size_t capacity) const {
    return fast_ ? RenderFast(number, out, capacity) : RenderGeneral(number, out, capacity);
}

std::size_t TestPattern::RenderFast(std::uint64_t number, std::uint8_t* out,
                                    std::size_t capacity) const {
    const std::size_t total =
        static_cast<std::size_t>(std::min<std::uint64_t>(frameBytes_, capacity));
    std::size_t shiftBytes[3];
    for (int band = 0; band < 3; ++band) {
        const std::uint32_t shift = Shift(static_cast<Band>(band), number);
        shiftBytes[band] = static_cast<std::size_t>(reg::ImageBytes(coding_, shift));
    }
    std::size_t done = 0;
    for (std::uint32_t y = 0; y < height_ && done < total; ++y) {
        const Band band = BandOf(y);
        const std::size_t n = std::min(rowBytes_, total - done);
        std::memcpy(out + done, rows_[band].data() + shiftBytes[band], n);
        done += n;
    }
    // Counter overlay: whole cells only, clipped to the image and the capacity.
    const std::size_t cellBytes = whiteCell_.size();
    for (std::uint32_t cy = 1; cy < 1 + kBoxCellsHigh; ++cy) {
        if ((cy + 1) * cell_ > height_) {
            break;
        }
        for (std::uint32_t cx = 1; cx < 1 + kBoxCellsWide; ++cx) {
            if ((cx + 1) * cell_ > width_) {
                break;
            }
            bool white = false;
            OverlayCell(cx * cell_, cy * cell_, number, &white);
            const std::uint8_t* src = white ? whiteCell_.data() : blackCell_.data();
            const std::size_t xBytes =
                static_cast<std::size_t>(reg::ImageBytes(coding_, cx * cell_));
            for (std::uint32_t y = cy * cell_; y < (cy + 1) * cell_; ++y) {
                const std::size_t at = y * rowBytes_ + xBytes;
                if (at < total) {
                    std::memcpy(out + at, src, std::min(cellBytes, total - at));
                }
            }
        }
    }
    return total;
}

std::size_t TestPattern::RenderGeneral(std::uint64_t number, std::uint8_t* out,
                                       std::size_t capacity) const {
    const std::size_t pixels = std::size_t{width_} * height_;
    std::vector<Rgb> image(pixels);
    for (std::uint32_t y = 0; y < height_; ++y) {
        for (std::uint32_t x = 0; x < width_; ++x) {
            image[std::size_t{y} * width_ + x] = PixelColour(x, y, number);
        }
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(frameBytes_));
    EncodePixels(image.data(), pixels, coding_, bytes.data());
    const std::size_t n = std::min(bytes.size(), capacity);
    std::memcpy(out, bytes.data(), n);
    return n;
}

}  // namespace sim
