// ScriptedDriver: a DriverPlatform for tests. Registry values and openable
// device paths are plain tables; every exchanged record is kept as sent, and
// each request code is answered by a handler the test scripts (by default:
// status 0, the whole record back, driver version 0x02070000). Thread-safe;
// handlers run without the driver's lock, so they may block.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "buslib/DriverPlatform.h"
#include "buslib/RequestRecords.h"

namespace tk::testing {

struct ExchangedRecord {
    DeviceHandle device = kInvalidDevice;
    std::uint32_t controlCode = 0;
    std::uint32_t code = 0;
    std::vector<std::uint8_t> sent;  // the record as the library sent it
    std::uint32_t waitMilliseconds = 0;

    records::Layout GetLayout() const {
        return controlCode == kControlCodeWide ? records::Layout::Wide : records::Layout::Compact;
    }
    std::uint64_t Get(const records::Field& field) const {
        return records::GetField(sent.data(), GetLayout(), field);
    }
};

struct ScriptedReply {
    ExchangeOutcome outcome = ExchangeOutcome::Completed;
    std::optional<std::uint32_t> bytesReturned;  // default: the record's size
};

class ScriptedDriver final : public DriverPlatform {
public:
    // Answers one record in place (out fields, and the status, which is 0
    // when the handler leaves it).
    using Handler = std::function<ScriptedReply(records::Layout layout, std::uint8_t* record,
                                                std::uint32_t size)>;

    ScriptedDriver();

    // ---- script -----------------------------------------------------------
    void SetWow64(bool wow64);
    void SetRegistryDword(const std::string& name, std::uint32_t value);
    void SetRegistryString(const std::string& name, const std::string& value);
    void ClearRegistry();
    void AddDevice(const std::string& path);
    void On(std::uint32_t code, Handler handler);
    // Answers `code` with this status and the whole record back.
    void AnswerStatus(std::uint32_t code, std::uint32_t status);
    // Answers `code` with status 0 and a reply of `bytes` bytes.
    void AnswerLength(std::uint32_t code, std::uint32_t bytes);

    // ---- observations -------------------------------------------------------
    std::vector<ExchangedRecord> Records() const;
    std::vector<ExchangedRecord> RecordsOf(std::uint32_t code) const;
    std::vector<std::string> OpenedPaths() const;
    std::vector<DeviceHandle> ClosedDevices() const;
    void ClearRecords();

    // ---- DriverPlatform ---------------------------------------------------------
    bool IsWow64Process() override;
    bool ReadRegistryDword(const char* valueName, std::uint32_t* value) override;
    bool ReadRegistryString(const char* valueName, char* buffer, std::size_t capacity) override;
    DeviceHandle OpenDevice(const char* path) override;
    ExchangeOutcome Exchange(DeviceHandle device, std::uint32_t controlCode, void* record,
                             std::uint32_t size, std::uint32_t waitMilliseconds,
                             std::uint32_t* bytesReturned) override;
    void CloseDevice(DeviceHandle device) override;
    void RaiseThreadToTimeCritical() override;
    // Buffers are lent to the driver as small tokens, in both layouts, so that
    // handlers find them on any host.
    std::uint64_t BufferToDriverAddress(void* buffer) override;
    void ReleaseDriverAddress(std::uint64_t address) override;

    // For handlers: the buffer lent under this address, or nullptr.
    void* LentBuffer(std::uint64_t address) const;
    std::size_t LentBufferCount() const;
    int TimeCriticalRaises() const;

private:
    static std::string Lower(const std::string& s);

    mutable std::mutex mutex_;
    bool wow64_ = false;
    std::map<std::string, std::uint32_t> dwords_;  // registry names are case-insensitive
    std::map<std::string, std::string> strings_;
    std::set<std::string> devices_;
    std::map<std::uint32_t, Handler> handlers_;
    std::vector<ExchangedRecord> records_;
    std::vector<std::string> openedPaths_;
    std::vector<DeviceHandle> closedDevices_;
    DeviceHandle nextDevice_ = 100;
    std::map<std::uint64_t, void*> lent_;
    std::uint64_t nextToken_ = 0x1000;
    int timeCriticalRaises_ = 0;
};

// Installs a driver platform for a scope (a test), then restores the default.
class ScopedDriverPlatform {
public:
    explicit ScopedDriverPlatform(DriverPlatform& platform) { SetDriverPlatform(&platform); }
    ~ScopedDriverPlatform() { SetDriverPlatform(nullptr); }
    ScopedDriverPlatform(const ScopedDriverPlatform&) = delete;
    ScopedDriverPlatform& operator=(const ScopedDriverPlatform&) = delete;
};

}  // namespace tk::testing
