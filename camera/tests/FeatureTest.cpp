// Features: the generic setter and getter and the twelve pairs built on them.
#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

#include "camera/tests/CameraOnScriptedBus.h"

namespace camera_testing {
namespace {

constexpr std::uint32_t kBase = 0xF0F00000u;
constexpr std::uint32_t kNoAck = 11;

using FeatureTest = CameraOnScriptedBus;

TEST_F(FeatureTest, SetBrightnessClearsTheAbsoluteControlBit) {
    std::uint32_t control = 0x42000123;
    EXPECT_TRUE(camera.SetBrightness(control));
    EXPECT_EQ(0x02000123u, control) << "the caller sees the cleared bit";
    EXPECT_EQ(std::vector<RegisterAccess>{Write(kBase + 0x800, 0x02000123)}, bus.Trace());
    EXPECT_EQ(std::vector<std::uint32_t>{50}, clock.Sleeps());
}

TEST_F(FeatureTest, GetGainSwitchesAnAbsoluteModeCameraBackToPlainValues) {
    bus.SetRegister(kBase + 0x520, 0x8F000FFF);
    bus.SetRegister(kBase + 0x820, 0xC2000010);
    std::uint32_t inquiry = 0;
    std::uint32_t control = 0;

    EXPECT_TRUE(camera.GetGain(inquiry, control));

    EXPECT_EQ(0x8F000FFFu, inquiry);
    EXPECT_EQ(0x82000010u, control);
    const std::vector<RegisterAccess> expected{Read(kBase + 0x520, 0x8F000FFF),
                                               Read(kBase + 0x820, 0xC2000010),
                                               Write(kBase + 0x820, 0x82000010)};
    EXPECT_EQ(expected, bus.Trace());
}

TEST_F(FeatureTest, GetterSucceedsWhenOnlyTheWriteBackFails) {
    bus.SetRegister(kBase + 0x51C, 0x8F000FFF);
    bus.SetRegister(kBase + 0x81C, 0xC3000200);
    bus.FailAlways(kBase + 0x81C, kNoAck, ScriptedRegisterBus::Accesses::Writes);
    std::uint32_t inquiry = 0;
    std::uint32_t control = 0;

    EXPECT_TRUE(camera.GetShutter(inquiry, control));

    EXPECT_EQ(0x83000200u, control) << "the returned value is switched to plain values";
    const std::vector<RegisterAccess> expected{
        Read(kBase + 0x51C, 0x8F000FFF), Read(kBase + 0x81C, 0xC3000200),
        Write(kBase + 0x81C, 0x83000200, kNoAck), Write(kBase + 0x81C, 0x83000200, kNoAck),
        Write(kBase + 0x81C, 0x83000200, kNoAck)};
    EXPECT_EQ(expected, bus.Trace());
    EXPECT_EQ(1u, NewLogEntries());
}

TEST_F(FeatureTest, GetZoomOnACameraWithoutZoomStillSucceeds) {
    bus.SetRegister(kBase + 0x580, 0x00000000);
    bus.SetRegister(kBase + 0x880, 0x00000000);
    std::uint32_t inquiry = 0xFFFFFFFF;
    std::uint32_t control = 0xFFFFFFFF;
    EXPECT_TRUE(camera.GetZoom(inquiry, control));
    EXPECT_EQ(0u, inquiry & 0x80000000u) << "not present";
    EXPECT_EQ(0u, control);
    EXPECT_EQ(2u, bus.Trace().size()) << "no write back";
}

TEST_F(FeatureTest, FailedGetterLeavesTheValueOfTheFailedRegister) {
    bus.SetRegister(kBase + 0x500, 0x8F000FFF);
    bus.FailAlways(kBase + 0x800, kNoAck);
    std::uint32_t inquiry = 1;
    std::uint32_t control = 2;
    EXPECT_FALSE(camera.GetBrightness(inquiry, control));
    EXPECT_EQ(0x8F000FFFu, inquiry);
    EXPECT_EQ(2u, control);

    bus.FailAlways(kBase + 0x500, kNoAck);
    inquiry = 1;
    EXPECT_FALSE(camera.GetBrightness(inquiry, control));
    EXPECT_EQ(1u, inquiry);
    EXPECT_EQ(2u, control);
}

TEST_F(FeatureTest, FailedSetterReportsFailure) {
    bus.FailAlways(kBase + 0x80C, kNoAck);
    std::uint32_t control = 0x02123456;
    EXPECT_FALSE(camera.SetWhiteBalance(control));
    EXPECT_EQ(1u, NewLogEntries());
}

// Each pair reaches its own inquiry and control register.
struct FeaturePair {
    const char* name;
    bool (IidcCamera::*set)(std::uint32_t&);
    bool (IidcCamera::*get)(std::uint32_t&, std::uint32_t&);
    std::uint32_t inquiryOffset;
};

void PrintTo(const FeaturePair& c, std::ostream* out) {
    *out << c.name;
}

class FeaturePairTest : public CameraOnScriptedBus,
                        public ::testing::WithParamInterface<FeaturePair> {};

TEST_P(FeaturePairTest, UsesTheFeaturesRegisters) {
    const FeaturePair& pair = GetParam();
    const std::uint32_t inquiryAddress = kBase + pair.inquiryOffset;
    const std::uint32_t controlAddress = inquiryAddress + 0x300;
    bus.SetRegister(inquiryAddress, 0x83001FFF);

    std::uint32_t control = 0x02000345;
    EXPECT_TRUE((camera.*pair.set)(control));
    std::uint32_t inquiry = 0;
    std::uint32_t readBack = 0;
    EXPECT_TRUE((camera.*pair.get)(inquiry, readBack));

    EXPECT_EQ(0x83001FFFu, inquiry);
    EXPECT_EQ(0x02000345u, readBack);
    const std::vector<RegisterAccess> expected{Write(controlAddress, 0x02000345),
                                               Read(inquiryAddress, 0x83001FFF),
                                               Read(controlAddress, 0x02000345)};
    EXPECT_EQ(expected, bus.Trace());
}

INSTANTIATE_TEST_SUITE_P(
    Features, FeaturePairTest,
    ::testing::Values(
        FeaturePair{"Brightness", &IidcCamera::SetBrightness, &IidcCamera::GetBrightness, 0x500},
        FeaturePair{"AutoExposure", &IidcCamera::SetAutoExposure, &IidcCamera::GetAutoExposure,
                    0x504},
        FeaturePair{"Sharpness", &IidcCamera::SetSharpness, &IidcCamera::GetSharpness, 0x508},
        FeaturePair{"WhiteBalance", &IidcCamera::SetWhiteBalance, &IidcCamera::GetWhiteBalance,
                    0x50C},
        FeaturePair{"Hue", &IidcCamera::SetHue, &IidcCamera::GetHue, 0x510},
        FeaturePair{"Saturation", &IidcCamera::SetSaturation, &IidcCamera::GetSaturation, 0x514},
        FeaturePair{"Gamma", &IidcCamera::SetGamma, &IidcCamera::GetGamma, 0x518},
        FeaturePair{"Shutter", &IidcCamera::SetShutter, &IidcCamera::GetShutter, 0x51C},
        FeaturePair{"Gain", &IidcCamera::SetGain, &IidcCamera::GetGain, 0x520},
        FeaturePair{"Iris", &IidcCamera::SetIris, &IidcCamera::GetIris, 0x524},
        FeaturePair{"Focus", &IidcCamera::SetFocusFeature, &IidcCamera::GetFocusFeature, 0x528},
        FeaturePair{"Zoom", &IidcCamera::SetZoom, &IidcCamera::GetZoom, 0x580}),
    [](const ::testing::TestParamInfo<FeaturePair>& testInfo) {
        return std::string(testInfo.param.name);
    });

}  // namespace
}  // namespace camera_testing
