// Clock: the time seam. Sleeping, tick counts and local time go through it so
// that tests run fast and deterministic (see ManualClock in buslib/testing).
#pragma once

#include <cstdint>

namespace tk {

// Local time with the fields of a Win32 SYSTEMTIME.
struct LocalTime {
    std::uint16_t year = 0;
    std::uint16_t month = 0;
    std::uint16_t dayOfWeek = 0;
    std::uint16_t day = 0;
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t milliseconds = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual void Sleep(std::uint32_t milliseconds) = 0;
    // Milliseconds since an arbitrary start; wraps like GetTickCount.
    virtual std::uint32_t TickCount() = 0;
    virtual LocalTime Now() = 0;
};

// The clock everything uses: the system clock until a test sets another.
// nullptr restores the system clock. Not owned.
Clock& CurrentClock();
void SetClock(Clock* clock);

}  // namespace tk
