// Default service control where there is no Windows: there is no service
// control manager, so nothing can be opened.
#include "buslib/ServiceControl.h"

namespace tk {
namespace {

class NoServiceControl final : public ServiceControl {
public:
    ServiceHandle OpenManager(std::uint32_t) override { return 0; }
    ServiceHandle OpenServiceByName(ServiceHandle, const char*, std::uint32_t) override {
        return 0;
    }
    ServiceHandle CreateServiceEntry(ServiceHandle, const ServiceDefinition&) override { return 0; }
    bool StartServiceNow(ServiceHandle, std::uint32_t* error) override {
        *error = 0;
        return false;
    }
    bool StopServiceNow(ServiceHandle) override { return false; }
    bool DeleteServiceEntry(ServiceHandle) override { return false; }
    void CloseServiceControlHandle(ServiceHandle) override {}
};

}  // namespace

ServiceControl& DefaultServiceControl() {
    static NoServiceControl control;
    return control;
}

}  // namespace tk
