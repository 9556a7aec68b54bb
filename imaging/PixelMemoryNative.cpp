#include <cstdlib>

#include "PixelMemory.h"

namespace imaging {

PixelMemory AllocatePixelMemory(std::size_t size) {
    PixelMemory memory;
    if (size == 0) {
        return memory;
    }
    void* block = std::calloc(size, 1);
    memory.handle = block;
    memory.pixels = static_cast<std::uint8_t*>(block);
    return memory;
}

void FreePixelMemory(const PixelMemory& memory) {
    std::free(memory.handle);
}

}  // namespace imaging
