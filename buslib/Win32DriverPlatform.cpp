// The driver platform on Windows: tkdrv's registry values, its devices and
// the overlapped device I/O control requests.
#include <windows.h>

#include <cstring>

#include "buslib/DriverPlatform.h"

namespace tk {
namespace {

constexpr const char kParametersKey[] = "system\\currentcontrolset\\services\\tkdrv\\parameters";

HANDLE AsHandle(DeviceHandle device) {
    return reinterpret_cast<HANDLE>(device);
}

// Reads one value of the parameters key, opening and closing the key around it.
bool QueryParameter(const char* valueName, DWORD expectedType, void* data, DWORD capacity,
                    DWORD* size) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kParametersKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD type = 0;
    *size = capacity;
    const LONG status =
        RegQueryValueExA(key, valueName, nullptr, &type, static_cast<BYTE*>(data), size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == expectedType;
}

class Win32DriverPlatform final : public DriverPlatform {
public:
    bool IsWow64Process() override {
        using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
        HMODULE kernel = LoadLibraryA("kernel32.dll");
        if (kernel == nullptr) {
            return false;
        }
        BOOL wow64 = FALSE;
        // Through void* so that the function type of the lookup does not matter.
        auto query = reinterpret_cast<IsWow64ProcessFn>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
        if (query != nullptr && !query(GetCurrentProcess(), &wow64)) {
            wow64 = FALSE;
        }
        FreeLibrary(kernel);
        return wow64 != FALSE;
    }

    bool ReadRegistryDword(const char* valueName, std::uint32_t* value) override {
        DWORD data = 0;
        DWORD size = 0;
        if (!QueryParameter(valueName, REG_DWORD, &data, sizeof data, &size) ||
            size != sizeof data) {
            return false;
        }
        *value = data;
        return true;
    }

    bool ReadRegistryString(const char* valueName, char* buffer, std::size_t capacity) override {
        if (capacity == 0) {
            return false;
        }
        DWORD size = 0;
        if (!QueryParameter(valueName, REG_SZ, buffer, static_cast<DWORD>(capacity - 1), &size)) {
            return false;
        }
        // The stored string need not carry its terminating zero.
        buffer[size < capacity ? size : capacity - 1] = '\0';
        return true;
    }

    DeviceHandle OpenDevice(const char* path) override {
        HANDLE device = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OVERLAPPED, nullptr);
        if (device == INVALID_HANDLE_VALUE) {
            return kInvalidDevice;
        }
        return reinterpret_cast<DeviceHandle>(device);
    }

    ExchangeOutcome Exchange(DeviceHandle device, std::uint32_t controlCode, void* record,
                             std::uint32_t size, std::uint32_t waitMilliseconds,
                             std::uint32_t* bytesReturned) override {
        HANDLE handle = AsHandle(device);
        // Every request gets an event of its own: several requests can be
        // pending on one device, and the device handle would signal whichever
        // completes first.
        OVERLAPPED overlapped{};
        overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        if (overlapped.hEvent == nullptr) {
            return ExchangeOutcome::NoWaitEvent;
        }
        ExchangeOutcome outcome = ExchangeOutcome::DeviceError;
        DWORD bytes = 0;
        if (DeviceIoControl(handle, controlCode, record, size, record, size, &bytes, &overlapped)) {
            outcome = ExchangeOutcome::Completed;
        } else if (GetLastError() == ERROR_IO_PENDING) {
            bool timedOut = false;
            if (waitMilliseconds != INFINITE &&
                WaitForSingleObject(overlapped.hEvent, waitMilliseconds) == WAIT_TIMEOUT) {
                CancelIo(handle);
                timedOut = true;
            }
            // Waits also for a cancelled request: the driver may still write
            // into the record and the OVERLAPPED until it has completed.
            const BOOL completed = GetOverlappedResult(handle, &overlapped, &bytes, TRUE);
            if (completed) {
                // Completed just as the wait ran out: the reply is good.
                outcome = ExchangeOutcome::Completed;
            } else {
                outcome = timedOut ? ExchangeOutcome::TimedOut : ExchangeOutcome::DeviceError;
            }
        }
        CloseHandle(overlapped.hEvent);
        if (outcome == ExchangeOutcome::Completed) {
            *bytesReturned = bytes;
        }
        return outcome;
    }

    void CloseDevice(DeviceHandle device) override { CloseHandle(AsHandle(device)); }

    void RaiseThreadToTimeCritical() override {
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    }
};

}  // namespace

DriverPlatform& DefaultDriverPlatform() {
    static Win32DriverPlatform platform;
    return platform;
}

}  // namespace tk
