#include "DisplayBitmap.h"

#include <cstring>
#include <limits>

namespace {

// width x height x bytesPerPixel, or 0 when it does not fit in memory.
std::size_t StoreSize(std::uint32_t width, std::uint32_t height, std::uint32_t bytesPerPixel) {
    const std::uint64_t pixels = std::uint64_t{width} * height;
    if (pixels > std::numeric_limits<std::size_t>::max() / bytesPerPixel) {
        return 0;
    }
    return static_cast<std::size_t>(pixels) * bytesPerPixel;
}

}  // namespace

DisplayBitmap::DisplayBitmap(std::uint32_t width, std::uint32_t height, std::uint32_t bytesPerPixel)
    : width_(width), height_(height), bytesPerPixel_(bytesPerPixel) {
    if (bytesPerPixel != 1 && bytesPerPixel != 3) {
        return;
    }
    size_ = StoreSize(width, height, bytesPerPixel);
    if (size_ == 0) {
        return;
    }
    memory_ = imaging::AllocatePixelMemory(size_);
    if (hasPixels()) {
        FillInitialPattern();
    }
}

DisplayBitmap::~DisplayBitmap() {
    imaging::FreePixelMemory(memory_);
}

// Grey: a diagonal ramp. Colour: each row shows its number mod 256 in one
// channel, red for rows 0..255, green for the next 256, then blue, and again.
void DisplayBitmap::FillInitialPattern() {
    std::uint8_t* row = memory_.pixels;
    const std::size_t rowBytes = std::size_t{width_} * bytesPerPixel_;
    for (std::uint32_t y = 0; y < height_; ++y, row += rowBytes) {
        if (bytesPerPixel_ == 1) {
            for (std::uint32_t x = 0; x < width_; ++x) {
                row[x] = static_cast<std::uint8_t>(x + y);
            }
            continue;
        }
        // Memory comes zeroed; channel offsets are blue 0, green 1, red 2.
        static constexpr int kChannelOfBand[3] = {2, 1, 0};
        const int channel = kChannelOfBand[(y / 256) % 3];
        const auto level = static_cast<std::uint8_t>(y);
        for (std::uint32_t x = 0; x < width_; ++x) {
            row[std::size_t{x} * 3 + channel] = level;
        }
    }
}
