#include "camera/tests/ScriptedRegisterBus.h"

#include <cstring>
#include <string>

#include "buslib/RequestRecords.h"

namespace camera_testing {
namespace {

namespace rec = tk::records;

constexpr tk::DeviceHandle kDevice = 7;
constexpr std::uint32_t kDriverVersion = 0x02070001u;
constexpr std::uint32_t kNotImplemented = 20;

}  // namespace

void ScriptedRegisterBus::SetRegister(std::uint32_t address, std::uint32_t value) {
    registers_[address] = value;
}

std::uint32_t ScriptedRegisterBus::Register(std::uint32_t address) const {
    const auto it = registers_.find(address);
    return it == registers_.end() ? 0 : it->second;
}

bool ScriptedRegisterBus::HasRegister(std::uint32_t address) const {
    return registers_.count(address) != 0;
}

void ScriptedRegisterBus::FailNext(std::uint32_t address, std::uint32_t code, int count) {
    for (int i = 0; i < count; ++i) {
        failures_[address].push_back(code);
    }
}

void ScriptedRegisterBus::FailAlways(std::uint32_t address, std::uint32_t code, Accesses which) {
    permanentFailures_[address] = {code, which};
}

void ScriptedRegisterBus::QueueReads(std::uint32_t address, std::vector<std::uint32_t> values) {
    for (const std::uint32_t value : values) {
        readScripts_[address].push_back({value, 0});
    }
}

void ScriptedRegisterBus::QueueReadFailure(std::uint32_t address, std::uint32_t code) {
    readScripts_[address].push_back({0, code});
}

std::vector<RegisterAccess> ScriptedRegisterBus::Writes() const {
    return WritesOf(trace_);
}

std::uint32_t ScriptedRegisterBus::Access(RegisterAccess::Kind kind, std::uint32_t address,
                                          std::uint32_t& value) {
    const bool isRead = kind == RegisterAccess::Kind::Read;
    std::uint32_t status = 0;
    const auto permanent = permanentFailures_.find(address);
    const auto queued = failures_.find(address);
    const auto script = readScripts_.find(address);
    if (permanent != permanentFailures_.end() &&
        (permanent->second.which == Accesses::All ||
         (permanent->second.which == Accesses::Reads) == isRead)) {
        status = permanent->second.code;
    } else if (queued != failures_.end() && !queued->second.empty()) {
        status = queued->second.front();
        queued->second.pop_front();
    } else if (!isRead) {
        registers_[address] = value;
    } else if (script != readScripts_.end() && !script->second.empty()) {
        value = script->second.front().value;
        status = script->second.front().status;
        script->second.pop_front();
    } else if (const auto reg = registers_.find(address); reg != registers_.end()) {
        value = reg->second;
    } else {
        status = missingStatus_;
    }
    if (isRead && status != 0) {
        value = 0;
    }
    trace_.push_back({kind, address, value, status});
    return status;
}

bool ScriptedRegisterBus::ReadRegistryDword(const char* valueName, std::uint32_t* value) {
    if (std::strcmp(valueName, "cardmask") == 0 || std::strcmp(valueName, "CardMask") == 0) {
        *value = 0x0001;
        return true;
    }
    if (std::strcmp(valueName, "CardSystemId0") == 0) {
        *value = 0x01000001;
        return true;
    }
    return false;
}

bool ScriptedRegisterBus::ReadRegistryString(const char* valueName, char* buffer,
                                             std::size_t capacity) {
    const std::string link = "\\Device\\ScriptedCamera";
    if (std::strcmp(valueName, "SymbolicLinkName0") != 0 || capacity <= link.size()) {
        return false;
    }
    std::memcpy(buffer, link.c_str(), link.size() + 1);
    return true;
}

tk::DeviceHandle ScriptedRegisterBus::OpenDevice(const char* path) {
    return std::strcmp(path, "\\\\.\\ScriptedCamera") == 0 ? kDevice : tk::kInvalidDevice;
}

tk::ExchangeOutcome ScriptedRegisterBus::Exchange(tk::DeviceHandle device,
                                                  std::uint32_t controlCode, void* record,
                                                  std::uint32_t size,
                                                  std::uint32_t /*waitMilliseconds*/,
                                                  std::uint32_t* bytesReturned) {
    if (device != kDevice || controlCode != tk::kControlCodeCompact) {
        return tk::ExchangeOutcome::DeviceError;
    }
    auto* bytes = static_cast<std::uint8_t*>(record);
    const rec::Layout layout = rec::Layout::Compact;
    const auto code = static_cast<std::uint32_t>(rec::GetField(bytes, layout, rec::header::Code));
    std::uint32_t status = 0;
    switch (code) {
        case 102:
            rec::PutField(bytes, layout, rec::header::Param1, kDriverVersion);
            break;
        case 105:
        case 106:
        case 114:
            break;
        case 109:
        case 110: {
            const auto high = rec::GetField(bytes, layout, rec::quad::AddressHigh);
            if (high != 0xFFFF) {
                ++foreignAddressHigh_;
            }
            const auto address =
                static_cast<std::uint32_t>(rec::GetField(bytes, layout, rec::quad::AddressLow));
            const std::uint32_t offset = rec::quad::Quadlet.Offset(layout);
            if (code == 109) {
                std::uint32_t value = rec::GetBus32(bytes + offset);
                status = Access(RegisterAccess::Kind::Write, address, value);
            } else {
                std::uint32_t value = 0;
                status = Access(RegisterAccess::Kind::Read, address, value);
                if (status == 0) {
                    rec::PutBus32(bytes + offset, value);
                }
            }
            break;
        }
        default:
            status = kNotImplemented;
            break;
    }
    rec::PutField(bytes, layout, rec::header::Status, status);
    *bytesReturned = size;
    return tk::ExchangeOutcome::Completed;
}

void ScriptedRegisterBus::CloseDevice(tk::DeviceHandle /*device*/) {}

}  // namespace camera_testing
