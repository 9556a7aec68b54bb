#include "capture/AutoModeSettings.h"

#include <mutex>

namespace capture {

namespace {

std::mutex& SettingsLock() {
    static std::mutex lock;
    return lock;
}

AutoModeSettings& Settings() {
    static AutoModeSettings settings;
    return settings;
}

TelnetEndpoint& Endpoint() {
    static TelnetEndpoint endpoint;
    return endpoint;
}

}  // namespace

AutoModeSettings LoadAutoModeSettings() {
    const std::lock_guard<std::mutex> hold(SettingsLock());
    return Settings();
}

void StoreAutoModeSettings(const AutoModeSettings& settings) {
    const std::lock_guard<std::mutex> hold(SettingsLock());
    Settings() = settings;
}

TelnetEndpoint TriggerEndpoint() {
    const std::lock_guard<std::mutex> hold(SettingsLock());
    return Endpoint();
}

void SetTriggerEndpoint(const TelnetEndpoint& endpoint) {
    const std::lock_guard<std::mutex> hold(SettingsLock());
    Endpoint() = endpoint;
}

}  // namespace capture
