// The driver's event word, error events and bus information.
#include <array>
#include <cstdint>

#include "buslib/ModuleState.h"

namespace {

using namespace tk::detail;
namespace rec = tk::records;

using SelfIdBuffer = std::array<std::uint32_t, rec::bus_info::kBufferQuadlets>;

// Request 108 into `buffer`; the reply's record on success.
std::uint32_t RequestBusInfo(std::uint32_t card, rec::RequestRecord& record, SelfIdBuffer& buffer) {
    buffer.fill(0);
    tk::DriverPlatform& platform = tk::CurrentDriverPlatform();
    const std::uint64_t address = platform.BufferToDriverAddress(buffer.data());
    record.Set(rec::bus_info::Capacity, rec::bus_info::kBufferQuadlets);
    record.Set(rec::bus_info::BufferAddress, address);
    const std::uint32_t result = ExchangeRequest(ChannelOf(card), record);
    platform.ReleaseDriverAddress(address);
    return result;
}

}  // namespace

std::uint32_t TKWaitEvent(std::uint32_t card, std::uint32_t* events,
                          std::uint32_t waitMicroseconds) {
    if (!CardInRange(card) || events == nullptr) {
        return TKE_OUT_OF_RANGE;
    }
    const std::uint32_t waitMilliseconds =
        waitMicroseconds == 0 ? tk::kWaitInfinite : (waitMicroseconds - 1) / 1000 + 1;
    for (;;) {
        rec::RequestRecord wait(rec::request::WaitEvents, CurrentLayout());
        wait.Set(rec::header::Param1, waitMilliseconds);
        const std::uint32_t result = ExchangeRequest(ChannelOf(card), wait, waitMilliseconds);
        if (result != TK_OK) {
            return result;
        }
        auto word = static_cast<std::uint32_t>(wait.Get(rec::header::Param1));
        if ((word & TK_EVENT_NOTIFICATIONS) != 0) {
            // Nobody above the library listens to them: drop the whole queue.
            for (;;) {
                rec::RequestRecord discard(rec::request::DiscardNotification, CurrentLayout());
                if (ExchangeRequest(ChannelOf(card), discard) != TK_OK) {
                    break;
                }
            }
            word &= ~TK_EVENT_NOTIFICATIONS;
        }
        if (word != 0) {
            *events = word;
            return TK_OK;
        }
    }
}

std::uint32_t TKCancelWait(std::uint32_t card) {
    if (!CardInRange(card)) {
        return TKE_OUT_OF_RANGE;
    }
    CardChannel* channel = ChannelOf(card);
    if (channel == nullptr) {
        return TKE_NOT_OPENED;
    }
    rec::RequestRecord record(rec::request::CancelWait, CurrentLayout());
    return ExchangeRequest(channel, record);
}

std::uint32_t TKGetErrors(std::uint32_t card, std::uint32_t* errors) {
    if (!CardInRange(card) || errors == nullptr) {
        return TKE_OUT_OF_RANGE;
    }
    CardChannel* channel = ChannelOf(card);
    if (channel == nullptr) {
        return TKE_NOT_OPENED;
    }
    rec::RequestRecord record(rec::request::ErrorEvents, CurrentLayout());
    const std::uint32_t result = ExchangeRequest(channel, record);
    if (result == TK_OK) {
        *errors = static_cast<std::uint32_t>(record.Get(rec::header::Param1));
    }
    return result;
}

std::uint32_t TKGetBusInfo(std::uint32_t card, std::uint32_t capacity, std::uint32_t* nodeCount,
                           TKSelfIdEntry* entries) {
    if (!CardInRange(card) || nodeCount == nullptr || entries == nullptr) {
        return TKE_OUT_OF_RANGE;
    }
    if (!BusOpen(card)) {
        return TKE_NOT_OPENED;
    }
    rec::RequestRecord record(rec::request::BusInfo, CurrentLayout());
    SelfIdBuffer buffer;
    const std::uint32_t result = RequestBusInfo(card, record, buffer);
    if (result != TK_OK) {
        return result;
    }
    const auto count = static_cast<std::uint32_t>(record.Get(rec::bus_info::NodeCount));
    const auto localNode = static_cast<std::uint32_t>(record.Get(rec::bus_info::LocalNode));
    const auto described = static_cast<std::uint32_t>(record.Get(rec::bus_info::NodesDescribed));
    *nodeCount = count;

    CardState& state = Card(card);
    ClearPresentNodes(state);
    // The walk never leaves the buffer and keeps at most three extension
    // packets per node, whatever the driver claims.
    std::uint32_t next = 0;
    for (std::uint32_t i = 0; i < described && next < buffer.size(); ++i) {
        std::uint32_t q = buffer[next++];
        const std::uint32_t node = TKSelfIdNode(q);
        if (node < TK_MAX_NODES) {
            NodeEntry& entry = state.nodes[node];
            entry.maxSpeed.store(static_cast<std::uint8_t>(TKSelfIdSpeed(q)));
            entry.chosenSpeed.store(static_cast<std::uint8_t>(TK_NO_SPEED));
            entry.present.store(1);
        }
        if (node == localNode) {
            q |= TK_SELFID_LOCAL_NODE;
        } else {
            q &= ~TK_SELFID_LOCAL_NODE;
        }
        if (i < capacity) {
            entries[i].quadlets[0] = q;  // missing extension packets stay unwritten
        }
        std::uint32_t last = q;
        for (std::uint32_t k = 1; (last & TK_SELFID_MORE_PACKETS) != 0 && next < buffer.size();
             ++k) {
            last = buffer[next++];
            if (i < capacity && k < 4) {
                entries[i].quadlets[k] = last;
            }
        }
    }
    return capacity < count ? TKE_INCOMPLETE_COPY : TK_OK;
}

std::uint32_t TKGetLocalNodeId(std::uint32_t card, std::uint32_t* node) {
    if (!CardInRange(card) || node == nullptr) {
        return TKE_OUT_OF_RANGE;
    }
    if (!BusOpen(card)) {
        return TKE_NOT_OPENED;
    }
    rec::RequestRecord record(rec::request::BusInfo, CurrentLayout());
    SelfIdBuffer buffer;
    const std::uint32_t result = RequestBusInfo(card, record, buffer);
    if (result == TK_OK) {
        *node = static_cast<std::uint32_t>(record.Get(rec::bus_info::LocalNode));
    }
    return result;
}
