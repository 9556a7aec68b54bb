#include "camera/VideoModes.h"

#include <iterator>

namespace {

constexpr std::uint8_t kY8 = 0;
constexpr std::uint8_t kYuv411 = 1;
constexpr std::uint8_t kYuv422 = 2;
constexpr std::uint8_t kYuv444 = 3;
constexpr std::uint8_t kRgb8 = 4;
constexpr std::uint8_t kY16 = 5;

}  // namespace

// Payloads follow from 8000 isochronous packets per second.
const std::array<FixedFormatMode, kFixedFormatCount * kModesPerFormat> kFixedFormatModes{{
    // Format 0
    {160, 120, kYuv444, 0, {0, 30, 60, 120, 240, 0, 0}},
    {320, 240, kYuv422, 0, {40, 80, 160, 320, 640, 0, 0}},
    {640, 480, kYuv411, 0, {120, 240, 480, 960, 1920, 0, 0}},
    {640, 480, kYuv422, 0, {160, 320, 640, 1280, 2560, 0, 0}},
    {640, 480, kRgb8, 0, {240, 480, 960, 1920, 3840, 0, 0}},
    {640, 480, kY8, 0, {80, 160, 320, 640, 1280, 2560, 0}},
    {640, 480, kY16, 0, {160, 320, 640, 1280, 2560, 0, 0}},
    {0, 0, kY8, 0, {0, 0, 0, 0, 0, 0, 0}},  // no such mode
    // Format 1
    {800, 600, kYuv422, 0, {0, 500, 1000, 2000, 4000, 0, 0}},
    {800, 600, kRgb8, 0, {0, 0, 1500, 3000, 0, 0, 0}},
    {800, 600, kY8, 0, {0, 0, 500, 1000, 2000, 4000, 0}},
    {1024, 768, kYuv422, 0, {384, 768, 1536, 3072, 0, 0, 0}},
    {1024, 768, kRgb8, 0, {576, 1152, 2304, 0, 0, 0, 0}},
    {1024, 768, kY8, 0, {192, 384, 768, 1536, 3072, 0, 0}},
    {800, 600, kY16, 0, {0, 500, 1000, 2000, 4000, 0, 0}},
    {1024, 768, kY16, 0, {384, 768, 1536, 3072, 0, 0, 0}},
    // Format 2
    {1280, 960, kYuv422, 0, {640, 1280, 2560, 0, 0, 0, 0}},
    {1280, 960, kRgb8, 0, {960, 1920, 3840, 0, 0, 0, 0}},
    {1280, 960, kY8, 0, {320, 640, 1280, 2560, 0, 0, 0}},
    {1600, 1200, kYuv422, 0, {1000, 2000, 4000, 0, 0, 0, 0}},
    {1600, 1200, kRgb8, 0, {1500, 3000, 0, 0, 0, 0, 0}},
    {1600, 1200, kY8, 0, {500, 1000, 2000, 4000, 0, 0, 0}},
    {1280, 960, kY16, 0, {640, 1280, 2560, 0, 0, 0, 0}},
    {1600, 1200, kY16, 0, {1000, 2000, 4000, 0, 0, 0, 0}},
}};

const FixedFormatMode* FindFixedFormatMode(unsigned format, unsigned mode) {
    if (format >= kFixedFormatCount || mode >= kModesPerFormat) {
        return nullptr;
    }
    return &kFixedFormatModes[format * kModesPerFormat + mode];
}

std::uint16_t FixedFormatPayload(unsigned format, unsigned mode, unsigned frameRate) {
    const FixedFormatMode* entry = FindFixedFormatMode(format, mode);
    if (entry == nullptr || frameRate >= std::size(entry->payload)) {
        return 0;
    }
    return entry->payload[frameRate];
}

const std::array<const char*, 8> kColourCodeNames{"Y-8",   "YUV-411", "YUV-422", "YUV-444",
                                                  "RGB-8", "Y-16",    "RGB-16",  ""};
const std::array<const char*, 8> kFrameRateNames{"1.875", "3.75", "7.5", "15", "30", "60", "", ""};
const std::array<const char*, 3> kSpeedNames{"100", "200", "400"};
const std::array<const char*, 2> kTriggerModeNames{"int.", "ext."};
