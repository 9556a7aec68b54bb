#include "camera/tests/TracingDriver.h"

#include "buslib/RequestRecords.h"

namespace camera_testing {
namespace {

namespace rec = tk::records;

constexpr std::uint32_t kWriteQuad = 109;
constexpr std::uint32_t kReadQuad = 110;

}  // namespace

std::vector<RegisterAccess> TracingDriver::Trace() const {
    std::lock_guard lock(mutex_);
    return trace_;
}

void TracingDriver::ClearTrace() {
    std::lock_guard lock(mutex_);
    trace_.clear();
}

tk::ExchangeOutcome TracingDriver::Exchange(tk::DeviceHandle device, std::uint32_t controlCode,
                                            void* record, std::uint32_t size,
                                            std::uint32_t waitMilliseconds,
                                            std::uint32_t* bytesReturned) {
    auto* bytes = static_cast<std::uint8_t*>(record);
    const rec::Layout layout =
        controlCode == tk::kControlCodeWide ? rec::Layout::Wide : rec::Layout::Compact;
    const auto code = static_cast<std::uint32_t>(rec::GetField(bytes, layout, rec::header::Code));
    const bool quadlet = code == kWriteQuad || code == kReadQuad;
    const auto address =
        quadlet ? static_cast<std::uint32_t>(rec::GetField(bytes, layout, rec::quad::AddressLow))
                : 0;
    const std::uint32_t quadletOffset = rec::quad::Quadlet.Offset(layout);
    const std::uint32_t written = code == kWriteQuad ? rec::GetBus32(bytes + quadletOffset) : 0;

    const tk::ExchangeOutcome outcome =
        inner_.Exchange(device, controlCode, record, size, waitMilliseconds, bytesReturned);

    if (quadlet && outcome == tk::ExchangeOutcome::Completed) {
        const auto status =
            static_cast<std::uint32_t>(rec::GetField(bytes, layout, rec::header::Status));
        const std::uint32_t value = code == kWriteQuad ? written
                                    : status == 0      ? rec::GetBus32(bytes + quadletOffset)
                                                       : 0;
        std::lock_guard lock(mutex_);
        trace_.push_back(
            {code == kWriteQuad ? RegisterAccess::Kind::Write : RegisterAccess::Kind::Read, address,
             value, status});
    }
    return outcome;
}

}  // namespace camera_testing
