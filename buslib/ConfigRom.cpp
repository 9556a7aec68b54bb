#include "buslib/ConfigRom.h"

#include <cstring>

namespace tk::detail {
namespace {

constexpr std::uint32_t kUniqueIdHigh = 0xF000040Cu;
constexpr std::uint32_t kUniqueIdLow = 0xF0000410u;
constexpr std::uint32_t kRootDirectory = 0xF0000414u;
constexpr std::uint32_t kUnitDirectoryKey = 0xD1;
constexpr std::uint32_t kCommandRegisterKey = 0x40;
constexpr std::uint32_t kVendorLeafKey = 0x81;
constexpr std::uint32_t kModelLeafKey = 0x82;
constexpr std::uint32_t kNameCapacity = 128;

std::uint32_t Key(std::uint32_t entry) {
    return entry >> 24;
}
std::uint32_t Value(std::uint32_t entry) {
    return entry & 0x00FFFFFF;
}
// The address an entry at `at` points to; 32-bit arithmetic like the bus's.
std::uint32_t Target(std::uint32_t at, std::uint32_t entry) {
    return at + 4 * Value(entry);
}

// Reads a quadlet of the ROM; refuses any address outside it.
bool ReadRom(QuadletSource& source, std::uint32_t address, std::uint32_t* value) {
    return InConfigRom(address) && source.Read(address, value);
}

// A textual descriptor leaf into 128 bytes, characters in reading order.
bool ReadLeaf(QuadletSource& source, std::uint32_t leaf, char* text) {
    std::uint32_t header = 0;
    if (!ReadRom(source, leaf, &header)) {
        return false;
    }
    // Unsigned on purpose: a header shorter than the descriptor gives a huge length.
    const std::uint32_t quadlets = (header >> 16) - 2;
    if (quadlets >= kNameCapacity / 4) {
        static constexpr char kTooLong[] = "Name too long";
        std::memcpy(text, kTooLong, sizeof kTooLong);
        return true;
    }
    for (std::uint32_t i = 0; i < quadlets; ++i) {
        std::uint32_t q = 0;
        if (!ReadRom(source, leaf + 12 + 4 * i, &q)) {
            return false;
        }
        text[4 * i + 0] = static_cast<char>(q >> 24);
        text[4 * i + 1] = static_cast<char>(q >> 16);
        text[4 * i + 2] = static_cast<char>(q >> 8);
        text[4 * i + 3] = static_cast<char>(q);
    }
    return true;
}

}  // namespace

bool ReadConfigRom(QuadletSource& source, std::uint32_t card, std::uint32_t selfId,
                   NodeRecord& record) {
    std::memset(&record, 0, sizeof record);
    record.card = card;
    record.node = TKSelfIdNode(selfId);
    record.speed = TKSelfIdSpeed(selfId);

    if (!ReadRom(source, kUniqueIdHigh, &record.uniqueIdHigh) ||
        !ReadRom(source, kUniqueIdLow, &record.uniqueIdLow)) {
        return false;
    }

    std::uint32_t rootHeader = 0;
    if (!ReadRom(source, kRootDirectory, &rootHeader)) {
        return false;
    }
    const std::uint32_t rootLength = rootHeader >> 16;
    bool unitFound = false;
    for (std::uint32_t i = 0; i < rootLength && i < kMaxDirectoryEntries && !unitFound; ++i) {
        const std::uint32_t at = kRootDirectory + 4 + 4 * i;
        std::uint32_t entry = 0;
        if (!ReadRom(source, at, &entry)) {
            return false;
        }
        if (Key(entry) == kUnitDirectoryKey) {
            record.unitDirectory = Target(at, entry);
            unitFound = true;
        }
    }
    if (!unitFound) {
        return false;
    }

    // The unit directory's third entry leads to the unit dependent directory.
    const std::uint32_t thirdEntry = record.unitDirectory + 12;
    std::uint32_t entry = 0;
    if (!ReadRom(source, thirdEntry, &entry)) {
        return false;
    }
    record.unitDependentDirectory = Target(thirdEntry, entry);

    std::uint32_t header = 0;
    if (!ReadRom(source, record.unitDependentDirectory, &header)) {
        return false;
    }
    const std::uint32_t entries = header >> 16;
    bool haveBase = false;
    bool haveVendor = false;
    bool haveModel = false;
    for (std::uint32_t i = 0;
         i < entries && i < kMaxDirectoryEntries && !(haveBase && haveVendor && haveModel); ++i) {
        const std::uint32_t at = record.unitDependentDirectory + 4 + 4 * i;
        if (!ReadRom(source, at, &entry)) {
            return false;
        }
        switch (Key(entry)) {
            case kCommandRegisterKey:
                record.commandRegisterBase = 0xF0000000u + 4 * Value(entry);
                haveBase = true;
                break;
            case kVendorLeafKey:
                record.vendorLeaf = Target(at, entry);
                haveVendor = true;
                break;
            case kModelLeafKey:
                record.modelLeaf = Target(at, entry);
                haveModel = true;
                break;
            default:
                break;
        }
    }

    // A missing leaf has address 0, outside the ROM: the node is left out.
    return ReadLeaf(source, record.vendorLeaf, record.vendorName) &&
           ReadLeaf(source, record.modelLeaf, record.modelName);
}

}  // namespace tk::detail
