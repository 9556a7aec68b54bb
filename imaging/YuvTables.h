// YuvTables: the chroma lookup tables of the YUV conversions.
//
// Each table has 256 entries indexed by the chroma byte c; with d = c - 128 an
// entry packs two signed 16-bit parts, the first named one in the upper half:
//   U table: blue part trunc(1.771 d), green part trunc(-0.3457 d)
//   V table: red part trunc(1.4022 d), green part trunc(-0.7144 d)
#pragma once

#include <cstdint>

// Builds the tables on the first call; later calls (from any thread) return at
// once. The bus library's module start calls it before any frame can arrive.
void InitYuvTables();

// The tables; valid after InitYuvTables().
const std::uint32_t* YuvTableU();
const std::uint32_t* YuvTableV();

inline int UpperPart(std::uint32_t entry) {
    return static_cast<std::int16_t>(entry >> 16);
}
inline int LowerPart(std::uint32_t entry) {
    return static_cast<std::int16_t>(entry & 0xFFFF);
}
