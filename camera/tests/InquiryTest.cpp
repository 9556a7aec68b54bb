// Inquiry of formats, modes, frame rates and Format 7 capabilities.
#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

#include "camera/tests/CameraOnScriptedBus.h"

namespace camera_testing {
namespace {

constexpr std::uint32_t kBase = 0xF0F00000u;
constexpr std::uint32_t kRcode = 15;
constexpr std::uint32_t kNoAck = 11;

constexpr std::uint32_t FormatInq() {
    return kBase + 0x100;
}
constexpr std::uint32_t ModeInq(unsigned f) {
    return kBase + 0x180 + 4 * f;
}
constexpr std::uint32_t RateInq(unsigned f, unsigned m) {
    return kBase + 0x200 + 0x20 * f + 4 * m;
}
constexpr std::uint32_t CsrInq7(unsigned m) {
    return kBase + 0x2E0 + 4 * m;
}

// A Format 7 mode block of the scripted camera.
struct Format7Block {
    std::uint32_t quadletOffset;  // as V_CSR_INQ_7 reports it
    std::uint32_t maxSize;
    std::uint32_t unitSize;
    std::uint32_t colourInquiry;
    std::uint32_t unitPosition;

    std::uint32_t Base() const { return 0xF0000000u + quadletOffset * 4; }
};

class InquiryTest : public CameraOnScriptedBus {
protected:
    void AddFormat7Mode(unsigned mode, const Format7Block& block) {
        bus.SetRegister(CsrInq7(mode), block.quadletOffset);
        bus.SetRegister(block.Base() + 0x000, block.maxSize);
        bus.SetRegister(block.Base() + 0x004, block.unitSize);
        bus.SetRegister(block.Base() + 0x014, block.colourInquiry);
        bus.SetRegister(block.Base() + 0x04C, block.unitPosition);
    }
    std::size_t ReadCount() const { return bus.Trace().size(); }
};

const Format7Block kMode0Block{0x003C2000, 0x05000400, 0x00080002, 0x84000000, 0x00040002};
const Format7Block kMode2Block{0x003C2100, 0x02800200, 0x00100004, 0xC0000000, 0x00100004};

TEST_F(InquiryTest, CameraOfferingNoFormatsIsReadOnce) {
    bus.SetRegister(FormatInq(), 0x00000000);

    EXPECT_TRUE(camera.InquireAll());

    const VideoSettings& s = camera.settings;
    EXPECT_EQ(0, s.formatInquiry);
    EXPECT_EQ(0, s.format);
    EXPECT_EQ(0, s.mode);
    for (int f = 0; f < 8; ++f) {
        EXPECT_EQ(0, s.modeInquiry[f]) << "format " << f;
        for (int m = 0; m < 8; ++m) {
            EXPECT_EQ(f == 7 ? 252 : 0, s.rateInquiry[f][m]) << "format " << f << " mode " << m;
        }
    }
    EXPECT_EQ(std::vector<RegisterAccess>{Read(FormatInq(), 0)}, bus.Trace());
}

TEST_F(InquiryTest, CameraOfferingOnlyFormat7ReadsEachOfferedModesBlock) {
    bus.SetRegister(FormatInq(), 0x01000000);
    bus.SetRegister(ModeInq(7), 0xA0000000);  // modes 0 and 2
    AddFormat7Mode(0, kMode0Block);
    AddFormat7Mode(2, kMode2Block);
    camera.settings.format7MaxSize[1] = 0x12345678;  // mode 1 is not offered

    EXPECT_TRUE(camera.InquireAll());

    const VideoSettings& s = camera.settings;
    EXPECT_EQ(0x01, s.formatInquiry);
    EXPECT_EQ(7, s.format);
    EXPECT_EQ(0xA0, s.modeInquiry[7]);
    EXPECT_EQ(0, s.mode);
    for (int f = 0; f < 7; ++f) {
        for (int m = 0; m < 8; ++m) {
            EXPECT_EQ(0, s.rateInquiry[f][m]) << "format " << f << " mode " << m;
        }
    }
    for (int m = 0; m < 8; ++m) {
        EXPECT_EQ(252, s.rateInquiry[7][m]) << "mode " << m;
    }
    EXPECT_EQ(0x00F08000u, s.format7CsrOffset[0]);
    EXPECT_EQ(0x05000400u, s.format7MaxSize[0]);
    EXPECT_EQ(0x00080002u, s.format7UnitSize[0]);
    EXPECT_EQ(0x00040002u, s.format7UnitPosition[0]);
    EXPECT_EQ(0x84, s.format7ColourInquiry[0]);
    EXPECT_EQ(0x00F08400u, s.format7CsrOffset[2]);
    EXPECT_EQ(0x02800200u, s.format7MaxSize[2]);
    EXPECT_EQ(0xC0, s.format7ColourInquiry[2]);
    EXPECT_EQ(0x12345678u, s.format7MaxSize[1]) << "modes not offered keep their entries";

    const std::uint32_t b0 = kMode0Block.Base();
    const std::vector<RegisterAccess> expected{Read(FormatInq(), 0x01000000),
                                               Read(ModeInq(7), 0xA0000000),
                                               Read(CsrInq7(0), 0x003C2000),
                                               Read(b0 + 0x000, 0x05000400),
                                               Read(b0 + 0x014, 0x84000000),
                                               Read(b0 + 0x004, 0x00080002),
                                               Read(b0 + 0x04C, 0x00040002),
                                               Read(CsrInq7(2), 0x003C2100),
                                               Read(kMode2Block.Base(), 0x02800200),
                                               Read(kMode2Block.Base() + 0x014, 0xC0000000),
                                               Read(kMode2Block.Base() + 0x004, 0x00100004),
                                               Read(kMode2Block.Base() + 0x04C, 0x00100004)};
    EXPECT_EQ(expected, bus.Trace());
}

TEST_F(InquiryTest, FixedFormatsReadTheRatesOfEachOfferedMode) {
    bus.SetRegister(FormatInq(), 0xA0000000);  // formats 0 and 2
    bus.SetRegister(ModeInq(0), 0x44000000);   // modes 1 and 5
    bus.SetRegister(ModeInq(2), 0x20000000);   // mode 2
    bus.SetRegister(RateInq(0, 1), 0x1E000000);
    bus.SetRegister(RateInq(0, 5), 0x1F000000);
    bus.SetRegister(RateInq(2, 2), 0x78000000);
    camera.settings.frameRate = 4;
    camera.settings.colourCode = 5;
    camera.settings.width = 320;

    EXPECT_TRUE(camera.InquireAll());

    const VideoSettings& s = camera.settings;
    EXPECT_EQ(0xA0, s.formatInquiry);
    EXPECT_EQ(0, s.format);
    EXPECT_EQ(1, s.mode) << "the first mode of the first format";
    EXPECT_EQ(0x44, s.modeInquiry[0]);
    EXPECT_EQ(0, s.modeInquiry[1]);
    EXPECT_EQ(0x20, s.modeInquiry[2]);
    EXPECT_EQ(0, s.modeInquiry[7]);
    EXPECT_EQ(0x1E, s.rateInquiry[0][1]);
    EXPECT_EQ(0x1F, s.rateInquiry[0][5]);
    EXPECT_EQ(0x78, s.rateInquiry[2][2]);
    EXPECT_EQ(0, s.rateInquiry[0][0]);
    EXPECT_EQ(0, s.rateInquiry[2][0]);
    EXPECT_EQ(252, s.rateInquiry[7][3]);
    EXPECT_EQ(4, s.frameRate) << "the inquiry keeps the frame rate";
    EXPECT_EQ(5, s.colourCode);
    EXPECT_EQ(320u, s.width);

    const std::vector<RegisterAccess> expected{
        Read(FormatInq(), 0xA0000000),   Read(ModeInq(0), 0x44000000),
        Read(ModeInq(2), 0x20000000),    Read(RateInq(0, 1), 0x1E000000),
        Read(RateInq(0, 5), 0x1F000000), Read(RateInq(2, 2), 0x78000000)};
    EXPECT_EQ(expected, bus.Trace());
}

struct UnitPositionCase {
    const char* name;
    std::uint32_t unitSize;
    bool registerPresent;
    std::uint32_t unitPosition;  // as read, when present
    std::uint32_t expected;
};

void PrintTo(const UnitPositionCase& c, std::ostream* out) {
    *out << c.name;
}

class UnitPositionTest : public InquiryTest,
                         public ::testing::WithParamInterface<UnitPositionCase> {};

TEST_P(UnitPositionTest, FallsBackToTheUnitSize) {
    const UnitPositionCase& c = GetParam();
    bus.SetRegister(FormatInq(), 0x01000000);
    bus.SetRegister(ModeInq(7), 0x80000000);
    Format7Block block = kMode0Block;
    block.unitSize = c.unitSize;
    block.unitPosition = c.unitPosition;
    AddFormat7Mode(0, block);
    if (!c.registerPresent) {
        bus.FailAlways(block.Base() + 0x04C, kRcode);
    }

    EXPECT_TRUE(camera.InquireAll());
    EXPECT_EQ(c.unitSize, camera.settings.format7UnitSize[0]);
    EXPECT_EQ(c.expected, camera.settings.format7UnitPosition[0]);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnitPositionTest,
    ::testing::Values(UnitPositionCase{"RegisterAbsent", 0x00080002, false, 0, 0x00080002},
                      UnitPositionCase{"HorizontalZero", 0x00080002, true, 0x00000004, 0x00080004},
                      UnitPositionCase{"VerticalZero", 0x00080002, true, 0x00100000, 0x00100002},
                      UnitPositionCase{"BothZero", 0x00080002, true, 0x00000000, 0x00080002},
                      UnitPositionCase{"OwnUnits", 0x00080002, true, 0x00040001, 0x00040001}),
    [](const ::testing::TestParamInfo<UnitPositionCase>& testInfo) {
        return std::string(testInfo.param.name);
    });

TEST_F(InquiryTest, OtherUnitPositionFailuresFailTheInquiry) {
    bus.SetRegister(FormatInq(), 0x01000000);
    bus.SetRegister(ModeInq(7), 0x80000000);
    AddFormat7Mode(0, kMode0Block);
    bus.FailAlways(kMode0Block.Base() + 0x04C, kNoAck);

    EXPECT_FALSE(camera.InquireAll());
    EXPECT_EQ(0x00080002u, camera.settings.format7UnitPosition[0])
        << "the unit size is stored provisionally before the failing read";
}

TEST_F(InquiryTest, FailedFormatReadChangesNothing) {
    bus.FailAlways(FormatInq(), kNoAck);
    const VideoSettings before = camera.settings;

    EXPECT_FALSE(camera.InquireAll());

    EXPECT_TRUE(camera.SettingsEqual(before));
    EXPECT_EQ(3u, bus.Trace().size()) << "three attempts, then the inquiry stops";
    EXPECT_EQ(1u, NewLogEntries());
}

TEST_F(InquiryTest, FailedModeReadKeepsEarlierEntriesNewAndLaterOnesOld) {
    bus.SetRegister(FormatInq(), 0xA1000000);  // formats 0, 2 and 7
    bus.SetRegister(ModeInq(0), 0x44000000);
    bus.FailAlways(ModeInq(2), kNoAck);
    camera.settings.mode = 6;

    EXPECT_FALSE(camera.InquireAll());

    const VideoSettings& s = camera.settings;
    EXPECT_EQ(0x44, s.modeInquiry[0]);
    EXPECT_EQ(0, s.modeInquiry[1]) << "not offered, before the failure";
    EXPECT_EQ(0xFF, s.modeInquiry[2]) << "the failed read stores nothing";
    EXPECT_EQ(0xFF, s.modeInquiry[3]);
    EXPECT_EQ(0xFF, s.modeInquiry[7]);
    EXPECT_EQ(6, s.mode);
    EXPECT_EQ(0x78, s.rateInquiry[0][1]) << "the rates are not inquired";
}

TEST_F(InquiryTest, FailedRateReadStopsTheInquiryWithTheRatesCleared) {
    bus.SetRegister(FormatInq(), 0x80000000);
    bus.SetRegister(ModeInq(0), 0xC0000000);
    bus.SetRegister(RateInq(0, 0), 0x10000000);
    bus.FailAlways(RateInq(0, 1), kNoAck);

    EXPECT_FALSE(camera.InquireAll());

    EXPECT_EQ(0x10, camera.settings.rateInquiry[0][0]);
    EXPECT_EQ(0, camera.settings.rateInquiry[0][1]);
    EXPECT_EQ(0, camera.settings.rateInquiry[7][0]) << "Format 7 rates are set after the loop";
}

TEST_F(InquiryTest, EachInquiryWaitsAfterEveryRead) {
    bus.SetRegister(FormatInq(), 0x80000000);
    bus.SetRegister(ModeInq(0), 0x80000000);
    bus.SetRegister(RateInq(0, 0), 0x10000000);

    ASSERT_TRUE(camera.InquireAll());
    EXPECT_EQ((std::vector<std::uint32_t>{20, 20, 20}), clock.Sleeps());
}

}  // namespace
}  // namespace camera_testing
