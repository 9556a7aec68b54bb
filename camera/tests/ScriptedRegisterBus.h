// ScriptedRegisterBus: a driver platform for camera tests that answers quadlet
// reads and writes from a register map and a script of failures, and records
// every register transaction. Just enough of a driver (one card, version and
// bus requests) for TKOpenCard and TKOpenBus to succeed, so the camera calls
// the real TKReadQuad/TKWriteQuad exactly as in the program.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <vector>

#include "buslib/DriverPlatform.h"
#include "camera/tests/RegisterAccess.h"

namespace camera_testing {

class ScriptedRegisterBus final : public tk::DriverPlatform {
public:
    // The register's value: what reads answer and writes replace.
    void SetRegister(std::uint32_t address, std::uint32_t value);
    std::uint32_t Register(std::uint32_t address) const;
    bool HasRegister(std::uint32_t address) const;

    enum class Accesses { All, Reads, Writes };

    // Answers the next `count` accesses (reads or writes) of `address` with
    // driver status `code` instead of performing them.
    void FailNext(std::uint32_t address, std::uint32_t code, int count = 1);
    // Answers every access of `address` (or only its reads or writes) with `code`.
    void FailAlways(std::uint32_t address, std::uint32_t code, Accesses which = Accesses::All);
    // Appends to the script of `address`'s reads: values to answer, or a
    // failure. Once the script is used up, reads answer the register.
    void QueueReads(std::uint32_t address, std::vector<std::uint32_t> values);
    void QueueReadFailure(std::uint32_t address, std::uint32_t code);

    // Reads of an address that has no register answer this status (a camera
    // answers an error response, code 15, for registers it does not have).
    void SetMissingRegisterStatus(std::uint32_t code) { missingStatus_ = code; }

    const std::vector<RegisterAccess>& Trace() const { return trace_; }
    std::vector<RegisterAccess> Writes() const;
    void ClearTrace() { trace_.clear(); }
    // Transactions sent with an address high word other than 0xFFFF.
    int ForeignAddressHighCount() const { return foreignAddressHigh_; }

    // tk::DriverPlatform
    bool IsWow64Process() override { return false; }
    bool ReadRegistryDword(const char* valueName, std::uint32_t* value) override;
    bool ReadRegistryString(const char* valueName, char* buffer, std::size_t capacity) override;
    tk::DeviceHandle OpenDevice(const char* path) override;
    tk::ExchangeOutcome Exchange(tk::DeviceHandle device, std::uint32_t controlCode, void* record,
                                 std::uint32_t size, std::uint32_t waitMilliseconds,
                                 std::uint32_t* bytesReturned) override;
    void CloseDevice(tk::DeviceHandle device) override;

private:
    std::uint32_t Access(RegisterAccess::Kind kind, std::uint32_t address, std::uint32_t& value);

    std::map<std::uint32_t, std::uint32_t> registers_;
    std::map<std::uint32_t, std::deque<std::uint32_t>> failures_;
    struct PermanentFailure {
        std::uint32_t code;
        Accesses which;
    };
    struct ReadAnswer {
        std::uint32_t value;
        std::uint32_t status;
    };
    std::map<std::uint32_t, PermanentFailure> permanentFailures_;
    std::map<std::uint32_t, std::deque<ReadAnswer>> readScripts_;
    std::uint32_t missingStatus_ = 15;
    std::vector<RegisterAccess> trace_;
    int foreignAddressHigh_ = 0;
};

}  // namespace camera_testing
