// RomImage: configuration ROMs for tests, laid out as an IIDC camera's: bus
// information block, root directory with a unit directory entry (0xD1), unit
// directory whose third entry leads to the unit dependent directory with the
// command register base (0x40) and the vendor (0x81) and model (0x82) leaves.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace tk::testing {

// Quadlets by address (low 32 bits, address high 0xFFFF).
using Rom = std::map<std::uint32_t, std::uint32_t>;

// A textual descriptor leaf at `at`: header (2 + text quadlets, or the given
// number) << 16, two
// descriptor quadlets, the text in reading order, zero-padded.
inline void PutLeaf(Rom& rom, std::uint32_t at, const std::string& text, int headerQuadlets = -1) {
    const std::uint32_t textQuadlets = static_cast<std::uint32_t>((text.size() + 3) / 4);
    rom[at] = (headerQuadlets >= 0 ? static_cast<std::uint32_t>(headerQuadlets) : 2 + textQuadlets)
              << 16;
    rom[at + 4] = 0;
    rom[at + 8] = 0;
    for (std::uint32_t i = 0; i < textQuadlets; ++i) {
        std::uint32_t q = 0;
        for (std::uint32_t b = 0; b < 4; ++b) {
            const std::size_t k = 4 * i + b;
            q = (q << 8) | static_cast<std::uint8_t>(k < text.size() ? text[k] : 0);
        }
        rom[at + 12 + 4 * i] = q;
    }
}

// An entry at `at` with `key` pointing to `target`.
inline std::uint32_t Pointer(std::uint32_t key, std::uint32_t at, std::uint32_t target) {
    return (key << 24) | (((target - at) / 4) & 0xFFFFFF);
}

struct CameraRom {
    std::uint32_t uniqueIdHigh = 0x00A0B0C0;
    std::uint32_t uniqueIdLow = 0x12340001;
    std::uint32_t commandRegisterBase = 0xF0F00000;
    std::string vendor = "ORISCOPE TEST";
    std::string model = "DCAM 1";

    static constexpr std::uint32_t kRoot = 0xF0000414;
    static constexpr std::uint32_t kUnit = 0xF0000430;
    static constexpr std::uint32_t kUnitDependent = 0xF0000450;
    static constexpr std::uint32_t kVendorLeaf = 0xF0000480;
    static constexpr std::uint32_t kModelLeaf = 0xF0000580;

    Rom Build() const {
        Rom rom;
        rom[0xF0000400] = 0x04040000;
        rom[0xF0000404] = 0x31333934;  // "1394"
        rom[0xF0000408] = 0x20FF5003;
        rom[0xF000040C] = uniqueIdHigh;
        rom[0xF0000410] = uniqueIdLow;
        rom[kRoot] = 3 << 16;
        rom[kRoot + 4] = 0x0300A0B0;  // vendor id
        rom[kRoot + 8] = 0x0C0083C0;  // node capabilities
        rom[kRoot + 12] = Pointer(0xD1, kRoot + 12, kUnit);
        rom[kUnit] = 3 << 16;
        rom[kUnit + 4] = 0x1200A02D;  // unit spec id
        rom[kUnit + 8] = 0x13000100;  // unit software version
        rom[kUnit + 12] = Pointer(0xD4, kUnit + 12, kUnitDependent);
        rom[kUnitDependent] = 4 << 16;
        rom[kUnitDependent + 4] = 0x38000010;  // another key, skipped
        rom[kUnitDependent + 8] = (0x40u << 24) | ((commandRegisterBase - 0xF0000000) / 4);
        rom[kUnitDependent + 12] = Pointer(0x81, kUnitDependent + 12, kVendorLeaf);
        rom[kUnitDependent + 16] = Pointer(0x82, kUnitDependent + 16, kModelLeaf);
        PutLeaf(rom, kVendorLeaf, vendor);
        PutLeaf(rom, kModelLeaf, model);
        return rom;
    }
};

// Self-ID packet 0 of a node: link active, speed, and whether more packets follow.
inline std::uint32_t SelfId(std::uint32_t node, std::uint32_t speed, bool linkActive = true,
                            bool morePackets = false) {
    return 0x80000000u | (node << 24) | (linkActive ? 1u << 22 : 0u) | (speed << 14) |
           (morePackets ? 1u : 0u);
}

}  // namespace tk::testing
