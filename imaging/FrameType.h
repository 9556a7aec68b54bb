// FrameType: the colour byte of a queued frame. It starts as the IIDC colour
// code of the frame and is adjusted once for Y-16 frames; any byte value can
// occur, the named ones select a conversion.
#pragma once

#include <cstdint>

enum class FrameType : std::uint8_t {
    Y8 = 0,          // one luminance byte per pixel; shown as it is
    Yuv411 = 1,      // U Y0 Y1 V Y2 Y3 per 4 pixels
    Yuv422 = 2,      // U Y0 V Y1 per 2 pixels
    Yuv444 = 3,      // U Y V per pixel
    Rgb8 = 4,        // R G B per pixel
    Y16 = 5,         // 16-bit luminance, most significant byte first
    Rgb16 = 6,       // not converted
    Y16Swapped = 7,  // 16-bit luminance, least significant byte first
    Bayer = 9,       // raw samples; 9 + the camera's Bayer pattern (0..3)
};
