#include "capture/AutoModeRun.h"

#include <cstdio>

#include "capture/AutoModeSettings.h"

namespace capture {

std::string AutoModeFileName(int day, int hour, int minute, int second, int number) {
    char name[64];
    std::snprintf(name, sizeof(name), "%02d-%02d-%02d-%02d-%d.bmp", day, hour, minute, second,
                  number);
    return name;
}

bool ComposeAutoModePath(const std::string& directory, const std::string& name, std::string* path) {
    std::string result = directory;
    if (result.empty() || (result.back() != '\\' && result.back() != '/')) {
        result += '\\';
    }
    result += name;
    if (result.size() > AutoModeSettings::kMaximumPathLength) {
        return false;
    }
    *path = result;
    return true;
}

void AutoModeRun::Begin(int intervalSeconds, int frameCount) {
    m_running = true;
    m_interval = intervalSeconds < 1 ? 1 : intervalSeconds;
    m_frameCount = frameCount < 0 ? 0 : frameCount;
    m_countdown = 1;
    m_stored = 0;
}

bool AutoModeRun::Tick() {
    if (!m_running) {
        return false;
    }
    if (--m_countdown > 0) {
        return false;
    }
    m_countdown = m_interval;
    return true;
}

}  // namespace capture
