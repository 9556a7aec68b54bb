#include "camera/tests/RegisterAccess.h"

namespace camera_testing {

void PrintTo(const RegisterAccess& access, std::ostream* out) {
    const auto flags = out->flags();
    *out << (access.kind == RegisterAccess::Kind::Read ? "Read(" : "Write(") << std::hex
         << std::showbase << access.address << ", " << access.value << std::dec;
    if (access.status != 0) {
        *out << ", status " << access.status;
    }
    *out << ")";
    out->flags(flags);
}

RegisterAccess Read(std::uint32_t address, std::uint32_t value, std::uint32_t status) {
    return {RegisterAccess::Kind::Read, address, value, status};
}

RegisterAccess Write(std::uint32_t address, std::uint32_t value, std::uint32_t status) {
    return {RegisterAccess::Kind::Write, address, value, status};
}

std::vector<RegisterAccess> WritesOf(const std::vector<RegisterAccess>& trace) {
    std::vector<RegisterAccess> writes;
    for (const RegisterAccess& access : trace) {
        if (access.kind == RegisterAccess::Kind::Write) {
            writes.push_back(access);
        }
    }
    return writes;
}

}  // namespace camera_testing
