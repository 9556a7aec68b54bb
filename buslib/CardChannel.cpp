// Module start and end, card discovery through the driver's registry values,
// the card channel and the request exchange.
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "buslib/ModuleState.h"
#include "imaging/YuvTables.h"

namespace tk::detail {

Module& TheModule() {
    static Module module;
    return module;
}

records::Layout CurrentLayout() {
    return TheModule().wow64.load(std::memory_order_relaxed) ? records::Layout::Wide
                                                             : records::Layout::Compact;
}

std::uint32_t ExchangeRequest(CardChannel* channel, records::RequestRecord& record,
                              std::uint32_t waitMilliseconds, bool bufferGiven) {
    if (channel == nullptr || channel->device == kInvalidDevice) {
        return TKE_NOT_OPENED;
    }
    std::uint32_t bytesReturned = 0;
    const ExchangeOutcome outcome = CurrentDriverPlatform().Exchange(
        channel->device, records::ControlCode(record.GetLayout()), record.Data(), record.Size(),
        waitMilliseconds, &bytesReturned);
    switch (outcome) {
        case ExchangeOutcome::Completed:
            break;
        case ExchangeOutcome::DeviceError:
            return TKE_DEVICE_IO_CONTROL;
        case ExchangeOutcome::TimedOut:
            return TKDRV_TIMEOUT;
        case ExchangeOutcome::NoWaitEvent:
            return TKE_NO_WAIT_EVENT;
    }
    if (!records::ReplyLengthAccepted(record.Spec(), record.GetLayout(), bytesReturned,
                                      bufferGiven)) {
        return TKE_WRONG_LENGTH;
    }
    return record.Status();
}

void ClearPresentNodes(CardState& state) {
    for (std::uint32_t node = 0; node < TK_MAX_NODES; ++node) {
        state.nodes[node].present.store(0, std::memory_order_relaxed);
    }
}

}  // namespace tk::detail

namespace {

using namespace tk::detail;
namespace rec = tk::records;

// Card n uses the registry slot of the (n+1)-th set bit among bits 0..15 of
// "CardMask"; -1 when there is none.
int RegistrySlot(std::uint32_t card) {
    if (card >= 16) {
        return -1;
    }
    std::uint32_t mask = 0;
    if (!tk::CurrentDriverPlatform().ReadRegistryDword("CardMask", &mask)) {
        return -1;
    }
    std::uint32_t seen = 0;
    for (int slot = 0; slot < 16; ++slot) {
        if ((mask & (1u << slot)) != 0) {
            if (seen == card) {
                return slot;
            }
            ++seen;
        }
    }
    return -1;
}

// "\\.\" and the last path component of the card's "SymbolicLinkName" value;
// empty when there is none.
std::string DevicePath(std::uint32_t card) {
    constexpr std::size_t kCapacity = 256;
    const int slot = RegistrySlot(card);
    if (slot < 0) {
        return {};
    }
    char valueName[32];
    std::snprintf(valueName, sizeof valueName, "SymbolicLinkName%d", slot);
    char link[kCapacity] = {};
    if (!tk::CurrentDriverPlatform().ReadRegistryString(valueName, link, sizeof link)) {
        return {};
    }
    link[kCapacity - 1] = '\0';
    const std::size_t length = std::strlen(link);
    if (length == 0 || length + 8 > kCapacity) {
        return {};
    }
    const char* lastBackslash = std::strrchr(link, '\\');
    const char* name = lastBackslash ? lastBackslash + 1 : link;
    return std::string("\\\\.\\") + name;
}

// Closes a channel: ends the bus and any event wait on the driver's side,
// closes the device and forgets the channel.
void ReleaseChannel(CardChannel* channel) {
    {
        rec::RequestRecord closeBus(rec::request::CloseBus, CurrentLayout());
        (void)ExchangeRequest(channel, closeBus);
        rec::RequestRecord cancelWait(rec::request::CancelWait, CurrentLayout());
        (void)ExchangeRequest(channel, cancelWait);
    }
    if (channel->device != tk::kInvalidDevice) {
        tk::CurrentDriverPlatform().CloseDevice(channel->device);
        channel->device = tk::kInvalidDevice;
    }
    auto& entry = TheModule().channels[channel->card];
    CardChannel* expected = channel;
    entry.compare_exchange_strong(expected, nullptr);
    delete channel;
}

}  // namespace

std::uint32_t TKInitModule() {
    Module& module = TheModule();
    for (CardState& state : module.cards) {
        state.channel.store(nullptr);
        state.busOpen.store(0);
        for (std::uint32_t i = 0; i < TK_ISO_CONTEXTS; ++i) {
            state.allocated[i].store(0);
            state.posted[i].store(0);
        }
        for (std::uint32_t node = 0; node < kNodeTableSize; ++node) {
            const bool single = node < TK_MAX_NODES;
            state.nodes[node].present.store(0);
            state.nodes[node].maxSpeed.store(0);
            state.nodes[node].chosenSpeed.store(single ? TK_NO_SPEED : 0);
        }
    }
    InitYuvTables();
    for (auto& channel : module.channels) {
        channel.store(nullptr);
    }
    module.wow64.store(tk::CurrentDriverPlatform().IsWow64Process());
    return TK_OK;
}

void TKExitModule() {
    Module& module = TheModule();
    for (std::uint32_t card = 0; card < TK_MAX_CARDS; ++card) {
        CardState& state = module.cards[card];
        CardChannel* channel = state.channel.load();
        if (channel != nullptr) {
            (void)TKCloseBus(card);
            ReleaseChannel(channel);
            state.channel.store(nullptr);
            state.busOpen.store(0);
        }
    }
    for (auto& entry : module.channels) {
        CardChannel* channel = entry.load();
        if (channel != nullptr) {
            ReleaseChannel(channel);
        }
    }
}

std::uint32_t TKGetCardCount(std::uint32_t* count) {
    if (count == nullptr) {
        return TKDRV_INPUT_PARAMETERS;
    }
    std::uint32_t mask = 0;
    if (!tk::CurrentDriverPlatform().ReadRegistryDword("cardmask", &mask)) {
        return TKE_NOT_INSTALLED;
    }
    std::uint32_t n = 0;
    for (int bit = 0; bit < 16; ++bit) {
        n += (mask >> bit) & 1u;
    }
    *count = n;
    return TK_OK;
}

std::uint32_t TKGetCardSystemId(std::uint32_t card, std::uint32_t* systemId) {
    const int slot = RegistrySlot(card);
    if (slot < 0 || systemId == nullptr) {
        return TKE_OUT_OF_RANGE;
    }
    char valueName[32];
    std::snprintf(valueName, sizeof valueName, "CardSystemId%d", slot);
    std::uint32_t id = 0;
    if (!tk::CurrentDriverPlatform().ReadRegistryDword(valueName, &id)) {
        return TKE_INSTALL_FAILED;
    }
    *systemId = id;
    return TK_OK;
}

std::uint32_t TKGetCardType(std::uint32_t card, std::uint32_t* type) {
    std::uint32_t id = 0;
    if (type != nullptr && TKGetCardSystemId(card, &id) == TK_OK) {
        *type = id & 0xFF;
    }
    return TK_OK;
}

std::uint32_t TKOpenCard(std::uint32_t card) {
    if (!CardInRange(card)) {
        return TKE_OUT_OF_RANGE;
    }
    Module& module = TheModule();
    if (ChannelOf(card) != nullptr || module.channels[card].load() != nullptr) {
        return TKE_ALREADY_OPENED;
    }
    auto* channel = new (std::nothrow) CardChannel;
    if (channel == nullptr) {
        return TKDRV_NO_MEMORY;
    }
    channel->card = static_cast<std::uint8_t>(card);
    const std::string path = DevicePath(card);
    channel->device = tk::CurrentDriverPlatform().OpenDevice(path.c_str());
    if (channel->device == tk::kInvalidDevice) {
        delete channel;
        return TKE_CANNOT_OPEN_DEVICE;
    }
    rec::RequestRecord version(rec::request::DriverVersion, CurrentLayout());
    const std::uint32_t result = ExchangeRequest(channel, version);
    if (result != TK_OK) {
        ReleaseChannel(channel);
        return result;
    }
    const auto driverVersion = static_cast<std::uint32_t>(version.Get(rec::header::Param1));
    if ((driverVersion >> 16) != TK_DRIVER_VERSION_MAJOR) {
        ReleaseChannel(channel);
        return TKE_WRONG_VERSION;
    }
    module.channels[card].store(channel);
    Card(card).channel.store(channel, std::memory_order_release);
    return TK_OK;
}

std::uint32_t TKCloseCard(std::uint32_t card) {
    if (!CardInRange(card)) {
        return TKE_OUT_OF_RANGE;
    }
    CardChannel* channel = ChannelOf(card);
    if (channel == nullptr) {
        return TKE_NOT_OPENED;
    }
    (void)TKCloseBus(card);
    ReleaseChannel(channel);
    Card(card).channel.store(nullptr);
    Card(card).busOpen.store(0);
    return TK_OK;
}

std::uint32_t TKOpenBus(std::uint32_t card, std::uint32_t sizing1, std::uint32_t sizing2,
                        std::uint32_t sizing3, std::uint32_t sizing4) {
    if (!CardInRange(card)) {
        return TKE_OUT_OF_RANGE;
    }
    CardChannel* channel = ChannelOf(card);
    if (channel == nullptr) {
        return TKE_NOT_OPENED;
    }
    rec::RequestRecord record(rec::request::OpenBus, CurrentLayout());
    for (const auto& fixed : rec::open_bus::kFixedInputs) {
        record.Set(fixed.field, fixed.value);
    }
    record.Set(rec::open_bus::Sizing1, sizing1);
    record.Set(rec::open_bus::Sizing2, sizing2);
    record.Set(rec::open_bus::Sizing3, sizing3);
    record.Set(rec::open_bus::Sizing4, sizing4);
    const std::uint32_t result = ExchangeRequest(channel, record);
    if (result == TK_OK) {
        Card(card).busOpen.store(1, std::memory_order_release);
    }
    return result;
}

std::uint32_t TKCloseBus(std::uint32_t card) {
    if (!CardInRange(card)) {
        return TKE_OUT_OF_RANGE;
    }
    if (!BusOpen(card)) {
        return TKE_NOT_OPENED;
    }
    rec::RequestRecord record(rec::request::CloseBus, CurrentLayout());
    const std::uint32_t result = ExchangeRequest(ChannelOf(card), record);
    CardState& state = Card(card);
    state.busOpen.store(0, std::memory_order_release);
    ClearPresentNodes(state);
    return result;
}
