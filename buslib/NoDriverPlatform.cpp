// Default driver access where there is no Windows: no driver is installed, so
// registry reads fail and no device opens.
#include "DriverPlatform.h"

namespace tk {
namespace {

class NoDriverPlatform final : public DriverPlatform {
public:
    bool IsWow64Process() override { return false; }
    bool ReadRegistryDword(const char*, std::uint32_t*) override { return false; }
    bool ReadRegistryString(const char*, char*, std::size_t) override { return false; }
    DeviceHandle OpenDevice(const char*) override { return kInvalidDevice; }
    ExchangeOutcome Exchange(DeviceHandle, std::uint32_t, void*, std::uint32_t, std::uint32_t,
                             std::uint32_t*) override {
        return ExchangeOutcome::DeviceError;
    }
    void CloseDevice(DeviceHandle) override {}
};

}  // namespace

DriverPlatform& DefaultDriverPlatform() {
    static NoDriverPlatform platform;
    return platform;
}

}  // namespace tk
