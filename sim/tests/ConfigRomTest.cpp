#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/ConfigRom.h"
#include "sim/SimRegisters.h"

namespace sim {
namespace {

std::uint32_t At(const std::vector<std::uint32_t>& rom, std::uint32_t address) {
    return rom.at((address - reg::kConfigRom) / 4);
}

// Reads a text leaf the way the bus monitor does: after the two descriptor quadlets.
std::string Leaf(const std::vector<std::uint32_t>& rom, std::uint32_t address) {
    const std::uint32_t quadlets = (At(rom, address) >> 16) - 2;
    std::string text;
    for (std::uint32_t i = 0; i < quadlets; ++i) {
        const std::uint32_t q = At(rom, address + 12 + 4 * i);
        for (int b = 3; b >= 0; --b) {
            const char c = static_cast<char>(q >> (8 * b));
            if (c != 0) {
                text += c;
            }
        }
    }
    return text;
}

TEST(CameraRom, CanBeWalkedAsTheBusMonitorWalksIt) {
    const auto rom = BuildCameraRom({0x0030531122334455ull, 0xF0F00000, "Vendor Name", "Model"});
    EXPECT_EQ(reg::kBusName1394, At(rom, reg::kBusInfoName));
    EXPECT_EQ(0x00305311u, At(rom, reg::kUniqueIdHigh));
    EXPECT_EQ(0x22334455u, At(rom, reg::kUniqueIdLow));
    // Root directory: the first entry with key 0xD1 leads to the unit directory.
    const std::uint32_t rootLength = At(rom, reg::kRootDirectory) >> 16;
    std::uint32_t unit = 0;
    for (std::uint32_t i = 0; i < rootLength && unit == 0; ++i) {
        const std::uint32_t entryAddress = reg::kRootDirectory + 4 + 4 * i;
        const std::uint32_t entry = At(rom, entryAddress);
        if ((entry >> 24) == reg::kKeyUnitDirectory) {
            unit = entryAddress + 4 * (entry & 0xFFFFFF);
        }
    }
    ASSERT_NE(0u, unit);
    EXPECT_EQ((std::uint32_t{reg::kKeyUnitSpecId} << 24) | reg::kIidcSpecId, At(rom, unit + 4));
    // Its third entry leads to the unit dependent directory.
    const std::uint32_t third = At(rom, unit + 12);
    EXPECT_EQ(reg::kKeyUnitDependentDirectory, third >> 24);
    const std::uint32_t dependent = unit + 12 + 4 * (third & 0xFFFFFF);
    std::uint32_t base = 0, vendor = 0, model = 0;
    for (std::uint32_t i = 0; i < (At(rom, dependent) >> 16); ++i) {
        const std::uint32_t a = dependent + 4 + 4 * i;
        const std::uint32_t e = At(rom, a);
        if ((e >> 24) == reg::kKeyCommandRegsBase) {
            base = 0xF0000000u + 4 * (e & 0xFFFFFF);
        } else if ((e >> 24) == reg::kKeyVendorNameLeaf) {
            vendor = a + 4 * (e & 0xFFFFFF);
        } else if ((e >> 24) == reg::kKeyModelNameLeaf) {
            model = a + 4 * (e & 0xFFFFFF);
        }
    }
    EXPECT_EQ(0xF0F00000u, base);
    EXPECT_EQ("Vendor Name", Leaf(rom, vendor));
    EXPECT_EQ("Model", Leaf(rom, model));
    EXPECT_LE(rom.size(), 256u);
}

TEST(CameraRom, BlocksCarryTheirCrc) {
    const auto rom = BuildCameraRom({1, 0xF0F00000, "V", "M"});
    EXPECT_EQ(4u, rom[0] >> 24);
    const std::size_t root = (reg::kRootDirectory - reg::kConfigRom) / 4;
    const std::size_t length = rom[root] >> 16;
    EXPECT_EQ(rom[root] & 0xFFFF, RomCrc(rom.data() + root + 1, length));
    EXPECT_EQ(rom[0] & 0xFFFF, RomCrc(rom.data() + 1, 4));
}

TEST(RomCrc, MatchesTheIeee1212Polynomial) {
    // CRC-16 with polynomial x^16 + x^12 + x^5 + 1, quadlets most significant nibble first.
    const std::uint32_t one = 0x00000001;
    EXPECT_EQ(0x1021, RomCrc(&one, 1));
    EXPECT_EQ(0, RomCrc(&one, 0));
}

TEST(ParseConfigRom, FindsTheBaseOfABuiltRom) {
    const auto rom = BuildCameraRom({1, 0xF0E00000, "V", "M"});
    const RomLayout layout = ParseConfigRom(rom);
    EXPECT_EQ("", layout.error);
    EXPECT_EQ(0xF0E00000u, layout.commandBase);
}

TEST(ParseConfigRom, AcceptsUnusualButValidRoms) {
    // Two unit directories; the first has no base; the dependent directory is
    // found by key, not position; its keys come in another order.
    std::vector<std::uint32_t> rom = {
        0x04000000, 0x31333934, 0,          0x00112233, 0x44556677,
        0x00030000,                          // root: 3 entries (at 0x414)
        0x0C0083C0,                          // 0x418
        0xD1000002,                          // 0x41C -> 0x424
        0xD1000005,                          // 0x420 -> 0x434
        0x00020000, 0x12000000, 0xD4000001,  // unit 1 (0x424): its dependent dir at 0x430
        0x00000000,                          // 0x430: empty dependent directory
        0x00030000, 0x1300ABCD, 0x12000000, 0xD4000001,  // unit 2 at 0x434, key 0xD4 third
        0x00020000, 0x81000010, 0x40001234,              // dependent at 0x444
    };
    const RomLayout layout = ParseConfigRom(rom);
    EXPECT_EQ("", layout.error);
    EXPECT_EQ(0xF0000000u + 4 * 0x1234, layout.commandBase);
}

TEST(ParseConfigRom, SaysWhatIsMissing) {
    EXPECT_NE("", ParseConfigRom({0x04000000}).error);
    const std::vector<std::uint32_t> noUnit = {0x04000000, 0x31333934, 0,         1,
                                               2,          0x00010000, 0x0C0083C0};
    EXPECT_NE(std::string::npos, ParseConfigRom(noUnit).error.find("0xD1"));
    const std::vector<std::uint32_t> dangling = {0x04000000, 0x31333934, 0,          1,
                                                 2,          0x00020000, 0xD1000100, 0x0C0083C0};
    EXPECT_NE(std::string::npos, ParseConfigRom(dangling).error.find("0x40"));
    const std::vector<std::uint32_t> runsOff = {0x04000000, 0x31333934, 0, 1, 2, 0x00090000};
    EXPECT_NE(std::string::npos, ParseConfigRom(runsOff).error.find("past the end"));
}

}  // namespace
}  // namespace sim
