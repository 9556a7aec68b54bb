// Bitmap files: an image as an uncompressed Windows .bmp, 8-bit grey with a
// grey palette or 24-bit blue-green-red, rows bottom-up, each padded to a
// multiple of 4 bytes.
#pragma once

#include <cstdint>

#include "imaging/DisplayBitmap.h"
#include "imaging/OutputFile.h"

// pixels: rows top to bottom, width x bytesPerPixel (1 or 3) bytes each, no
// padding. Creates or replaces the file. True when the whole file was
// written; otherwise false, and a partly written file is removed.
bool WriteBitmapFile(const char* fileName, const std::uint8_t* pixels, std::uint32_t width,
                     std::uint32_t height, std::uint32_t bytesPerPixel);

// The same for a DisplayBitmap; false for one without pixels.
bool WriteBitmapFile(const char* fileName, const DisplayBitmap& bitmap);

namespace imaging {
// Writes the whole file into `file` (not closing it). False on the first failed
// write, or when the image cannot be a bitmap file (no pixels, no size, a size
// the headers cannot hold, or bytes per pixel not 1 or 3).
bool WriteBitmap(OutputFile& file, const std::uint8_t* pixels, std::uint32_t width,
                 std::uint32_t height, std::uint32_t bytesPerPixel);
}  // namespace imaging
