#include "ScriptedDriver.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace tk::testing {

ScriptedDriver::ScriptedDriver() {
    On(records::request::DriverVersion.code,
       [](records::Layout layout, std::uint8_t* record, std::uint32_t) {
           records::PutField(record, layout, records::header::Status, 0);
           records::PutField(record, layout, records::header::Param1, 0x02070000u);
           return ScriptedReply{};
       });
}

std::string ScriptedDriver::Lower(const std::string& s) {
    std::string lower = s;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

void ScriptedDriver::SetWow64(bool wow64) {
    std::lock_guard lock(mutex_);
    wow64_ = wow64;
}

void ScriptedDriver::SetRegistryDword(const std::string& name, std::uint32_t value) {
    std::lock_guard lock(mutex_);
    dwords_[Lower(name)] = value;
}

void ScriptedDriver::SetRegistryString(const std::string& name, const std::string& value) {
    std::lock_guard lock(mutex_);
    strings_[Lower(name)] = value;
}

void ScriptedDriver::ClearRegistry() {
    std::lock_guard lock(mutex_);
    dwords_.clear();
    strings_.clear();
}

void ScriptedDriver::AddDevice(const std::string& path) {
    std::lock_guard lock(mutex_);
    devices_.insert(path);
}

void ScriptedDriver::On(std::uint32_t code, Handler handler) {
    std::lock_guard lock(mutex_);
    handlers_[code] = std::move(handler);
}

void ScriptedDriver::AnswerStatus(std::uint32_t code, std::uint32_t status) {
    On(code, [status](records::Layout layout, std::uint8_t* record, std::uint32_t) {
        records::PutField(record, layout, records::header::Status, status);
        return ScriptedReply{};
    });
}

void ScriptedDriver::AnswerLength(std::uint32_t code, std::uint32_t bytes) {
    On(code, [bytes](records::Layout layout, std::uint8_t* record, std::uint32_t) {
        records::PutField(record, layout, records::header::Status, 0);
        return ScriptedReply{ExchangeOutcome::Completed, bytes};
    });
}

std::vector<ExchangedRecord> ScriptedDriver::Records() const {
    std::lock_guard lock(mutex_);
    return records_;
}

std::vector<ExchangedRecord> ScriptedDriver::RecordsOf(std::uint32_t code) const {
    std::lock_guard lock(mutex_);
    std::vector<ExchangedRecord> matching;
    for (const ExchangedRecord& r : records_) {
        if (r.code == code) {
            matching.push_back(r);
        }
    }
    return matching;
}

std::vector<std::string> ScriptedDriver::OpenedPaths() const {
    std::lock_guard lock(mutex_);
    return openedPaths_;
}

std::vector<DeviceHandle> ScriptedDriver::ClosedDevices() const {
    std::lock_guard lock(mutex_);
    return closedDevices_;
}

void ScriptedDriver::ClearRecords() {
    std::lock_guard lock(mutex_);
    records_.clear();
}

bool ScriptedDriver::IsWow64Process() {
    std::lock_guard lock(mutex_);
    return wow64_;
}

bool ScriptedDriver::ReadRegistryDword(const char* valueName, std::uint32_t* value) {
    std::lock_guard lock(mutex_);
    const auto it = dwords_.find(Lower(valueName));
    if (it == dwords_.end()) {
        return false;
    }
    *value = it->second;
    return true;
}

bool ScriptedDriver::ReadRegistryString(const char* valueName, char* buffer, std::size_t capacity) {
    std::lock_guard lock(mutex_);
    const auto it = strings_.find(Lower(valueName));
    if (it == strings_.end() || it->second.size() + 1 > capacity) {
        return false;
    }
    std::memcpy(buffer, it->second.c_str(), it->second.size() + 1);
    return true;
}

DeviceHandle ScriptedDriver::OpenDevice(const char* path) {
    std::lock_guard lock(mutex_);
    openedPaths_.push_back(path);
    if (devices_.count(path) == 0) {
        return kInvalidDevice;
    }
    return nextDevice_++;
}

ExchangeOutcome ScriptedDriver::Exchange(DeviceHandle device, std::uint32_t controlCode,
                                         void* record, std::uint32_t size,
                                         std::uint32_t waitMilliseconds,
                                         std::uint32_t* bytesReturned) {
    auto* bytes = static_cast<std::uint8_t*>(record);
    const records::Layout layout =
        controlCode == kControlCodeWide ? records::Layout::Wide : records::Layout::Compact;
    ExchangedRecord seen;
    seen.device = device;
    seen.controlCode = controlCode;
    seen.code = records::Get32(bytes);
    seen.sent.assign(bytes, bytes + size);
    seen.waitMilliseconds = waitMilliseconds;
    Handler handler;
    {
        std::lock_guard lock(mutex_);
        records_.push_back(seen);
        const auto it = handlers_.find(seen.code);
        if (it != handlers_.end()) {
            handler = it->second;
        }
    }
    // Status 0 unless the handler says otherwise.
    records::PutField(bytes, layout, records::header::Status, 0);
    ScriptedReply reply;
    if (handler) {
        reply = handler(layout, bytes, size);
    }
    if (reply.outcome == ExchangeOutcome::Completed) {
        *bytesReturned = reply.bytesReturned.value_or(size);
    }
    return reply.outcome;
}

void ScriptedDriver::CloseDevice(DeviceHandle device) {
    std::lock_guard lock(mutex_);
    closedDevices_.push_back(device);
}

void ScriptedDriver::RaiseThreadToTimeCritical() {
    std::lock_guard lock(mutex_);
    ++timeCriticalRaises_;
}

std::uint64_t ScriptedDriver::BufferToDriverAddress(void* buffer) {
    std::lock_guard lock(mutex_);
    const std::uint64_t token = nextToken_;
    nextToken_ += 0x1000;
    lent_[token] = buffer;
    return token;
}

void ScriptedDriver::ReleaseDriverAddress(std::uint64_t address) {
    std::lock_guard lock(mutex_);
    lent_.erase(address);
}

void* ScriptedDriver::LentBuffer(std::uint64_t address) const {
    std::lock_guard lock(mutex_);
    const auto it = lent_.find(address);
    return it == lent_.end() ? nullptr : it->second;
}

std::size_t ScriptedDriver::LentBufferCount() const {
    std::lock_guard lock(mutex_);
    return lent_.size();
}

int ScriptedDriver::TimeCriticalRaises() const {
    std::lock_guard lock(mutex_);
    return timeCriticalRaises_;
}

}  // namespace tk::testing
