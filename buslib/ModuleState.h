// ModuleState: the library's process-wide tables and the request exchange,
// shared by the TK functions. Internal to buslib.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "buslib/DriverPlatform.h"
#include "buslib/RequestRecords.h"
#include "buslib/TK.h"

namespace tk::detail {

// The open device of one card.
struct CardChannel {
    DeviceHandle device = kInvalidDevice;
    std::uint8_t card = 0;
};

// What the last bus information refresh saw of a node, and the speed chosen
// for it. Read by any thread while building a request, hence atomic.
struct NodeEntry {
    std::atomic<std::uint32_t> present{0};
    std::atomic<std::uint8_t> maxSpeed{0};
    std::atomic<std::uint8_t> chosenSpeed{0};
};

inline constexpr std::uint32_t kNodeTableSize = 64;

struct CardState {
    std::atomic<CardChannel*> channel{nullptr};
    std::atomic<std::int32_t> busOpen{0};
    std::array<std::atomic<std::int32_t>, TK_ISO_CONTEXTS> allocated{};
    std::array<std::atomic<std::int32_t>, TK_ISO_CONTEXTS> posted{};
    std::array<NodeEntry, kNodeTableSize> nodes{};
};

struct Module {
    std::atomic<bool> wow64{false};
    std::array<std::atomic<CardChannel*>, TK_MAX_CARDS> channels{};
    std::array<CardState, TK_MAX_CARDS> cards{};
};

Module& TheModule();

// The record layout of this process, fixed by TKInitModule.
records::Layout CurrentLayout();

// Exchanges one record with the card's driver and checks the reply: the
// exchange error, 1010 for a reply length the request does not accept, or the
// driver status of the record.
std::uint32_t ExchangeRequest(CardChannel* channel, records::RequestRecord& record,
                              std::uint32_t waitMilliseconds = kWaitInfinite,
                              bool bufferGiven = true);

// Validity checks shared by the TK functions.
inline bool CardInRange(std::uint32_t card) {
    return card < TK_MAX_CARDS;
}
inline CardState& Card(std::uint32_t card) {
    return TheModule().cards[card];
}
inline CardChannel* ChannelOf(std::uint32_t card) {
    return Card(card).channel.load(std::memory_order_acquire);
}
inline bool BusOpen(std::uint32_t card) {
    return Card(card).busOpen.load(std::memory_order_acquire) != 0;
}

// Marks nodes 0..31 of a card as not present (a new bus information refresh,
// or the bus closing).
void ClearPresentNodes(CardState& state);

}  // namespace tk::detail
