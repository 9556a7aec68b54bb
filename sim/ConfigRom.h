// ConfigRom: IEEE 1212 configuration ROM images of the simulated nodes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// What a built camera ROM names. Quadlets start at 0xFFFFF0000400.
struct CameraRomContents {
    std::uint64_t uniqueId = 0;
    std::uint32_t commandBase = 0;  // address low, 0xF0000000 + 4 * n
    std::string vendor;
    std::string model;
};

// A camera ROM: bus information block, root directory with a unit directory
// (IIDC 1.31), unit dependent directory with the command register base and
// the vendor and model name leaves. CRCs are filled in.
std::vector<std::uint32_t> BuildCameraRom(const CameraRomContents& contents);

// A ROM of a node without a unit directory (the adapter, other devices).
std::vector<std::uint32_t> BuildPlainRom(std::uint64_t uniqueId);

// IEEE 1212 CRC-16 over quadlets.
std::uint16_t RomCrc(const std::uint32_t* quadlets, std::size_t count);

struct RomLayout {
    std::uint32_t commandBase = 0;
    std::string error;  // empty when the ROM names a command register base
};

// Finds the command register base of a raw ROM as a camera would be found:
// through any unit directory (0xD1) to its unit dependent directory (key 0xD4,
// or the third entry) and its key 0x40. Bounds are checked; CRCs are not.
RomLayout ParseConfigRom(const std::vector<std::uint32_t>& rom);

}  // namespace sim
