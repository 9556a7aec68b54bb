// RegisterAccess: one quadlet transaction as camera tests record it.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

namespace camera_testing {

struct RegisterAccess {
    enum class Kind { Read, Write };
    Kind kind;
    std::uint32_t address;  // low 32 bits; the high word is checked to be 0xFFFF
    std::uint32_t value;    // written, or read (0 for a failed read)
    std::uint32_t status;   // the driver status answered

    friend bool operator==(const RegisterAccess&, const RegisterAccess&) = default;
};

void PrintTo(const RegisterAccess& access, std::ostream* out);

RegisterAccess Read(std::uint32_t address, std::uint32_t value, std::uint32_t status = 0);
RegisterAccess Write(std::uint32_t address, std::uint32_t value, std::uint32_t status = 0);

// The writes of a trace, in order.
std::vector<RegisterAccess> WritesOf(const std::vector<RegisterAccess>& trace);

}  // namespace camera_testing
