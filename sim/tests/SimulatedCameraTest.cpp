#include <gtest/gtest.h>

#include "sim/SimRegisters.h"
#include "sim/SimulatedCamera.h"

namespace sim {
namespace {

constexpr std::uint64_t kMs = 1000;  // the camera counts time in microseconds

class CameraFixture : public ::testing::Test {
protected:
    explicit CameraFixture(const CameraSpec& spec = ColourCamera()) : camera_(spec) {
        camera_.PowerOn(0);
    }

    std::uint32_t Base() const { return camera_.CommandBase(); }
    std::uint32_t Read(std::uint32_t offset, std::uint64_t at = 0) {
        std::uint32_t v = 0xDEADBEEF;
        const std::uint32_t status = camera_.Read(Base() + offset, at, &v);
        EXPECT_EQ(0u, status) << "reading offset 0x" << std::hex << offset;
        return v;
    }
    void Write(std::uint32_t offset, std::uint32_t value, std::uint64_t at = 0) {
        EXPECT_EQ(0u, camera_.Write(Base() + offset, value, at))
            << "writing offset 0x" << std::hex << offset;
    }
    std::uint32_t Format7Block(int mode) {
        return reg::kRegisterSpace + 4 * Read(reg::kVCsrInq7 + 4 * mode);
    }
    std::uint32_t ReadAt(std::uint32_t address, std::uint64_t at = 0) {
        std::uint32_t v = 0;
        EXPECT_EQ(0u, camera_.Read(address, at, &v)) << std::hex << address;
        return v;
    }

    SimulatedCamera camera_;
};

TEST_F(CameraFixture, InquiryRegistersDescribeTheCamera) {
    const CameraSpec spec = ColourCamera();
    // Formats 0, 1 and 7.
    EXPECT_EQ(0xC1000000u, Read(reg::kVFormatInq));
    EXPECT_EQ(std::uint32_t{spec.modeInquiry[0]} << 24, Read(reg::kVModeInq + 0));
    EXPECT_EQ(0xC0000000u, Read(reg::kVModeInq + 4 * 7));  // Format 7 modes 0 and 1
    EXPECT_EQ(std::uint32_t{spec.rateInquiry[0][5]} << 24, Read(reg::kVRateInq + 4 * 5));
    EXPECT_EQ(0u, Read(reg::kVCsrInq7 + 4 * 2));
    // All twelve features are present: FEATURE_HI_INQ bits 31..21, zoom in FEATURE_LO_INQ.
    EXPECT_EQ(0xFFE00000u, Read(reg::kFeatureHiInq) & 0xFFE00000u);
    EXPECT_EQ(0x80000000u, Read(reg::kFeatureLoInq));
    for (const auto& f : reg::kFeatures) {
        EXPECT_EQ(spec.features[static_cast<int>(f.feature)].inquiry, Read(f.inquiry)) << f.name;
        EXPECT_NE(0u, Read(f.inquiry + 0x300) & reg::kCtlPresent) << f.name;
    }
}

TEST_F(CameraFixture, UnknownAddressesAnswerWithAnRcodeError) {
    std::uint32_t v = 0;
    EXPECT_EQ(reg::kStatusRcode, camera_.Read(Base() + 0xF00, 0, &v));
    EXPECT_EQ(reg::kStatusRcode, camera_.Read(Base() + 2, 0, &v));  // not quadlet aligned
    EXPECT_EQ(reg::kStatusRcode, camera_.Read(0xF0000300, 0, &v));
    EXPECT_EQ(reg::kStatusRcode, camera_.Read(reg::kConfigRom + 4 * 255, 0, &v));
    EXPECT_EQ(reg::kStatusRcode, camera_.Write(reg::kConfigRom, 0, 0));
    EXPECT_EQ(reg::kStatusRcode, camera_.Write(Base() + 0x700, 0, 0));
    EXPECT_EQ(reg::kStatusOk, camera_.Write(reg::kStateClear, 0x80000000, 0));
}

TEST_F(CameraFixture, RomNamesTheCommandBaseAndUniqueId) {
    const CameraSpec spec = ColourCamera();
    EXPECT_EQ(static_cast<std::uint32_t>(spec.uniqueId >> 32), ReadAt(reg::kUniqueIdHigh));
    EXPECT_EQ(static_cast<std::uint32_t>(spec.uniqueId), ReadAt(reg::kUniqueIdLow));
}

TEST_F(CameraFixture, ManualValuesAreClampedToTheRange) {
    const std::uint32_t brightness = 0x800;
    Write(brightness, 0x02000FFF);  // 4095, above the maximum 255
    EXPECT_EQ(reg::kCtlPresent | reg::kCtlOn | 255u, Read(brightness));
    const std::uint32_t shutter = 0x81C;
    Write(shutter, 0x02000000);  // 0, below the minimum 1
    EXPECT_EQ(1u, Read(shutter) & reg::kValueMask);
}

TEST_F(CameraFixture, OnePushClearsItselfAfterAShortAdjustment) {
    const std::uint32_t wb = 0x80C;
    Write(wb, reg::kCtlOn | reg::kCtlOnePush | (100u << 12) | 100u, 1000 * kMs);
    EXPECT_NE(0u, Read(wb, 1000 * kMs + 10 * kMs) & reg::kCtlOnePush);
    const std::uint32_t done = Read(wb, 1000 * kMs + 400 * kMs);
    EXPECT_EQ(0u, done & reg::kCtlOnePush);
    EXPECT_EQ((511u << 12) | 511u, done & 0xFFFFFF) << "settles on the middle of the range";
}

TEST_F(CameraFixture, AutomaticModeMovesTheValueOverTime) {
    const std::uint32_t gain = 0x820;
    Write(gain, reg::kCtlOn | reg::kCtlAuto, 0);
    const std::uint32_t a = Read(gain, 100 * kMs);
    const std::uint32_t b = Read(gain, 1600 * kMs);
    EXPECT_NE(0u, a & reg::kCtlAuto);
    EXPECT_NE(a & reg::kValueMask, b & reg::kValueMask);
    EXPECT_LE(b & reg::kValueMask, 1023u);
    // Back to manual: the value stands still where it was.
    Write(gain, reg::kCtlOn, 2000 * kMs);
    EXPECT_EQ(Read(gain, 2000 * kMs), Read(gain, 5000 * kMs));
}

TEST_F(CameraFixture, AbsoluteBitStaysOnlyWhereOffered) {
    Write(0x820, reg::kCtlAbsolute | reg::kCtlOn | 10);  // gain offers absolute control
    EXPECT_NE(0u, Read(0x820) & reg::kCtlAbsolute);
    Write(0x808, reg::kCtlAbsolute | reg::kCtlOn | 3);  // sharpness does not
    EXPECT_EQ(0u, Read(0x808) & reg::kCtlAbsolute);
}

TEST_F(CameraFixture, VideoRegistersSelectTheStream) {
    Write(reg::kCurVFormat, 0u << 29);
    Write(reg::kCurVMode, 5u << 29);     // 640x480 Y-8
    Write(reg::kCurVFrmRate, 4u << 29);  // 30 fps
    Write(reg::kIsoChannel, (3u << 28) | (2u << 24));
    EXPECT_EQ(5u << 29, Read(reg::kCurVMode));
    EXPECT_EQ((3u << 28) | (2u << 24), Read(reg::kIsoChannel));
    EXPECT_FALSE(camera_.NextFrameDue());
    Write(reg::kIsoEn, 0x80000000, 0);
    EXPECT_EQ(0x80000000u, Read(reg::kIsoEn));
    ASSERT_TRUE(camera_.NextFrameDue());
    EXPECT_EQ(33333u, *camera_.NextFrameDue());
    EXPECT_FALSE(camera_.TakeFrame(30 * kMs));
    const auto frame = camera_.TakeFrame(34 * kMs);
    ASSERT_TRUE(frame);
    EXPECT_EQ(640u, frame->format.width);
    EXPECT_EQ(480u, frame->format.height);
    EXPECT_EQ(reg::kY8, frame->format.coding);
    EXPECT_EQ(3, frame->format.channel);
    EXPECT_EQ(0u, frame->number);
    EXPECT_EQ(66666u, *camera_.NextFrameDue());
    Write(reg::kIsoEn, 0);
    EXPECT_FALSE(camera_.NextFrameDue());
}

TEST_F(CameraFixture, ModesTheCameraDoesNotOfferSendNothing) {
    Write(reg::kCurVFormat, 2u << 29);  // not offered by the colour camera
    Write(reg::kIsoEn, 0x80000000);
    EXPECT_FALSE(camera_.NextFrameDue());
}

TEST_F(CameraFixture, OneShotSendsOneFrameAndClears) {
    Write(reg::kCurVFormat, 0);
    Write(reg::kCurVMode, 5u << 29);
    Write(reg::kCurVFrmRate, 3u << 29);
    Write(reg::kOneShot, 0x80000000, 0);
    EXPECT_EQ(0x80000000u, Read(reg::kOneShot));
    ASSERT_TRUE(camera_.TakeFrame(100 * kMs));
    EXPECT_EQ(0u, Read(reg::kOneShot));
    EXPECT_FALSE(camera_.NextFrameDue());
}

TEST_F(CameraFixture, ExternalTriggerSendsAFramePerPulse) {
    Write(reg::kCurVFormat, 0);
    Write(reg::kCurVMode, 5u << 29);
    Write(reg::kCurVFrmRate, 4u << 29);
    Write(reg::kTriggerMode, 0x82000000);
    Write(reg::kIsoEn, 0x80000000, 0);
    EXPECT_FALSE(camera_.NextFrameDue());
    camera_.Trigger(500 * kMs);
    ASSERT_TRUE(camera_.TakeFrame(502 * kMs));
    EXPECT_FALSE(camera_.NextFrameDue());
}

TEST_F(CameraFixture, Format7ValueSettingHandshake) {
    const std::uint32_t block = Format7Block(0);
    EXPECT_EQ((1024u << 16) | 768u, ReadAt(block + reg::kF7MaxImageSizeInq));
    EXPECT_EQ((8u << 16) | 2u, ReadAt(block + reg::kF7UnitSizeInq));
    EXPECT_EQ((4u << 16) | 2u, ReadAt(block + reg::kF7UnitPositionInq));
    EXPECT_EQ(0xFE000000u, ReadAt(block + reg::kF7ColorCodingInq));
    EXPECT_EQ(0u, camera_.Write(block + reg::kF7ColorCodingId, 4u << 24, 0));  // RGB-8
    EXPECT_EQ(0u, camera_.Write(block + reg::kF7ImagePosition, (8u << 16) | 6u, 0));
    EXPECT_EQ(0u, camera_.Write(block + reg::kF7ImageSize, (648u << 16) | 482u, 0));
    EXPECT_EQ(0u, camera_.Write(block + reg::kF7ValueSetting, reg::kVsSetting1, 100 * kMs));
    EXPECT_EQ(reg::kVsPresence | reg::kVsSetting1, ReadAt(block + reg::kF7ValueSetting, 105 * kMs));
    EXPECT_EQ(reg::kVsPresence, ReadAt(block + reg::kF7ValueSetting, 200 * kMs));
    EXPECT_EQ(648u * 482u * 3u, ReadAt(block + reg::kF7TotalBytesLoInq));
    EXPECT_EQ(648u * 482u, ReadAt(block + reg::kF7PixelNumberInq));
    EXPECT_EQ((8u << 16) | 4096u, ReadAt(block + reg::kF7PacketParaInq));
    const std::uint32_t bpp = ReadAt(block + reg::kF7BytePerPacket);
    const std::uint32_t recommended = bpp & 0xFFFF;
    EXPECT_NE(0u, recommended);
    EXPECT_EQ(0u, recommended % 8);
    // Program 2048 bytes per packet; the frame period follows the packet count.
    EXPECT_EQ(0u, camera_.Write(block + reg::kF7BytePerPacket, (2048u << 16) | 2048u, 0));
    EXPECT_EQ(2048u, ReadAt(block + reg::kF7BytePerPacket) >> 16);
    const std::uint32_t packets = (648u * 482u * 3u + 2047u) / 2048u;
    EXPECT_EQ(packets, ReadAt(block + reg::kF7PacketPerFrameInq));
    Write(reg::kCurVFormat, 7u << 29);
    Write(reg::kCurVMode, 0);
    const auto format = camera_.CurrentFormat();
    ASSERT_TRUE(format);
    EXPECT_EQ(648u, format->width);
    EXPECT_EQ(reg::kRgb8, format->coding);
    EXPECT_EQ(packets * 125u, format->periodMicros);
}

TEST_F(CameraFixture, Format7ErrorFlags) {
    const std::uint32_t block = Format7Block(0);
    // A size that is no multiple of the unit, and a region past the maximum.
    EXPECT_EQ(0u, camera_.Write(block + reg::kF7ImageSize, (641u << 16) | 480u, 0));
    EXPECT_EQ(0u, camera_.Write(block + reg::kF7ValueSetting, reg::kVsSetting1, 0));
    EXPECT_NE(0u, ReadAt(block + reg::kF7ValueSetting, 50 * kMs) & reg::kVsErrorFlag1);
    EXPECT_EQ(0u, camera_.Write(block + reg::kF7ImageSize, (1024u << 16) | 768u, 0));
    EXPECT_EQ(0u, camera_.Write(block + reg::kF7ImagePosition, (4u << 16) | 0u, 0));
    EXPECT_EQ(0u, camera_.Write(block + reg::kF7ValueSetting, reg::kVsSetting1, 0));
    EXPECT_NE(0u, ReadAt(block + reg::kF7ValueSetting, 50 * kMs) & reg::kVsErrorFlag1);
    EXPECT_EQ(0u, camera_.Write(block + reg::kF7ImagePosition, 0, 0));
    EXPECT_EQ(0u, camera_.Write(block + reg::kF7ValueSetting, reg::kVsSetting1, 0));
    EXPECT_EQ(0u, ReadAt(block + reg::kF7ValueSetting, 50 * kMs) & reg::kVsErrorFlag1);
    // A payload that is no multiple of the packet unit is refused and flagged.
    const std::uint32_t before = ReadAt(block + reg::kF7BytePerPacket) >> 16;
    EXPECT_EQ(0u, camera_.Write(block + reg::kF7BytePerPacket, (1001u << 16) | 1001u, 0));
    EXPECT_NE(0u, ReadAt(block + reg::kF7ValueSetting, 50 * kMs) & reg::kVsErrorFlag2);
    EXPECT_EQ(before, ReadAt(block + reg::kF7BytePerPacket) >> 16);
}

TEST_F(CameraFixture, Format7ModeWithoutOptionalRegisters) {
    const std::uint32_t block = Format7Block(1);
    std::uint32_t v = 0;
    EXPECT_EQ(reg::kStatusRcode, camera_.Read(block + reg::kF7UnitPositionInq, 0, &v));
    EXPECT_EQ(reg::kStatusRcode, camera_.Read(block + reg::kF7ValueSetting, 0, &v));
    EXPECT_EQ(reg::kStatusRcode, camera_.Write(block + reg::kF7ValueSetting, reg::kVsSetting1, 0));
}

TEST(SimulatedCamera, RegistersReadFromARealCameraWin) {
    CameraSpec spec = MonochromeCamera();
    spec.registers[reg::kVFormatInq] = 0x80000000;  // Format 0 only
    spec.registers[0x500] = 0x81000FFF;
    SimulatedCamera camera(spec);
    camera.PowerOn(0);
    std::uint32_t v = 0;
    ASSERT_EQ(0u, camera.Read(spec.commandBase + reg::kVFormatInq, 0, &v));
    EXPECT_EQ(0x80000000u, v);
    // The camera behaves by the values it reports: brightness now reaches 4095.
    ASSERT_EQ(0u, camera.Write(spec.commandBase + 0x800, 0x02000FFF, 0));
    ASSERT_EQ(0u, camera.Read(spec.commandBase + 0x800, 0, &v));
    EXPECT_EQ(0xFFFu, v & 0xFFF);
}

TEST(SimulatedCamera, RawRomIsServedExactlyAndItsBaseUsed) {
    CameraSpec spec = MonochromeCamera();
    // Odd bytes in the text, a CRC that does not match.
    spec.rom = {0x0404FFFF, 0x31333934, 0x20FF5000, 0x00112233, 0x44556677, 0x00010000, 0xD1000001,
                0x00030000, 0x12000000, 0x13000000, 0xD4000001, 0x00010000, 0x40100000};
    spec.commandBase = 0xF0400000;
    SimulatedCamera camera(spec);
    camera.PowerOn(0);
    for (std::size_t i = 0; i < spec.rom.size(); ++i) {
        std::uint32_t v = 0;
        ASSERT_EQ(0u, camera.Read(reg::kConfigRom + 4 * static_cast<std::uint32_t>(i), 0, &v));
        EXPECT_EQ(spec.rom[i], v) << "quadlet " << i;
    }
    std::uint32_t v = 0;
    EXPECT_EQ(0u, camera.Read(0xF0400000 + reg::kVFormatInq, 0, &v));
}

}  // namespace
}  // namespace sim
