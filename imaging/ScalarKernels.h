// Table-driven conversion loops; the SIMD kernels finish their tails with them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace imaging::scalar {

void Yuv411(const std::uint8_t* source, std::uint8_t* destination, std::size_t groups);
void Yuv422(const std::uint8_t* source, std::uint8_t* destination, std::size_t groups);
void Yuv444(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixels);
void Rgb8(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixels);
void Y16(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixels);
void Y16Swapped(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixels);
void BayerRow(const std::uint8_t* redRow, const std::uint8_t* blueRow, std::uint8_t* destination,
              std::size_t count, unsigned redPhase);

}  // namespace imaging::scalar
