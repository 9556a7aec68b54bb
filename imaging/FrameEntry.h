// FrameEntry: one received frame as the acquisition engine queues it for its
// view. In the 32-bit build it is the 20 bytes the image view copies.
#pragma once

#include <cstdint>

#include "imaging/FrameType.h"

struct FrameEntry {
    std::uint32_t bufferHandle = 0;  // the driver's buffer; 0 = none
    std::uint8_t* data = nullptr;    // the frame's bytes, lent by the driver
    std::uint16_t left = 0;
    std::uint16_t top = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    FrameType frameType = FrameType::Y8;
    std::uint8_t unused = 0;
    std::uint16_t mark = 0;  // non-zero: draw the frame mark
};

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(FrameEntry) == 20);
#endif
