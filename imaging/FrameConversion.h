// Frame conversion: received camera frames into 24-bit blue-green-red pixels.
//
// The routines take width x height as a pixel count and walk source and
// destination in sequence (ConvertBayer alone works in rows). The destination
// must hold 3 x width x height bytes; the source the frame's bytes. YUV sums
// are clamped to 0..255 with one twist: a negative sum shows as 1.
#pragma once

#include <cstdint>

#include "imaging/DisplayBitmap.h"
#include "imaging/FrameEntry.h"
#include "imaging/FrameType.h"

// width x height / 4 groups of U Y0 Y1 V Y2 Y3; a partial group is left out.
void ConvertYuv411(std::uint32_t width, std::uint32_t height, const std::uint8_t* source,
                   std::uint8_t* destination);
// width x height / 2 groups of U Y0 V Y1; an odd last pixel is left out.
void ConvertYuv422(std::uint32_t width, std::uint32_t height, const std::uint8_t* source,
                   std::uint8_t* destination);
void ConvertYuv444(std::uint32_t width, std::uint32_t height, const std::uint8_t* source,
                   std::uint8_t* destination);
void ConvertRgb8(std::uint32_t width, std::uint32_t height, const std::uint8_t* source,
                 std::uint8_t* destination);
// 16-bit grey, most significant byte first: the upper byte as grey with a
// one-step tint of blue (bit 6 of the lower byte) and red (bit 7).
void ConvertY16(std::uint32_t width, std::uint32_t height, const std::uint8_t* source,
                std::uint8_t* destination);
// The same with the least significant byte first.
void ConvertY16Swapped(std::uint32_t width, std::uint32_t height, const std::uint8_t* source,
                       std::uint8_t* destination);

// Demosaics one sample byte per pixel. layout names the sensor's top-left
// 2 x 2 block: 0 R G / G B, 1 G R / B G, 2 B G / G R, 3 G B / R G. Every
// pixel takes its colours from the block to its lower right, so the last
// column and the last row are black.
void ConvertBayer(std::uint32_t width, std::uint32_t height, const std::uint8_t* source,
                  std::uint8_t* destination, int layout);

// Converts a queued frame into the bitmap by its frame type and then draws
// the frame mark if the frame has one. Returns false, leaving the bitmap as it
// was, when the type has no conversion (grey frames are shown as they are),
// the bitmap has no pixels or is not 24-bit, or the frame has more pixels than
// the bitmap.
bool ConvertFrame(DisplayBitmap& bitmap, const FrameEntry& frame);

// The frame mark: a white 8 x 8 square at the top left, clipped to the image.
void DrawFrameMark(std::uint8_t* pixels, std::uint32_t width, std::uint32_t height,
                   std::uint32_t bytesPerPixel);

// The Bayer layout a raw frame type stands for; -1 for other types. The
// camera's pattern values follow the names the settings show ("R-G G-B",
// "B-G G-R", "G-R B-G", "G-B R-G").
int BayerLayoutOf(FrameType type);
