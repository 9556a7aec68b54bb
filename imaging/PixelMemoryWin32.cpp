#include <windows.h>

#include "PixelMemory.h"

namespace imaging {

PixelMemory AllocatePixelMemory(std::size_t size) {
    PixelMemory memory;
    if (size == 0) {
        return memory;
    }
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (block == nullptr) {
        return memory;
    }
    void* locked = GlobalLock(block);
    if (locked == nullptr) {
        GlobalFree(block);
        return memory;
    }
    memory.handle = block;
    memory.pixels = static_cast<std::uint8_t*>(locked);
    return memory;
}

void FreePixelMemory(const PixelMemory& memory) {
    if (memory.handle == nullptr) {
        return;
    }
    GlobalUnlock(static_cast<HGLOBAL>(memory.handle));
    GlobalFree(static_cast<HGLOBAL>(memory.handle));
}

}  // namespace imaging
