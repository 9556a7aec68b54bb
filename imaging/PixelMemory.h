// PixelMemory: where display bitmaps keep their pixels. On Windows a movable
// global memory block, locked while it lives; natively the ordinary allocator.
#pragma once

#include <cstddef>
#include <cstdint>

namespace imaging {

struct PixelMemory {
    void* handle = nullptr;
    std::uint8_t* pixels = nullptr;  // nullptr: no memory
};

// A zero-filled block of `size` bytes (size > 0); no pixels on failure.
PixelMemory AllocatePixelMemory(std::size_t size);
// Accepts a PixelMemory without pixels.
void FreePixelMemory(const PixelMemory& memory);

}  // namespace imaging
