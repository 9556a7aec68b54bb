// The Windows driver platform for real: Wine's registry and device I/O.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "buslib/DriverPlatform.h"
#include "buslib/TK.h"

namespace {

constexpr const char kServiceKey[] = "system\\currentcontrolset\\services\\tkdrv";
constexpr const char kParametersKey[] = "system\\currentcontrolset\\services\\tkdrv\\parameters";

// Removes the parameters key, and the service key when nothing else is in it
// (an installed service keeps its values there).
void RemoveParameters() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kParametersKey);
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kServiceKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return;
    }
    DWORD subkeys = 0;
    DWORD values = 0;
    const LONG status = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                         &values, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    if (status == ERROR_SUCCESS && subkeys == 0 && values == 0) {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kServiceKey);
    }
}

HKEY CreateParameters() {
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kParametersKey, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    return key;
}

void SetDword(HKEY key, const char* name, DWORD value) {
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, REG_DWORD,
                                            reinterpret_cast<const BYTE*>(&value), sizeof value));
}

void SetString(HKEY key, const char* name, const char* value) {
    EXPECT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                             static_cast<DWORD>(std::strlen(value) + 1)));
}

// One test for everything in the registry: the tests of this program run in
// parallel processes that share Wine's registry.
TEST(Win32DriverPlatformTest, ReadsTheDriversRegistryValues) {
    RemoveParameters();
    ASSERT_EQ(TK_OK, TKInitModule());
    std::uint32_t count = 7;
    EXPECT_EQ(TKE_NOT_INSTALLED, TKGetCardCount(&count));
    std::uint32_t id = 0;
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKGetCardSystemId(0, &id));
    EXPECT_EQ(TKE_CANNOT_OPEN_DEVICE, TKOpenCard(0));

    HKEY key = CreateParameters();
    ASSERT_NE(nullptr, key);
    SetDword(key, "CardMask", 0x00010005);
    SetDword(key, "CardSystemId2", 0x01020301);
    SetString(key, "SymbolicLinkName0", "\\DosDevices\\tkdrv_nothere0");
    SetString(key, "SymbolicLinkName2", "tkdrv_nothere2");
    SetString(key, "CardSystemId0", "not a number");

    EXPECT_EQ(TK_OK, TKGetCardCount(&count));
    EXPECT_EQ(2u, count);
    EXPECT_EQ(TK_OK, TKGetCardSystemId(1, &id));
    EXPECT_EQ(0x01020301u, id);
    EXPECT_EQ(TKE_INSTALL_FAILED, TKGetCardSystemId(0, &id)) << "value of the wrong type";
    std::uint32_t type = 9;
    EXPECT_EQ(TK_OK, TKGetCardType(1, &type));
    EXPECT_EQ(1u, type);

    tk::DriverPlatform& platform = tk::CurrentDriverPlatform();
    char link[256] = {};
    ASSERT_TRUE(platform.ReadRegistryString("SymbolicLinkName0", link, sizeof link));
    EXPECT_STREQ("\\DosDevices\\tkdrv_nothere0", link);
    char small[8] = {};
    EXPECT_FALSE(platform.ReadRegistryString("SymbolicLinkName0", small, sizeof small));
    EXPECT_FALSE(platform.ReadRegistryString("CardMask", link, sizeof link)) << "not a string";
    std::uint32_t mask = 0;
    ASSERT_TRUE(platform.ReadRegistryDword("cardmask", &mask)) << "names are case-insensitive";
    EXPECT_EQ(0x00010005u, mask);

    // The devices named there do not exist.
    EXPECT_EQ(TKE_CANNOT_OPEN_DEVICE, TKOpenCard(0));
    EXPECT_EQ(TKE_CANNOT_OPEN_DEVICE, TKOpenCard(1));
    EXPECT_EQ(TKE_NOT_OPENED, TKCloseCard(0));

    SetString(key, "CardMask", "5");
    EXPECT_EQ(TKE_NOT_INSTALLED, TKGetCardCount(&count));
    RegCloseKey(key);
    RemoveParameters();
    TKExitModule();
}

TEST(Win32DriverPlatformTest, ThirtyTwoBitProcessOnWineIsWow64) {
    EXPECT_TRUE(tk::CurrentDriverPlatform().IsWow64Process());
}

// A named pipe waiting for its client stands in for a driver that keeps a
// request pending: FSCTL_PIPE_LISTEN stays pending until a client connects.
class PendingRequestTest : public ::testing::Test {
protected:
    static constexpr DWORD kPipeListen = 0x00110008;

    void SetUp() override {
        name_ = "\\\\.\\pipe\\oriscope_buslib_" + std::to_string(GetCurrentProcessId());
        pipe_ = CreateNamedPipeA(name_.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                 PIPE_TYPE_BYTE, 1, 64, 64, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, pipe_) << "error " << GetLastError();
    }
    void TearDown() override { CloseHandle(pipe_); }

    tk::DeviceHandle Device() const { return reinterpret_cast<tk::DeviceHandle>(pipe_); }

    std::string name_;
    HANDLE pipe_ = INVALID_HANDLE_VALUE;
};

TEST_F(PendingRequestTest, RequestThatOutlastsTheWaitTimesOut) {
    std::uint8_t record[16] = {113};
    std::uint32_t bytes = 0xABCD;
    EXPECT_EQ(tk::ExchangeOutcome::TimedOut,
              tk::CurrentDriverPlatform().Exchange(Device(), kPipeListen, record, sizeof record, 20,
                                                   &bytes));
    EXPECT_EQ(0xABCDu, bytes);
}

TEST(Win32DriverPlatformExchangeTest, RequestTheDeviceRejectsIsADeviceError) {
    char path[MAX_PATH];
    char directory[MAX_PATH];
    ASSERT_NE(0u, GetTempPathA(sizeof directory, directory));
    ASSERT_NE(0u, GetTempFileNameA(directory, "tkd", 0, path));
    tk::DriverPlatform& platform = tk::CurrentDriverPlatform();
    const tk::DeviceHandle device = platform.OpenDevice(path);
    ASSERT_NE(tk::kInvalidDevice, device);
    std::uint8_t record[16] = {102};
    std::uint32_t bytes = 0;
    EXPECT_EQ(tk::ExchangeOutcome::DeviceError,
              platform.Exchange(device, tk::kControlCodeCompact, record, sizeof record,
                                tk::kWaitInfinite, &bytes));
    platform.CloseDevice(device);
    DeleteFileA(path);
    EXPECT_EQ(tk::kInvalidDevice, platform.OpenDevice("\\\\.\\tkdrv_nothere"));
}

}  // namespace
