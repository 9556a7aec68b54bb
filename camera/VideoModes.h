// VideoModes: the fixed-format mode table (Formats 0 to 2) and the display
// names of colour codings, frame rates, speeds and trigger modes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// One mode of Formats 0..2 with its packet payload per frame rate.
struct FixedFormatMode {
    std::uint32_t width;
    std::uint32_t height;
    std::uint8_t colourCode;
    std::uint8_t zero;
    // Payload in bytes for frame rates 0..6; 0 where the rate is not defined.
    std::uint16_t payload[7];
};
static_assert(sizeof(FixedFormatMode) == 24);

inline constexpr std::size_t kFixedFormatCount = 3;
inline constexpr std::size_t kModesPerFormat = 8;

// Index = format * 8 + mode.
extern const std::array<FixedFormatMode, kFixedFormatCount * kModesPerFormat> kFixedFormatModes;

// The entry of a fixed format's mode, or nullptr for Format 3 and above or a
// mode above 7.
const FixedFormatMode* FindFixedFormatMode(unsigned format, unsigned mode);

// The payload of a fixed format's mode at a frame rate; 0 where the table
// defines none (rates 6 and 7, Format 3 and above, modes above 7).
std::uint16_t FixedFormatPayload(unsigned format, unsigned mode, unsigned frameRate);

// Names shown in the settings dialog, indexed by the settings' codes.
extern const std::array<const char*, 8> kColourCodeNames;   // "Y-8" .. "RGB-16", ""
extern const std::array<const char*, 8> kFrameRateNames;    // "1.875" .. "60", "", ""
extern const std::array<const char*, 3> kSpeedNames;        // "100", "200", "400"
extern const std::array<const char*, 2> kTriggerModeNames;  // "int.", "ext."
