// Quadlet reads and writes, and the speed chosen per node.
#include <cstdint>

#include "buslib/ModuleState.h"

namespace {

using namespace tk::detail;
namespace rec = tk::records;

bool NodeInRange(std::uint32_t node) {
    return node < TK_MAX_NODES || node == TK_BROADCAST_NODE;
}

// One quadlet request to a node; the quadlet travels in bus order.
std::uint32_t QuadletRequest(const rec::RequestSpec& spec, std::uint32_t card, std::uint32_t node,
                             std::uint32_t addressHigh, std::uint32_t addressLow,
                             std::uint32_t* quadlet) {
    if (!CardInRange(card) || !NodeInRange(node)) {
        return TKE_OUT_OF_RANGE;
    }
    if (!BusOpen(card)) {
        return TKE_NOT_OPENED;
    }
    rec::RequestRecord record(spec, CurrentLayout());
    record.Set(rec::header::Param2, 0);
    // The driver is handed the record's own address, a 32-bit one zero-extended
    // in the wide layout; what it does with it is its business.
    record.Set(rec::header::Param3,
               static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(record.Data())));
    record.Set(rec::quad::Speed,
               Card(card).nodes[node].chosenSpeed.load(std::memory_order_relaxed));
    record.Set(rec::quad::BusNumber, 1023);
    record.Set(rec::quad::Node, node & 0x3F);
    record.Set(rec::quad::AddressHigh, addressHigh & 0xFFFF);
    record.Set(rec::quad::AddressLow, addressLow);
    std::uint8_t* quadletBytes = record.Data() + rec::quad::Quadlet.Offset(record.GetLayout());
    if (spec.code == rec::request::WriteQuad.code) {
        rec::PutBus32(quadletBytes, *quadlet);
    }
    const std::uint32_t result = ExchangeRequest(ChannelOf(card), record);
    if (result == TK_OK && spec.code == rec::request::ReadQuad.code) {
        *quadlet = rec::GetBus32(quadletBytes);
    }
    return result;
}

}  // namespace

std::uint32_t TKWriteQuad(std::uint32_t card, std::uint32_t node, std::uint32_t addressHigh,
                          std::uint32_t addressLow, std::uint32_t value) {
    return QuadletRequest(rec::request::WriteQuad, card, node, addressHigh, addressLow, &value);
}

std::uint32_t TKReadQuad(std::uint32_t card, std::uint32_t node, std::uint32_t addressHigh,
                         std::uint32_t addressLow, std::uint32_t* value) {
    if (value == nullptr) {
        return TKE_OUT_OF_RANGE;
    }
    std::uint32_t quadlet = 0;
    const std::uint32_t result =
        QuadletRequest(rec::request::ReadQuad, card, node, addressHigh, addressLow, &quadlet);
    if (result == TK_OK) {
        *value = quadlet;
    }
    return result;
}

std::uint32_t TKSetSpeed(std::uint32_t card, std::uint32_t node, std::uint32_t speed) {
    if (!CardInRange(card) || node >= TK_MAX_NODES) {
        return TKE_OUT_OF_RANGE;
    }
    NodeEntry& entry = Card(card).nodes[node];
    if (entry.present.load(std::memory_order_relaxed) == 0 ||
        speed > entry.maxSpeed.load(std::memory_order_relaxed)) {
        return TKE_OUT_OF_RANGE;
    }
    entry.chosenSpeed.store(static_cast<std::uint8_t>(speed), std::memory_order_relaxed);
    return TK_OK;
}
