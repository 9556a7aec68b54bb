// DriverPlatform: everything the bus access library needs from the platform and
// the kernel driver, as one small interface.
//
// The real implementation (Win32DriverPlatform) speaks to tkdrv through
// CreateFileA/DeviceIoControl and reads the driver's registry values; the
// simulated bus (sim/) answers the same request records in-process. The library
// packs and checks the records itself, so everything above this seam runs and
// is tested without Windows or the driver.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tk {

// An open device, as the platform names it; kInvalidDevice when not open.
using DeviceHandle = std::intptr_t;
inline constexpr DeviceHandle kInvalidDevice = -1;

// Wait time of an exchange that waits until the driver completes the request.
inline constexpr std::uint32_t kWaitInfinite = 0xFFFFFFFFu;

// Control codes of the two record layouts.
inline constexpr std::uint32_t kControlCodeCompact = 0x80002000u;
inline constexpr std::uint32_t kControlCodeWide = 0x80002040u;

enum class ExchangeOutcome {
    Completed,    // the driver completed the request; bytesReturned is valid
    DeviceError,  // the control request failed (library code 1009)
    TimedOut,     // the finite wait passed; the request was cancelled and has finished (code 5)
    NoWaitEvent,  // no event could be made to wait for the request (code 1019)
};

class DriverPlatform {
public:
    virtual ~DriverPlatform() = default;

    // Whether this 32-bit process runs on 64-bit Windows (selects the wide layout).
    virtual bool IsWow64Process() = 0;

    // Values under HKEY_LOCAL_MACHINE\system\currentcontrolset\services\tkdrv\parameters.
    // Each returns false when the key cannot be opened or the value is missing
    // or of another type; the string is zero-terminated within `capacity`.
    virtual bool ReadRegistryDword(const char* valueName, std::uint32_t* value) = 0;
    virtual bool ReadRegistryString(const char* valueName, char* buffer, std::size_t capacity) = 0;

    // Opens a device by path ("\\.\name"), exclusive and overlapped.
    virtual DeviceHandle OpenDevice(const char* path) = 0;

    // Exchanges one request record: `record` (`size` bytes) is both input and
    // output of the control request. With a finite `waitMilliseconds` the
    // request is cancelled when it has not completed in time; in every outcome
    // the driver is done with `record` when this returns.
    virtual ExchangeOutcome Exchange(DeviceHandle device, std::uint32_t controlCode, void* record,
                                     std::uint32_t size, std::uint32_t waitMilliseconds,
                                     std::uint32_t* bytesReturned) = 0;

    virtual void CloseDevice(DeviceHandle device) = 0;

    // Raises the calling thread to time-critical priority (the bus monitor).
    virtual void RaiseThreadToTimeCritical() {}

    // The address a record gives the driver for a buffer of this process that
    // the driver writes into (the bus information's quadlet buffer). The real
    // driver is given the address itself. A stand-in on a 64-bit host that
    // answers compact records hands out a 32-bit token instead, valid until
    // ReleaseDriverAddress.
    virtual std::uint64_t BufferToDriverAddress(void* buffer) {
        return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(buffer));
    }
    virtual void ReleaseDriverAddress(std::uint64_t /*address*/) {}

    // Turns an address the driver wrote into a record (a frame's data address)
    // into a pointer in this process. The real driver maps its buffers into the
    // process, so this is the address itself; a stand-in on a 64-bit host that
    // answers compact records may hand out 32-bit tokens instead.
    virtual const std::uint8_t* DriverAddressToPointer(std::uint64_t address) {
        return reinterpret_cast<const std::uint8_t*>(static_cast<std::uintptr_t>(address));
    }
};

// The platform the library uses. Until one is set it is the default: the real
// driver on Windows, and elsewhere one that has no driver (registry reads fail,
// devices cannot be opened). Set it before TKInitModule; nullptr restores the
// default. The library does not own it.
DriverPlatform& CurrentDriverPlatform();
void SetDriverPlatform(DriverPlatform* platform);

}  // namespace tk
