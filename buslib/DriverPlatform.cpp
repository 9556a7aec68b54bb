#include "DriverPlatform.h"

#include <atomic>

namespace tk {

// The platform's default driver access; Win32DriverPlatform.cpp on Windows,
// NoDriverPlatform.cpp elsewhere.
DriverPlatform& DefaultDriverPlatform();

namespace {
std::atomic<DriverPlatform*> g_platform{nullptr};
}  // namespace

DriverPlatform& CurrentDriverPlatform() {
    DriverPlatform* platform = g_platform.load(std::memory_order_acquire);
    return platform ? *platform : DefaultDriverPlatform();
}

void SetDriverPlatform(DriverPlatform* platform) {
    g_platform.store(platform, std::memory_order_release);
}

}  // namespace tk
