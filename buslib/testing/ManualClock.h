// ManualClock: a Clock for tests. Time stands still until advanced; Sleep
// advances it at once and records the sleep, so waits are instant and can be
// asserted. Thread-safe.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "buslib/Clock.h"

namespace tk::testing {

class ManualClock final : public Clock {
public:
    void Sleep(std::uint32_t milliseconds) override {
        std::lock_guard lock(mutex_);
        sleeps_.push_back(milliseconds);
        ticks_ += milliseconds;
    }

    std::uint32_t TickCount() override {
        std::lock_guard lock(mutex_);
        return ticks_;
    }

    LocalTime Now() override {
        std::lock_guard lock(mutex_);
        return now_;
    }

    void Advance(std::uint32_t milliseconds) {
        std::lock_guard lock(mutex_);
        ticks_ += milliseconds;
    }

    void SetNow(const LocalTime& now) {
        std::lock_guard lock(mutex_);
        now_ = now;
    }

    // The sleeps requested so far, in order.
    std::vector<std::uint32_t> Sleeps() const {
        std::lock_guard lock(mutex_);
        return sleeps_;
    }

    void ClearSleeps() {
        std::lock_guard lock(mutex_);
        sleeps_.clear();
    }

private:
    mutable std::mutex mutex_;
    std::uint32_t ticks_ = 0;
    LocalTime now_{2026, 12, 5, 11, 12, 34, 56, 789};
    std::vector<std::uint32_t> sleeps_;
};

// Installs a clock for the lifetime of a scope (a test), then restores the default.
class ScopedClock {
public:
    explicit ScopedClock(Clock& clock) { SetClock(&clock); }
    ~ScopedClock() { SetClock(nullptr); }
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;
};

}  // namespace tk::testing
