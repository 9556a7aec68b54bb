#include "BitmapFile.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

namespace imaging {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kPaletteSize = 256 * 4;
// Rows are gathered into writes of about this size.
constexpr std::size_t kChunkSize = 256 * 1024;

void Put16(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t value) {
    Put16(at, value);
    Put16(at + 2, value >> 16);
}

}  // namespace

namespace {

struct Layout {
    std::size_t rowBytes;
    std::size_t paddedRow;
    std::uint32_t offBits;
    std::uint32_t imageSize;
};

// The file's geometry, or false when the image cannot be a bitmap file.
bool ComputeLayout(const std::uint8_t* pixels, std::uint32_t width, std::uint32_t height,
                   std::uint32_t bytesPerPixel, Layout& layout) {
    if (pixels == nullptr || width == 0 || height == 0 ||
        (bytesPerPixel != 1 && bytesPerPixel != 3)) {
        return false;
    }
    const std::uint64_t rowBytes = std::uint64_t{width} * bytesPerPixel;
    const std::uint64_t paddedRow = (rowBytes + 3) & ~std::uint64_t{3};
    const std::uint64_t offBits =
        kFileHeaderSize + kInfoHeaderSize + (bytesPerPixel == 1 ? kPaletteSize : 0);
    const std::uint64_t imageSize = paddedRow * height;
    // The headers hold 32-bit sizes and a signed 32-bit width and height.
    if (imageSize + offBits > std::numeric_limits<std::uint32_t>::max() || width > 0x7FFFFFFF ||
        height > 0x7FFFFFFF || rowBytes * height > std::numeric_limits<std::size_t>::max()) {
        return false;
    }
    layout = {static_cast<std::size_t>(rowBytes), static_cast<std::size_t>(paddedRow),
              static_cast<std::uint32_t>(offBits), static_cast<std::uint32_t>(imageSize)};
    return true;
}

}  // namespace

bool WriteBitmap(OutputFile& file, const std::uint8_t* pixels, std::uint32_t width,
                 std::uint32_t height, std::uint32_t bytesPerPixel) {
    Layout layout{};
    if (!ComputeLayout(pixels, width, height, bytesPerPixel, layout)) {
        return false;
    }
    const bool grey = bytesPerPixel == 1;
    const std::size_t rowBytes = layout.rowBytes;
    const std::size_t paddedRow = layout.paddedRow;
    const std::uint32_t offBits = layout.offBits;
    const std::uint32_t imageSize = layout.imageSize;

    std::uint8_t headers[kFileHeaderSize + kInfoHeaderSize + kPaletteSize] = {};
    std::uint8_t* fileHeader = headers;
    Put16(fileHeader + 0, 0x4D42);  // "BM"
    Put32(fileHeader + 2, offBits + imageSize);
    Put32(fileHeader + 10, offBits);
    std::uint8_t* info = headers + kFileHeaderSize;
    Put32(info + 0, kInfoHeaderSize);
    Put32(info + 4, width);
    Put32(info + 8, height);  // positive: bottom-up rows
    Put16(info + 12, 1);
    Put16(info + 14, bytesPerPixel * 8);
    Put32(info + 16, 0);  // BI_RGB
    Put32(info + 20, imageSize);
    Put32(info + 32, grey ? 256 : 0);
    Put32(info + 36, grey ? 256 : 0);
    if (grey) {
        std::uint8_t* palette = info + kInfoHeaderSize;
        for (std::uint32_t i = 0; i < 256; ++i) {
            palette[i * 4 + 0] = palette[i * 4 + 1] = palette[i * 4 + 2] =
                static_cast<std::uint8_t>(i);
        }
    }
    if (!file.Write(headers, offBits)) {
        return false;
    }

    // Rows bottom-up with their padding, gathered into larger writes.
    const std::size_t capacity = std::max(kChunkSize, paddedRow);
    std::unique_ptr<std::uint8_t[]> chunk(new (std::nothrow) std::uint8_t[capacity]);
    if (!chunk) {
        return false;
    }
    std::size_t filled = 0;
    for (std::uint32_t y = height; y-- > 0;) {
        if (filled + paddedRow > capacity) {
            if (!file.Write(chunk.get(), filled)) {
                return false;
            }
            filled = 0;
        }
        std::memcpy(chunk.get() + filled, pixels + std::size_t{y} * rowBytes, rowBytes);
        std::memset(chunk.get() + filled + rowBytes, 0, paddedRow - rowBytes);
        filled += paddedRow;
    }
    return file.Write(chunk.get(), filled);
}

}  // namespace imaging

bool WriteBitmapFile(const char* fileName, const std::uint8_t* pixels, std::uint32_t width,
                     std::uint32_t height, std::uint32_t bytesPerPixel) {
    imaging::Layout layout{};
    if (fileName == nullptr || fileName[0] == '\0' ||
        !imaging::ComputeLayout(pixels, width, height, bytesPerPixel, layout)) {
        return false;
    }
    auto file = imaging::CreateOutputFile(fileName);
    if (!file) {
        return false;
    }
    if (!imaging::WriteBitmap(*file, pixels, width, height, bytesPerPixel) || !file->Close()) {
        file->CloseAndRemove();
        return false;
    }
    return true;
}

bool WriteBitmapFile(const char* fileName, const DisplayBitmap& bitmap) {
    if (!bitmap.hasPixels()) {
        return false;
    }
    return WriteBitmapFile(fileName, bitmap.pixels(), bitmap.width(), bitmap.height(),
                           bitmap.bytesPerPixel());
}
