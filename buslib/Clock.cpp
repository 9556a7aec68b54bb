#include "Clock.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

namespace tk {
namespace {

class SystemClock final : public Clock {
public:
    void Sleep(std::uint32_t milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }

    std::uint32_t TickCount() override {
        const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<std::uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
    }

    LocalTime Now() override {
        const auto now = std::chrono::system_clock::now();
        const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
        const auto millis =
            std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
            1000;
        std::tm parts{};
#ifdef _WIN32
        localtime_s(&parts, &seconds);
#else
        localtime_r(&seconds, &parts);
#endif
        LocalTime t;
        t.year = static_cast<std::uint16_t>(parts.tm_year + 1900);
        t.month = static_cast<std::uint16_t>(parts.tm_mon + 1);
        t.dayOfWeek = static_cast<std::uint16_t>(parts.tm_wday);
        t.day = static_cast<std::uint16_t>(parts.tm_mday);
        t.hour = static_cast<std::uint16_t>(parts.tm_hour);
        t.minute = static_cast<std::uint16_t>(parts.tm_min);
        t.second = static_cast<std::uint16_t>(parts.tm_sec);
        t.milliseconds = static_cast<std::uint16_t>(millis);
        return t;
    }
};

SystemClock g_systemClock;
std::atomic<Clock*> g_clock{nullptr};

}  // namespace

Clock& CurrentClock() {
    Clock* clock = g_clock.load(std::memory_order_acquire);
    return clock ? *clock : g_systemClock;
}

void SetClock(Clock* clock) {
    g_clock.store(clock, std::memory_order_release);
}

}  // namespace tk
