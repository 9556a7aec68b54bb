// Installing and removing the driver as a kernel driver service. Every
// operation opens and closes its own handles, on every path.
#include <atomic>
#include <cstdio>
#include <cstring>

#include "buslib/ServiceControl.h"
#include "buslib/TK.h"

namespace tk {

// The system's service control manager (Win32ServiceControl.cpp on Windows,
// NoServiceControl.cpp elsewhere).
ServiceControl& DefaultServiceControl();

namespace {
std::atomic<ServiceControl*> g_control{nullptr};
}  // namespace

ServiceControl& CurrentServiceControl() {
    ServiceControl* control = g_control.load(std::memory_order_acquire);
    return control ? *control : DefaultServiceControl();
}

void SetServiceControl(ServiceControl* control) {
    g_control.store(control, std::memory_order_release);
}

}  // namespace tk

namespace {

constexpr const char kServiceName[] = "tkdrv";
constexpr const char kImageName[] = "tkdrv.sys";
constexpr std::size_t kBinaryPathCapacity = 400;

// Closes a service handle when it goes out of scope.
class Handle {
public:
    explicit Handle(tk::ServiceHandle handle) : handle_(handle) {}
    ~Handle() {
        if (handle_ != 0) {
            tk::CurrentServiceControl().CloseServiceControlHandle(handle_);
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    tk::ServiceHandle get() const { return handle_; }
    explicit operator bool() const { return handle_ != 0; }

private:
    tk::ServiceHandle handle_;
};

bool StartDriverService() {
    tk::ServiceControl& scm = tk::CurrentServiceControl();
    const Handle manager(scm.OpenManager(tk::kScManagerConnect));
    if (!manager) {
        return false;
    }
    const Handle service(scm.OpenServiceByName(manager.get(), kServiceName, tk::kGenericExecute));
    if (!service) {
        return false;
    }
    std::uint32_t error = 0;
    return scm.StartServiceNow(service.get(), &error) || error == tk::kErrorServiceAlreadyRunning;
}

bool StopDriverService() {
    tk::ServiceControl& scm = tk::CurrentServiceControl();
    const Handle manager(scm.OpenManager(tk::kScManagerConnect));
    if (!manager) {
        return false;
    }
    const Handle service(scm.OpenServiceByName(manager.get(), kServiceName, tk::kGenericExecute));
    return service && scm.StopServiceNow(service.get());
}

bool DeleteDriverService() {
    tk::ServiceControl& scm = tk::CurrentServiceControl();
    const Handle manager(scm.OpenManager(tk::kScManagerAllAccess));
    if (!manager) {
        return false;
    }
    const Handle service(scm.OpenServiceByName(manager.get(), kServiceName, tk::kServiceAllAccess));
    return service && scm.DeleteServiceEntry(service.get());
}

bool CreateDriverService(const char* binaryPath) {
    tk::ServiceControl& scm = tk::CurrentServiceControl();
    const Handle manager(scm.OpenManager(tk::kScManagerAllAccess));
    if (!manager) {
        return false;
    }
    const tk::ServiceDefinition definition{kServiceName,
                                           kServiceName,
                                           tk::kGenericExecute,
                                           tk::kServiceKernelDriver,
                                           tk::kServiceAutoStart,
                                           tk::kServiceErrorNormal,
                                           binaryPath};
    const Handle service(scm.CreateServiceEntry(manager.get(), definition));
    return static_cast<bool>(service);
}

}  // namespace

std::uint32_t TKInstallDriver(const char* directory) {
    if (StartDriverService()) {
        return TKE_SERVICE_ALREADY_STARTED;
    }
    char binaryPath[kBinaryPathCapacity];
    // A directory too long for the path is refused rather than cut short.
    if (directory == nullptr ||
        std::strlen(directory) + 1 + std::strlen(kImageName) >= sizeof binaryPath) {
        return TKE_INSTALL_FAILED;
    }
    std::snprintf(binaryPath, sizeof binaryPath, "%s\\%s", directory, kImageName);
    if (!CreateDriverService(binaryPath)) {
        return TKE_INSTALL_FAILED;
    }
    if (StartDriverService()) {
        return TK_OK;
    }
    (void)DeleteDriverService();
    return TKE_SERVICE_NOT_STARTED;
}

std::uint32_t TKDeinstallDriver() {
    if (StopDriverService() && DeleteDriverService()) {
        return TK_OK;
    }
    return TKE_NO_DETAILS;
}
