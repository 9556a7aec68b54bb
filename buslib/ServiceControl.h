// ServiceControl: the service control manager as the driver installation
// needs it. The Windows program uses the real one (ADVAPI32); tests can put a
// scripted one in its place. Handles are opaque; 0 is no handle.
#pragma once

#include <cstdint>

namespace tk {

using ServiceHandle = std::intptr_t;

inline constexpr std::uint32_t kScManagerConnect = 0x0001;
inline constexpr std::uint32_t kScManagerAllAccess = 0xF003F;
inline constexpr std::uint32_t kServiceAllAccess = 0xF01FF;
inline constexpr std::uint32_t kGenericExecute = 0x20000000;
inline constexpr std::uint32_t kServiceKernelDriver = 1;
inline constexpr std::uint32_t kServiceAutoStart = 2;
inline constexpr std::uint32_t kServiceErrorNormal = 1;
inline constexpr std::uint32_t kErrorServiceAlreadyRunning = 1056;

struct ServiceDefinition {
    const char* name;
    const char* displayName;
    std::uint32_t access;
    std::uint32_t serviceType;
    std::uint32_t startType;
    std::uint32_t errorControl;
    const char* binaryPath;
};

class ServiceControl {
public:
    virtual ~ServiceControl() = default;
    // The local machine's active database; 0 on failure.
    virtual ServiceHandle OpenManager(std::uint32_t access) = 0;
    virtual ServiceHandle OpenServiceByName(ServiceHandle manager, const char* name,
                                            std::uint32_t access) = 0;
    // No load order group, tag, dependencies, account or password.
    virtual ServiceHandle CreateServiceEntry(ServiceHandle manager,
                                             const ServiceDefinition& definition) = 0;
    // Without arguments. On failure `error` is the system error code.
    virtual bool StartServiceNow(ServiceHandle service, std::uint32_t* error) = 0;
    virtual bool StopServiceNow(ServiceHandle service) = 0;
    virtual bool DeleteServiceEntry(ServiceHandle service) = 0;
    virtual void CloseServiceControlHandle(ServiceHandle handle) = 0;
};

// The service control manager the library uses: the system's until a test
// sets another (nullptr restores it). Not owned.
ServiceControl& CurrentServiceControl();
void SetServiceControl(ServiceControl* control);

}  // namespace tk
