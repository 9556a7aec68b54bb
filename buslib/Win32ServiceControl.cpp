// The service control manager of Windows (ADVAPI32).
#include <windows.h>

#include "buslib/ServiceControl.h"

namespace tk {
namespace {

SC_HANDLE AsScHandle(ServiceHandle handle) {
    return reinterpret_cast<SC_HANDLE>(handle);
}
ServiceHandle FromScHandle(SC_HANDLE handle) {
    return reinterpret_cast<ServiceHandle>(handle);
}

class Win32ServiceControl final : public ServiceControl {
public:
    ServiceHandle OpenManager(std::uint32_t access) override {
        return FromScHandle(OpenSCManagerA(nullptr, nullptr, access));
    }

    ServiceHandle OpenServiceByName(ServiceHandle manager, const char* name,
                                    std::uint32_t access) override {
        return FromScHandle(OpenServiceA(AsScHandle(manager), name, access));
    }

    ServiceHandle CreateServiceEntry(ServiceHandle manager, const ServiceDefinition& d) override {
        return FromScHandle(CreateServiceA(AsScHandle(manager), d.name, d.displayName, d.access,
                                           d.serviceType, d.startType, d.errorControl, d.binaryPath,
                                           nullptr, nullptr, nullptr, nullptr, nullptr));
    }

    bool StartServiceNow(ServiceHandle service, std::uint32_t* error) override {
        if (StartServiceA(AsScHandle(service), 0, nullptr)) {
            *error = 0;
            return true;
        }
        *error = GetLastError();
        return false;
    }

    bool StopServiceNow(ServiceHandle service) override {
        SERVICE_STATUS status{};
        return ControlService(AsScHandle(service), SERVICE_CONTROL_STOP, &status) != FALSE;
    }

    bool DeleteServiceEntry(ServiceHandle service) override {
        return ::DeleteService(AsScHandle(service)) != FALSE;
    }

    void CloseServiceControlHandle(ServiceHandle handle) override {
        CloseServiceHandle(AsScHandle(handle));
    }
};

}  // namespace

ServiceControl& DefaultServiceControl() {
    static Win32ServiceControl control;
    return control;
}

}  // namespace tk
