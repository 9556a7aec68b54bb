#include "FrameConversion.h"

#include <cstddef>
#include <cstring>
#include <limits>

#include "ConversionKernels.h"
#include "YuvTables.h"

namespace {

// The pixel count as a size, or 0 when 3 bytes per pixel could not be
// addressed (no such buffer can exist).
std::size_t PixelCount(std::uint32_t width, std::uint32_t height) {
    const std::uint64_t count = std::uint64_t{width} * height;
    return count > std::numeric_limits<std::size_t>::max() / 3 ? 0
                                                               : static_cast<std::size_t>(count);
}

const imaging::KernelSet& Kernels() {
    return imaging::ActiveKernels();
}

}  // namespace

void ConvertYuv411(std::uint32_t width, std::uint32_t height, const std::uint8_t* source,
                   std::uint8_t* destination) {
    InitYuvTables();
    Kernels().yuv411(source, destination, PixelCount(width, height) / 4);
}

void ConvertYuv422(std::uint32_t width, std::uint32_t height, const std::uint8_t* source,
                   std::uint8_t* destination) {
    InitYuvTables();
    Kernels().yuv422(source, destination, PixelCount(width, height) / 2);
}

void ConvertYuv444(std::uint32_t width, std::uint32_t height, const std::uint8_t* source,
                   std::uint8_t* destination) {
    InitYuvTables();
    Kernels().yuv444(source, destination, PixelCount(width, height));
}

void ConvertRgb8(std::uint32_t width, std::uint32_t height, const std::uint8_t* source,
                 std::uint8_t* destination) {
    Kernels().rgb8(source, destination, PixelCount(width, height));
}

void ConvertY16(std::uint32_t width, std::uint32_t height, const std::uint8_t* source,
                std::uint8_t* destination) {
    Kernels().y16(source, destination, PixelCount(width, height));
}

void ConvertY16Swapped(std::uint32_t width, std::uint32_t height, const std::uint8_t* source,
                       std::uint8_t* destination) {
    Kernels().y16Swapped(source, destination, PixelCount(width, height));
}

void ConvertBayer(std::uint32_t width, std::uint32_t height, const std::uint8_t* source,
                  std::uint8_t* destination, int layout) {
    if (PixelCount(width, height) == 0) {
        return;
    }
    // Column and row parity of the red sample in each layout.
    static constexpr unsigned kRedColumn[4] = {0, 1, 1, 0};
    static constexpr unsigned kRedRow[4] = {0, 0, 1, 1};
    const unsigned redColumn = kRedColumn[layout & 3];
    const unsigned redRow = kRedRow[layout & 3];
    const std::size_t rowBytes = std::size_t{width} * 3;
    const auto& kernels = Kernels();
    for (std::uint32_t y = 0; y + 1 < height; ++y) {
        const std::uint8_t* top = source + std::size_t{y} * width;
        const std::uint8_t* bottom = top + width;
        const bool redOnTop = ((y ^ redRow) & 1) == 0;
        std::uint8_t* out = destination + std::size_t{y} * rowBytes;
        kernels.bayerRow(redOnTop ? top : bottom, redOnTop ? bottom : top, out, width - 1,
                         redColumn);
        std::memset(out + rowBytes - 3, 0, 3);
    }
    std::memset(destination + std::size_t{height - 1} * rowBytes, 0, rowBytes);
}

int BayerLayoutOf(FrameType type) {
    // Raw types are 9 + the camera's pattern value.
    switch (static_cast<int>(type) - static_cast<int>(FrameType::Bayer)) {
        case 0:  // "R-G G-B"
            return 0;
        case 1:  // "B-G G-R"
            return 2;
        case 2:  // "G-R B-G"
            return 1;
        case 3:  // "G-B R-G"
            return 3;
        default:
            return -1;
    }
}

bool ConvertFrame(DisplayBitmap& bitmap, const FrameEntry& frame) {
    if (!bitmap.hasPixels() || bitmap.bytesPerPixel() != 3 || frame.data == nullptr) {
        return false;
    }
    if (std::uint64_t{frame.width} * frame.height >
        std::uint64_t{bitmap.width()} * bitmap.height()) {
        return false;
    }
    const std::uint32_t w = frame.width;
    const std::uint32_t h = frame.height;
    const std::uint8_t* s = frame.data;
    std::uint8_t* d = bitmap.pixels();
    switch (frame.frameType) {
        case FrameType::Yuv411:
            ConvertYuv411(w, h, s, d);
            break;
        case FrameType::Yuv422:
            ConvertYuv422(w, h, s, d);
            break;
        case FrameType::Yuv444:
            ConvertYuv444(w, h, s, d);
            break;
        case FrameType::Rgb8:
            ConvertRgb8(w, h, s, d);
            break;
        case FrameType::Y16:
            ConvertY16(w, h, s, d);
            break;
        case FrameType::Y16Swapped:
            ConvertY16Swapped(w, h, s, d);
            break;
        default: {
            const int layout = BayerLayoutOf(frame.frameType);
            if (layout < 0) {
                return false;
            }
            ConvertBayer(w, h, s, d, layout);
            break;
        }
    }
    if (frame.mark != 0) {
        DrawFrameMark(d, bitmap.width(), bitmap.height(), 3);
    }
    return true;
}

void DrawFrameMark(std::uint8_t* pixels, std::uint32_t width, std::uint32_t height,
                   std::uint32_t bytesPerPixel) {
    if (pixels == nullptr) {
        return;
    }
    const std::size_t rowBytes = std::size_t{width} * bytesPerPixel;
    const std::size_t markBytes = std::size_t{width < 8 ? width : 8} * bytesPerPixel;
    const std::uint32_t rows = height < 8 ? height : 8;
    for (std::uint32_t y = 0; y < rows; ++y) {
        std::memset(pixels + y * rowBytes, 0xFF, markBytes);
    }
}
