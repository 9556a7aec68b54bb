// The frame conversions in their plainest table-driven form: one pixel at a
// time, chroma from 256-entry tables built with exact integer arithmetic, the
// clamp taken from the 16-bit sum's upper byte. The shipped routines must give
// the same bytes for every input.
#pragma once

#include <cstdint>

namespace reference {

void ConvertYuv411(std::uint32_t width, std::uint32_t height, const std::uint8_t* source,
                   std::uint8_t* destination);
void ConvertYuv422(std::uint32_t width, std::uint32_t height, const std::uint8_t* source,
                   std::uint8_t* destination);
void ConvertYuv444(std::uint32_t width, std::uint32_t height, const std::uint8_t* source,
                   std::uint8_t* destination);
void ConvertRgb8(std::uint32_t width, std::uint32_t height, const std::uint8_t* source,
                 std::uint8_t* destination);
void ConvertY16(std::uint32_t width, std::uint32_t height, const std::uint8_t* source,
                std::uint8_t* destination);
void ConvertY16Swapped(std::uint32_t width, std::uint32_t height, const std::uint8_t* source,
                       std::uint8_t* destination);
void ConvertBayer(std::uint32_t width, std::uint32_t height, const std::uint8_t* source,
                  std::uint8_t* destination, int layout);

// One YUV pixel as blue, green, red.
void YuvPixel(std::uint8_t y, std::uint8_t u, std::uint8_t v, std::uint8_t* bgr);

}  // namespace reference
