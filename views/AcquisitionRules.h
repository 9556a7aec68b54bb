// The arithmetic of a camera view's frame hand-over, kept apart from the
// windows so that it can be checked on its own: which frames the bus monitor
// may queue, how Y-16 frames are shown, and the frame rate of the status line.
#pragma once

#include <cstdint>
#include <cstdio>

#include "imaging/FrameType.h"

namespace acquisition {

// Frames waiting for the view thread.
inline constexpr std::uint32_t kRingSize = 128;
// With more buffers than this, display never takes the driver's last two.
inline constexpr std::uint32_t kBuffersAlwaysKept = 4;
inline constexpr std::uint32_t kBuffersLeftWithDriver = 2;
// The rate is refreshed at the 15th, 31st, 47th ... processed frame.
inline constexpr std::uint32_t kRateInterval = 16;

// Whether the bus monitor may hand a finished frame to the view rather than
// give it straight back: reception must never starve because the window is
// slow. `postedCount` is null when the driver could not tell.
constexpr bool MayKeepFrame(std::uint32_t buffersGranted, const std::uint32_t* postedCount) {
    if (buffersGranted <= kBuffersAlwaysKept) {
        return true;
    }
    return postedCount != nullptr && *postedCount >= kBuffersLeftWithDriver;
}

// Capture mode 0 shows every frame; mode 1 only a frame someone asked for.
constexpr bool WantsFrame(std::uint8_t captureMode, bool storeRequested) {
    return captureMode == 0 || storeRequested;
}

// How a 16-bit grey frame is shown: byte-swapped, as raw Bayer samples, or as it is.
constexpr FrameType DisplayType(FrameType received, bool invertY16, bool rawY16,
                                std::uint8_t bayerPattern) {
    if (received != FrameType::Y16) {
        return received;
    }
    if (invertY16) {
        return FrameType::Y16Swapped;
    }
    if (rawY16) {
        return static_cast<FrameType>(static_cast<std::uint8_t>(FrameType::Bayer) +
                                      (bayerPattern & 3));
    }
    return received;
}

constexpr bool IsRateRefresh(std::uint32_t seen) {
    return seen % kRateInterval == kRateInterval - 1;
}

// Every frame the camera delivered, shown or skipped, per second since the
// start. The tick count may have wrapped in between. False when no time has
// passed yet (there is no rate to show).
inline bool FrameRate(std::uint32_t seen, std::uint32_t skipped, std::uint32_t startTick,
                      std::uint32_t nowTick, double* rate) {
    const std::uint32_t elapsed = nowTick - startTick;
    if (elapsed == 0) {
        return false;
    }
    *rate = (static_cast<double>(seen) + static_cast<double>(skipped)) * 1000.0 /
            static_cast<double>(elapsed);
    return true;
}

// The "Rate: " field's value.
inline void FormatRate(double rate, char (&text)[32]) {
    std::snprintf(text, sizeof text, "%2.2lf", rate);
}

}  // namespace acquisition
