// Starting and stopping the camera's isochronous stream.
#include <gtest/gtest.h>

#include <vector>

#include "camera/tests/CameraOnScriptedBus.h"

namespace camera_testing {
namespace {

constexpr std::uint32_t kBase = 0xF0F00000u;
constexpr std::uint32_t kNoAck = 11;
constexpr std::uint32_t kFrameRate = kBase + 0x600;
constexpr std::uint32_t kMode = kBase + 0x604;
constexpr std::uint32_t kFormat = kBase + 0x608;
constexpr std::uint32_t kIsoChannel = kBase + 0x60C;
constexpr std::uint32_t kIsoEn = kBase + 0x614;
constexpr std::uint32_t kOneShot = kBase + 0x61C;
constexpr std::uint32_t kTrigger = kBase + 0x830;

class VideoStreamTest : public CameraOnScriptedBus {
protected:
    void SetUp() override {
        CameraOnScriptedBus::SetUp();
        camera.settings.format = 1;
        camera.settings.mode = 5;
        camera.settings.frameRate = 3;
        camera.settings.isoChannel = 2;
        camera.settings.speed = 1;
    }
};

TEST_F(VideoStreamTest, StartContinuousProgramsTheModeThenEnables) {
    camera.settings.triggerMode = 1;

    EXPECT_TRUE(camera.StartContinuous());

    const std::vector<RegisterAccess> expected{
        Write(kIsoChannel, 0x21000000), Write(kFrameRate, 0x60000000), Write(kMode, 0xA0000000),
        Write(kFormat, 0x20000000),     Write(kTrigger, 0x82000000),   Write(kIsoEn, 0x80000000)};
    EXPECT_EQ(expected, bus.Trace());
    EXPECT_EQ((std::vector<std::uint32_t>{50, 50, 50, 50, 50, 100, 50}), clock.Sleeps());
}

TEST_F(VideoStreamTest, OnlyTheLowFourBitsOfTheChannelReachTheCamera) {
    camera.settings.isoChannel = 17;
    camera.settings.speed = 2;
    EXPECT_TRUE(camera.StartContinuous());
    ASSERT_FALSE(bus.Trace().empty());
    EXPECT_EQ(Write(kIsoChannel, 0x12000000), bus.Trace().front());
}

TEST_F(VideoStreamTest, StartContinuousStopsWhenTheChannelIsRefused) {
    bus.FailAlways(kIsoChannel, kNoAck);
    EXPECT_FALSE(camera.StartContinuous());
    EXPECT_EQ(3u, bus.Trace().size()) << "nothing after the three channel attempts";
    EXPECT_FALSE(bus.HasRegister(kIsoEn));
}

TEST_F(VideoStreamTest, StartContinuousEnablesEvenWhenLaterWritesFail) {
    bus.FailAlways(kMode, kNoAck);
    bus.FailAlways(kTrigger, kNoAck);
    EXPECT_TRUE(camera.StartContinuous());
    EXPECT_EQ(0x80000000u, bus.Register(kIsoEn));
    EXPECT_EQ(2u, NewLogEntries());
}

TEST_F(VideoStreamTest, StartOneShotProgramsTriggerFirstAndRequestsOneImage) {
    EXPECT_TRUE(camera.StartOneShot());

    const std::vector<RegisterAccess> expected{
        Write(kTrigger, 0x00000000), Write(kFrameRate, 0x60000000),  Write(kMode, 0xA0000000),
        Write(kFormat, 0x20000000),  Write(kIsoChannel, 0x21000000), Write(kOneShot, 0x80000000)};
    EXPECT_EQ(expected, bus.Trace());
    EXPECT_EQ((std::vector<std::uint32_t>{50, 50, 50, 50, 50, 50}), clock.Sleeps())
        << "no pause before the one-shot request";
}

TEST_F(VideoStreamTest, StartOneShotStopsWhenTheTriggerIsRefused) {
    bus.FailAlways(kTrigger, kNoAck);
    EXPECT_FALSE(camera.StartOneShot());
    EXPECT_EQ(3u, bus.Trace().size());
}

TEST_F(VideoStreamTest, StopTransmissionClearsIsoEnable) {
    EXPECT_TRUE(camera.StopTransmission());
    EXPECT_EQ(std::vector<RegisterAccess>{Write(kIsoEn, 0)}, bus.Trace());

    bus.FailAlways(kIsoEn, kNoAck);
    EXPECT_FALSE(camera.StopTransmission());
}

}  // namespace
}  // namespace camera_testing
