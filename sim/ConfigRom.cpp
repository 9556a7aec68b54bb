#include "sim/ConfigRom.h"

#include "sim/SimRegisters.h"

namespace sim {

std::uint16_t RomCrc(const std::uint32_t* quadlets, std::size_t count) {
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < count; ++i) {
        for (int shift = 28; shift >= 0; shift -= 4) {
            const std::uint32_t sum = ((crc >> 12) ^ (quadlets[i] >> shift)) & 0xF;
            crc = (crc << 4) ^ (sum << 12) ^ (sum << 5) ^ sum;
        }
    }
    return static_cast<std::uint16_t>(crc);
}

namespace {

// Builds the ROM quadlet by quadlet; directories and leaves get their
// length/CRC headers once their contents are known.
class RomWriter {
public:
    std::size_t Add(std::uint32_t q) {
        rom_.push_back(q);
        return rom_.size() - 1;
    }
    std::size_t Reserve() { return Add(0); }
    void Set(std::size_t index, std::uint32_t q) { rom_[index] = q; }
    // Entry pointing from `entry` to `target` (offsets count in quadlets).
    void Point(std::size_t entry, std::uint8_t key, std::size_t target) {
        rom_[entry] = (std::uint32_t{key} << 24) | static_cast<std::uint32_t>(target - entry);
    }
    // Header of a block of `length` quadlets after `header`.
    void Seal(std::size_t header, std::size_t length) {
        const auto crc = RomCrc(rom_.data() + header + 1, length);
        rom_[header] = (static_cast<std::uint32_t>(length) << 16) | crc;
    }
    std::size_t Size() const { return rom_.size(); }
    std::vector<std::uint32_t> Take() { return std::move(rom_); }

private:
    std::vector<std::uint32_t> rom_;
};

void WriteBusInfo(RomWriter& w, std::uint64_t uniqueId) {
    w.Reserve();
    w.Add(reg::kBusName1394);
    w.Add(0x20FFA000);  // cmc, cycle clock accuracy, max_rec 2048 bytes
    w.Add(static_cast<std::uint32_t>(uniqueId >> 32));
    w.Add(static_cast<std::uint32_t>(uniqueId));
}

void SealBusInfo(std::vector<std::uint32_t>& rom) {
    const auto crc = RomCrc(rom.data() + 1, 4);
    // bus_info_length 4, crc_length = whole ROM
    const auto crcLength = static_cast<std::uint32_t>(rom.size() - 1);
    rom[0] = (4u << 24) | ((crcLength > 255 ? 255 : crcLength) << 16) | crc;
}

std::size_t WriteTextLeaf(RomWriter& w, const std::string& text) {
    const std::size_t header = w.Reserve();
    w.Add(0);  // textual descriptor, minimal ASCII
    w.Add(0);
    std::uint32_t q = 0;
    std::size_t n = 0;
    for (char c : text) {
        q |= std::uint32_t{static_cast<unsigned char>(c)} << (24 - 8 * (n % 4));
        if (++n % 4 == 0) {
            w.Add(q);
            q = 0;
        }
    }
    if (n % 4 != 0) {
        w.Add(q);
    }
    w.Seal(header, w.Size() - header - 1);
    return header;
}

}  // namespace

std::vector<std::uint32_t> BuildCameraRom(const CameraRomContents& c) {
    RomWriter w;
    WriteBusInfo(w, c.uniqueId);
    const std::size_t root = w.Reserve();
    w.Add((std::uint32_t{reg::kKeyModuleVendorId} << 24) |
          static_cast<std::uint32_t>(c.uniqueId >> 40));
    w.Add((std::uint32_t{reg::kKeyNodeCapabilities} << 24) | 0x0083C0);
    const std::size_t uidEntry = w.Reserve();
    const std::size_t unitEntry = w.Reserve();

    const std::size_t uidLeaf = w.Reserve();
    w.Add(static_cast<std::uint32_t>(c.uniqueId >> 32));
    w.Add(static_cast<std::uint32_t>(c.uniqueId));
    w.Seal(uidLeaf, 2);
    w.Point(uidEntry, reg::kKeyNodeUniqueIdLeaf, uidLeaf);

    const std::size_t unit = w.Reserve();
    w.Add((std::uint32_t{reg::kKeyUnitSpecId} << 24) | reg::kIidcSpecId);
    w.Add((std::uint32_t{reg::kKeyUnitSwVersion} << 24) | reg::kIidcVersion131);
    const std::size_t dependentEntry = w.Reserve();  // the third entry
    w.Point(unitEntry, reg::kKeyUnitDirectory, unit);

    const std::size_t dependent = w.Reserve();
    w.Add((std::uint32_t{reg::kKeyCommandRegsBase} << 24) |
          ((c.commandBase - reg::kRegisterSpace) / 4));
    const std::size_t vendorEntry = w.Reserve();
    const std::size_t modelEntry = w.Reserve();
    w.Point(dependentEntry, reg::kKeyUnitDependentDirectory, dependent);

    const std::size_t vendorLeaf = WriteTextLeaf(w, c.vendor);
    const std::size_t modelLeaf = WriteTextLeaf(w, c.model);
    w.Point(vendorEntry, reg::kKeyVendorNameLeaf, vendorLeaf);
    w.Point(modelEntry, reg::kKeyModelNameLeaf, modelLeaf);
    // Directories are sealed after their entries point somewhere.
    w.Seal(unit, 3);
    w.Seal(dependent, 3);
    w.Seal(root, 4);
    auto rom = w.Take();
    SealBusInfo(rom);
    return rom;
}

std::vector<std::uint32_t> BuildPlainRom(std::uint64_t uniqueId) {
    RomWriter w;
    WriteBusInfo(w, uniqueId);
    const std::size_t root = w.Reserve();
    w.Add((std::uint32_t{reg::kKeyModuleVendorId} << 24) |
          static_cast<std::uint32_t>(uniqueId >> 40));
    w.Add((std::uint32_t{reg::kKeyNodeCapabilities} << 24) | 0x0083C0);
    w.Seal(root, 2);
    auto rom = w.Take();
    SealBusInfo(rom);
    return rom;
}

RomLayout ParseConfigRom(const std::vector<std::uint32_t>& rom) {
    constexpr std::size_t kRoot = (reg::kRootDirectory - reg::kConfigRom) / 4;
    auto at = [&](std::size_t i, std::uint32_t* q) {
        if (i >= rom.size()) {
            return false;
        }
        *q = rom[i];
        return true;
    };
    std::uint32_t header = 0;
    if (!at(kRoot, &header)) {
        return {0, "too short for a root directory (needs quadlets up to 0xFFFFF0000414)"};
    }
    const std::size_t rootLength = header >> 16;
    bool sawUnit = false;
    for (std::size_t i = 1; i <= rootLength; ++i) {
        std::uint32_t entry = 0;
        if (!at(kRoot + i, &entry)) {
            return {0, "the root directory runs past the end of the ROM"};
        }
        if ((entry >> 24) != reg::kKeyUnitDirectory) {
            continue;
        }
        sawUnit = true;
        const std::size_t unit = kRoot + i + (entry & 0xFFFFFF);
        std::uint32_t unitHeader = 0;
        if (!at(unit, &unitHeader)) {
            continue;
        }
        const std::size_t unitLength = unitHeader >> 16;
        std::size_t dependent = 0;
        for (std::size_t k = 1; k <= unitLength; ++k) {
            std::uint32_t e = 0;
            if (at(unit + k, &e) && (e >> 24) == reg::kKeyUnitDependentDirectory) {
                dependent = unit + k + (e & 0xFFFFFF);
                break;
            }
        }
        std::uint32_t third = 0;
        if (dependent == 0 && at(unit + 3, &third)) {
            dependent = unit + 3 + (third & 0xFFFFFF);
        }
        std::uint32_t depHeader = 0;
        if (dependent == 0 || !at(dependent, &depHeader)) {
            continue;
        }
        for (std::size_t k = 1; k <= (depHeader >> 16); ++k) {
            std::uint32_t e = 0;
            if (at(dependent + k, &e) && (e >> 24) == reg::kKeyCommandRegsBase) {
                const std::uint32_t base = reg::kRegisterSpace + 4 * (e & 0xFFFFFF);
                if (base < reg::kConfigRomEnd || base > 0xFFFFE000) {
                    return {0, "the command register base lies outside the register space"};
                }
                return {base, {}};
            }
        }
    }
    return {0, sawUnit ? "no unit dependent directory names a command register base (key 0x40)"
                       : "the root directory has no unit directory entry (key 0xD1)"};
}

}  // namespace sim
