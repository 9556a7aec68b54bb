// TracingDriver: a driver platform that passes every request on to another
// one (the simulated bus) and records the quadlet transactions among them, so
// tests can check the order of a camera's register writes.
#pragma once

#include <mutex>
#include <vector>

#include "buslib/DriverPlatform.h"
#include "camera/tests/RegisterAccess.h"

namespace camera_testing {

class TracingDriver final : public tk::DriverPlatform {
public:
    explicit TracingDriver(tk::DriverPlatform& inner) : inner_(inner) {}

    std::vector<RegisterAccess> Trace() const;
    void ClearTrace();

    bool IsWow64Process() override { return inner_.IsWow64Process(); }
    bool ReadRegistryDword(const char* valueName, std::uint32_t* value) override {
        return inner_.ReadRegistryDword(valueName, value);
    }
    bool ReadRegistryString(const char* valueName, char* buffer, std::size_t capacity) override {
        return inner_.ReadRegistryString(valueName, buffer, capacity);
    }
    tk::DeviceHandle OpenDevice(const char* path) override { return inner_.OpenDevice(path); }
    tk::ExchangeOutcome Exchange(tk::DeviceHandle device, std::uint32_t controlCode, void* record,
                                 std::uint32_t size, std::uint32_t waitMilliseconds,
                                 std::uint32_t* bytesReturned) override;
    void CloseDevice(tk::DeviceHandle device) override { inner_.CloseDevice(device); }
    std::uint64_t BufferToDriverAddress(void* buffer) override {
        return inner_.BufferToDriverAddress(buffer);
    }
    void ReleaseDriverAddress(std::uint64_t address) override {
        inner_.ReleaseDriverAddress(address);
    }
    const std::uint8_t* DriverAddressToPointer(std::uint64_t address) override {
        return inner_.DriverAddressToPointer(address);
    }

private:
    tk::DriverPlatform& inner_;
    mutable std::mutex mutex_;
    std::vector<RegisterAccess> trace_;
};

}  // namespace camera_testing
