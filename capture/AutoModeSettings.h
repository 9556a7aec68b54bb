// Classes: AutoModeSettings
//
// The automatic capture mode's settings: one set for every camera, kept for
// the life of the process and nothing stored between runs. Each camera's
// dialog runs on the camera's own thread, so they are handed out as copies.
#pragma once

#include <cstddef>
#include <string>

#include "capture/TelnetEndpoint.h"

namespace capture {

struct AutoModeSettings {
    static constexpr int kMaximumInterval = 28800;    // seconds
    static constexpr int kMaximumFrameCount = 28800;  // 0 means no limit
    // Longer directories and file paths are refused, never cut short.
    static constexpr std::size_t kMaximumPathLength = 255;

    int intervalSeconds = 1;
    int frameCount = 1;
    bool automatic = true;  // false: a frame per "trigger" line of the telnet client
    std::string directory = "c:\\tmp";
};

AutoModeSettings LoadAutoModeSettings();
void StoreAutoModeSettings(const AutoModeSettings& settings);

// Where the telnet trigger server listens; chosen at start-up (/telnet switch).
TelnetEndpoint TriggerEndpoint();
void SetTriggerEndpoint(const TelnetEndpoint& endpoint);

}  // namespace capture
