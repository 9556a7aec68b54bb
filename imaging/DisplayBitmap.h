// DisplayBitmap: the pixel store of one camera view: rows top to bottom,
// width x bytes-per-pixel bytes each, no padding; 3-byte pixels are blue,
// green, red. A new one holds a test pattern so that a window shows something
// recognisable before its first frame.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/PixelMemory.h"

class DisplayBitmap {
public:
    // bytesPerPixel: 1 (grey) or 3 (blue, green, red). When the memory cannot
    // be had (or the size makes no sense) the bitmap has no pixels; the caller
    // must check hasPixels() and tell the user.
    DisplayBitmap(std::uint32_t width, std::uint32_t height, std::uint32_t bytesPerPixel);
    ~DisplayBitmap();

    DisplayBitmap(const DisplayBitmap&) = delete;
    DisplayBitmap& operator=(const DisplayBitmap&) = delete;

    bool hasPixels() const { return memory_.pixels != nullptr; }
    std::uint8_t* pixels() const { return memory_.pixels; }
    std::uint32_t width() const { return width_; }
    std::uint32_t height() const { return height_; }
    std::uint32_t bytesPerPixel() const { return bytesPerPixel_; }
    // width x height x bytes per pixel; 0 without pixels.
    std::size_t sizeInBytes() const { return hasPixels() ? size_ : 0; }

private:
    void FillInitialPattern();

    imaging::PixelMemory memory_;
    std::uint32_t width_;
    std::uint32_t height_;
    std::uint32_t bytesPerPixel_;
    std::size_t size_ = 0;
};

// The text the view shows when a DisplayBitmap got no pixels.
inline constexpr const char* kVideoMemoryErrorText = "Error while allocating Videomemory.";
