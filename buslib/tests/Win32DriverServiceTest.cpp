// Driver service installation against Wine's service control manager.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "buslib/TK.h"

namespace {

bool DriverServiceExists() {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (manager == nullptr) {
        ADD_FAILURE() << "OpenSCManagerA failed, error " << GetLastError();
        return false;
    }
    SC_HANDLE service = OpenServiceA(manager, "tkdrv", SERVICE_QUERY_STATUS);
    if (service != nullptr) {
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return service != nullptr;
}

void DeleteDriverService() {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    ASSERT_NE(nullptr, manager);
    SC_HANDLE service = OpenServiceA(manager, "tkdrv", SERVICE_ALL_ACCESS);
    if (service != nullptr) {
        DeleteService(service);
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
}

// A directory that exists but holds no tkdrv.sys; no trailing backslash.
std::string EmptyDirectory() {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string directory = std::string(temp) + "oriscope_no_driver";
    CreateDirectoryA(directory.c_str(), nullptr);
    return directory;
}

TEST(Win32DriverServiceTest, InstallWithoutImageLeavesNoServiceBehind) {
    DeleteDriverService();
    EXPECT_EQ(TKE_SERVICE_NOT_STARTED, TKInstallDriver(EmptyDirectory().c_str()));
    EXPECT_FALSE(DriverServiceExists());
}

TEST(Win32DriverServiceTest, DeinstallOfAStoppedServiceKeepsIt) {
    DeleteDriverService();
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    ASSERT_NE(nullptr, manager);
    const std::string image = EmptyDirectory() + "\\tkdrv.sys";
    SC_HANDLE service = CreateServiceA(
        manager, "tkdrv", "tkdrv", SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START,
        SERVICE_ERROR_NORMAL, image.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, service) << "CreateServiceA failed, error " << GetLastError();
    CloseServiceHandle(service);
    CloseServiceHandle(manager);

    EXPECT_EQ(TKE_NO_DETAILS, TKDeinstallDriver());
    EXPECT_TRUE(DriverServiceExists());
    // Installed but not startable: the first start fails, creation too.
    EXPECT_EQ(TKE_INSTALL_FAILED, TKInstallDriver(EmptyDirectory().c_str()));
    EXPECT_TRUE(DriverServiceExists());
    DeleteDriverService();
    EXPECT_FALSE(DriverServiceExists());
}

}  // namespace
