// The configuration ROM reader on its own, against ROM images.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "RomImage.h"
#include "buslib/ConfigRom.h"

namespace tk::testing {
namespace {

using detail::ReadConfigRom;

// Answers from a ROM image and remembers every address asked for.
class RomSource final : public detail::QuadletSource {
public:
    explicit RomSource(Rom rom) : rom_(std::move(rom)) {}
    bool Read(std::uint32_t address, std::uint32_t* value) override {
        ++reads;
        asked.insert(address);
        const auto it = rom_.find(address);
        if (it == rom_.end()) {
            return false;
        }
        *value = it->second;
        return true;
    }
    int reads = 0;
    std::set<std::uint32_t> asked;

private:
    Rom rom_;
};

constexpr std::uint32_t kSelfId = 0x81408000;  // node 1, link active, S400

TEST(ConfigRomTest, ReadsACamera) {
    RomSource source(CameraRom{}.Build());
    NodeRecord record;
    std::memset(&record, 0x5A, sizeof record);
    ASSERT_TRUE(ReadConfigRom(source, 3, kSelfId, record));
    EXPECT_EQ(3u, record.card);
    EXPECT_EQ(1u, record.node);
    EXPECT_EQ(2u, record.speed);
    EXPECT_EQ(0xF0F00000u, record.commandRegisterBase);
    EXPECT_STREQ("ORISCOPE TEST", record.vendorName);
    EXPECT_STREQ("DCAM 1", record.modelName);
    EXPECT_EQ('\0', record.vendorName[127]);
    EXPECT_EQ(nullptr, record.view);
    EXPECT_EQ(0u, record.reserved[0]);
}

TEST(ConfigRomTest, NameLeafLengths) {
    const std::string text124(124, 'v');
    const struct {
        int headerQuadlets;
        std::string text;
        const char* expected;
    } cases[] = {
        {33, text124, nullptr},                   // 31 quadlets of text: all 124 characters
        {34, text124 + "abcd", "Name too long"},  // 32 quadlets
        {2, "", ""},
        {1, "", "Name too long"},  // shorter than the descriptor: a huge length
        {0, "", "Name too long"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.headerQuadlets);
        Rom rom = CameraRom{}.Build();
        PutLeaf(rom, CameraRom::kVendorLeaf, c.text, c.headerQuadlets);
        RomSource source(rom);
        NodeRecord record{};
        ASSERT_TRUE(ReadConfigRom(source, 0, kSelfId, record));
        EXPECT_EQ(c.expected ? std::string(c.expected) : c.text, record.vendorName);
    }
}

TEST(ConfigRomTest, MalformedRomsLeaveTheNodeOut) {
    const struct {
        const char* what;
        void (*damage)(Rom&);
    } cases[] = {
        {"no unit directory entry", [](Rom& rom) { rom[CameraRom::kRoot + 12] = 0x17000001; }},
        {"unit directory outside the ROM",
         [](Rom& rom) { rom[CameraRom::kRoot + 12] = 0xD1FFFFFF; }},
        {"unit dependent directory wraps around",
         [](Rom& rom) { rom[CameraRom::kUnit + 12] = 0xD4FFFFF0; }},
        {"no vendor leaf", [](Rom& rom) { rom[CameraRom::kUnitDependent + 12] = 0x38000000; }},
        {"model leaf beyond the ROM's end",
         [](Rom& rom) {
             rom[CameraRom::kUnitDependent + 16] =
                 Pointer(0x82, CameraRom::kUnitDependent + 16, 0xF0000800);
         }},
        {"leaf text runs past the ROM's end",
         [](Rom& rom) {
             rom[CameraRom::kUnitDependent + 16] =
                 Pointer(0x82, CameraRom::kUnitDependent + 16, 0xF00007F0);
             rom[0xF00007F0] = 20u << 16;
             rom[0xF00007F4] = 0;
             rom[0xF00007F8] = 0;
             rom[0xF00007FC] = 0x41414141;
         }},
        {"unique id missing", [](Rom& rom) { rom.erase(0xF0000410); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Rom rom = CameraRom{}.Build();
        c.damage(rom);
        RomSource source(rom);
        NodeRecord record{};
        EXPECT_FALSE(ReadConfigRom(source, 0, kSelfId, record));
        for (const std::uint32_t address : source.asked) {
            EXPECT_TRUE(address >= 0xF0000400 && address <= 0xF00007FC)
                << "read outside the ROM: 0x" << std::hex << address;
        }
    }
}

TEST(ConfigRomTest, DirectoryWalksAreBounded) {
    Rom rom = CameraRom{}.Build();
    // A root directory that claims 0xFFFF entries, none of them a unit directory.
    rom[CameraRom::kRoot] = 0xFFFF0000;
    for (std::uint32_t a = CameraRom::kRoot + 4; a <= 0xF00007FC; a += 4) {
        rom[a] = 0x17000000;
    }
    RomSource source(rom);
    NodeRecord record{};
    EXPECT_FALSE(ReadConfigRom(source, 0, kSelfId, record));
    EXPECT_LE(source.reads, 3 + 32);

    // The unit dependent directory is walked for at most as many entries.
    rom = CameraRom{}.Build();
    rom[CameraRom::kUnitDependent] = 0xFFFF0000;
    for (std::uint32_t i = 1; i <= 64; ++i) {
        rom[CameraRom::kUnitDependent + 4 * i] = 0x38000000;
    }
    RomSource second(rom);
    EXPECT_FALSE(ReadConfigRom(second, 0, kSelfId, record));
    EXPECT_FALSE(second.asked.count(CameraRom::kUnitDependent + 4 * 33));
}

}  // namespace
}  // namespace tk::testing
