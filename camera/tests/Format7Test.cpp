// Format 7 set-up: checks, rounding, bounds, the VALUE_SETTING handshake, the
// payload choice and the packet count.
#include <gtest/gtest.h>

#include <ostream>

#include <optional>
#include <string>
#include <vector>

#include "camera/tests/CameraOnScriptedBus.h"

namespace camera_testing {
namespace {

constexpr std::uint32_t kBase = 0xF0F00000u;
constexpr std::uint32_t kRcode = 15;
constexpr std::uint32_t kNoAck = 11;
constexpr std::uint32_t kIsoChannel = kBase + 0x60C;
constexpr std::uint32_t kBlock = 0xF0F08000u;  // mode 0's register block
constexpr std::uint32_t kPosition = kBlock + 0x008;
constexpr std::uint32_t kSize = kBlock + 0x00C;
constexpr std::uint32_t kColourId = kBlock + 0x010;
constexpr std::uint32_t kTotalBytes = kBlock + 0x03C;
constexpr std::uint32_t kPacketPara = kBlock + 0x040;
constexpr std::uint32_t kBytePerPacket = kBlock + 0x044;
constexpr std::uint32_t kValueSetting = kBlock + 0x07C;

// A camera whose Format 7 mode 0 has size and position units of 8 x 2, a
// maximum of 1024 x 768 and colour codes Y-8 and Y-16, as the inquiry leaves it.
class Format7Test : public CameraOnScriptedBus {
protected:
    void SetUp() override {
        CameraOnScriptedBus::SetUp();
        VideoSettings& s = camera.settings;
        s.formatInquiry = 0x81;
        s.modeInquiry[7] = 0x80;
        s.format7CsrOffset[0] = kBlock - 0xF0000000u;
        s.format7MaxSize[0] = (1024u << 16) | 768u;
        s.format7UnitSize[0] = 0x00080002;
        s.format7UnitPosition[0] = 0x00080002;
        s.format7ColourInquiry[0] = 0x84;
        s.speed = 2;
        bus.SetRegister(kPacketPara, 0x00040FA0);     // unit 4, maximum 4000
        bus.SetRegister(kBytePerPacket, 0x03E80400);  // current 1000, recommended 1024
        bus.SetRegister(kTotalBytes, 307200);
    }

    static Format7Request Request(std::uint32_t left, std::uint32_t top, std::uint32_t width,
                                  std::uint32_t height) {
        Format7Request request{};
        request.mode = 0;
        request.left = left;
        request.top = top;
        request.width = width;
        request.height = height;
        request.colourCode = 0;
        return request;
    }
};

TEST_F(Format7Test, RoundsTheRegionThenProgramsItInOrder) {
    bus.FailAlways(kValueSetting, kRcode, ScriptedRegisterBus::Accesses::Reads);
    Format7Request request = Request(13, 7, 641, 481);
    request.speed = 0;  // the new speed is not the camera's business yet

    EXPECT_TRUE(camera.SetupFormat7(request));

    EXPECT_EQ(8u, request.left);
    EXPECT_EQ(6u, request.top);
    EXPECT_EQ(648u, request.width);
    EXPECT_EQ(482u, request.height);
    EXPECT_EQ(1024u, request.bytesPerPacket) << "the camera's recommendation";
    EXPECT_EQ(300u, request.packetsPerFrame);
    EXPECT_EQ(0x00040FA0u, request.packetParameters);

    // The camera does not implement VALUE_SETTING: its reads answer code 15.
    const std::vector<RegisterAccess> expected{
        Write(kIsoChannel, 0x02000000),    Write(kColourId, 0x00000000),
        Write(kPosition, (8u << 16) | 6u), Write(kSize, (648u << 16) | 482u),
        Write(kValueSetting, 0x40000000),  Read(kValueSetting, 0, kRcode),
        Read(kValueSetting, 0, kRcode),    Read(kValueSetting, 0, kRcode),
        Read(kPacketPara, 0x00040FA0),     Read(kBytePerPacket, 0x03E80400),
        Write(kBytePerPacket, 0x04000400), Read(kTotalBytes, 307200)};
    EXPECT_EQ(expected, bus.Trace());
    EXPECT_EQ((std::vector<std::uint32_t>{50, 50, 50, 50, 50, 5, 5, 5, 50, 20, 20, 50, 20}),
              clock.Sleeps());
}

TEST_F(Format7Test, ProgramsTheColourCodeAndTheCamerasOwnSpeed) {
    camera.settings.speed = 1;
    camera.settings.isoChannel = 3;
    Format7Request request = Request(0, 0, 640, 480);
    request.colourCode = 5;
    request.speed = 2;

    ASSERT_TRUE(camera.SetupFormat7(request));

    EXPECT_EQ(Write(kIsoChannel, 0x01000000), bus.Trace()[0]) << "channel 0, the current speed";
    EXPECT_EQ(Write(kColourId, 0x05000000), bus.Trace()[1]);
}

TEST_F(Format7Test, RegionOutsideTheMaximumFailsWithTheRoundedValuesAndWritesNothing) {
    Format7Request request = Request(400, 7, 641, 481);
    EXPECT_FALSE(camera.SetupFormat7(request));
    EXPECT_EQ(400u, request.left);
    EXPECT_EQ(648u, request.width);
    EXPECT_TRUE(bus.Trace().empty());

    request = Request(0, 300, 640, 469);  // 300 + 470 > 768
    EXPECT_FALSE(camera.SetupFormat7(request));
    EXPECT_EQ(470u, request.height);
    EXPECT_TRUE(bus.Trace().empty());

    request = Request(384, 288, 640, 480);  // exactly at the maximum
    EXPECT_TRUE(camera.SetupFormat7(request));
}

TEST_F(Format7Test, RegionsNearTheLimitOfThirtyTwoBitsDoNotWrapIntoRange) {
    Format7Request request = Request(0xFFFFFFF8u, 0, 16, 2);
    EXPECT_FALSE(camera.SetupFormat7(request));
    request = Request(0, 0, 0xFFFFFFFFu, 2);
    EXPECT_FALSE(camera.SetupFormat7(request));
    request = Request(0, 0xFFFFFFFEu, 8, 4);
    EXPECT_FALSE(camera.SetupFormat7(request));
    EXPECT_TRUE(bus.Trace().empty());
}

struct PreconditionCase {
    const char* name;
    void (*change)(VideoSettings&, Format7Request&);
};

void PrintTo(const PreconditionCase& c, std::ostream* out) {
    *out << c.name;
}

class Format7PreconditionTest : public Format7Test,
                                public ::testing::WithParamInterface<PreconditionCase> {};

TEST_P(Format7PreconditionTest, RefusesWithoutWriting) {
    Format7Request request = Request(0, 0, 640, 480);
    GetParam().change(camera.settings, request);
    EXPECT_FALSE(camera.SetupFormat7(request));
    EXPECT_TRUE(bus.Trace().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Format7PreconditionTest,
    ::testing::Values(
        PreconditionCase{"Format7NotOffered",
                         [](VideoSettings& s, Format7Request&) { s.formatInquiry = 0x80; }},
        PreconditionCase{"ModeNotOffered", [](VideoSettings&, Format7Request& r) { r.mode = 1; }},
        PreconditionCase{"ModeBeyondSeven",
                         [](VideoSettings& s, Format7Request& r) {
                             s.modeInquiry[7] = 0xFF;
                             r.mode = 8;
                         }},
        PreconditionCase{"ZeroWidth", [](VideoSettings&, Format7Request& r) { r.width = 0; }},
        PreconditionCase{"ZeroHeight", [](VideoSettings&, Format7Request& r) { r.height = 0; }},
        PreconditionCase{
            "NoHorizontalPositionUnit",
            [](VideoSettings& s, Format7Request&) { s.format7UnitPosition[0] = 0x00000002; }},
        PreconditionCase{
            "NoVerticalPositionUnit",
            [](VideoSettings& s, Format7Request&) { s.format7UnitPosition[0] = 0x00080000; }},
        PreconditionCase{"NoWidthUnit", [](VideoSettings& s,
                                           Format7Request&) { s.format7UnitSize[0] = 0x00000002; }},
        PreconditionCase{
            "NoHeightUnit",
            [](VideoSettings& s, Format7Request&) { s.format7UnitSize[0] = 0x00080000; }},
        PreconditionCase{"ColourNotOffered",
                         [](VideoSettings&, Format7Request& r) { r.colourCode = 2; }},
        PreconditionCase{"ColourBeyondSeven",
                         [](VideoSettings& s, Format7Request& r) {
                             s.format7ColourInquiry[0] = 0xFF;
                             r.colourCode = 8;
                         }}),
    [](const ::testing::TestParamInfo<PreconditionCase>& testInfo) {
        return std::string(testInfo.param.name);
    });

struct PayloadCase {
    const char* name;
    std::uint32_t requested;
    std::uint32_t bytePerPacket;  // current << 16 | recommended
    std::uint32_t packetPara;     // unit << 16 | maximum
    std::uint32_t width;
    std::optional<std::uint32_t> chosen;  // none: SetupFormat7 fails
};

void PrintTo(const PayloadCase& c, std::ostream* out) {
    *out << c.name;
}

class Format7PayloadTest : public Format7Test, public ::testing::WithParamInterface<PayloadCase> {};

TEST_P(Format7PayloadTest, ChoosesOrKeepsThePayload) {
    const PayloadCase& c = GetParam();
    camera.settings.format7MaxSize[0] = (4096u << 16) | 768u;
    bus.SetRegister(kBytePerPacket, c.bytePerPacket);
    bus.SetRegister(kPacketPara, c.packetPara);
    Format7Request request = Request(0, 0, c.width, 480);
    request.bytesPerPacket = c.requested;

    const bool ok = camera.SetupFormat7(request);

    ASSERT_EQ(c.chosen.has_value(), ok);
    if (c.chosen) {
        EXPECT_EQ(*c.chosen, request.bytesPerPacket);
        EXPECT_EQ((*c.chosen << 16) | *c.chosen, bus.Register(kBytePerPacket));
    } else {
        EXPECT_EQ(c.bytePerPacket, bus.Register(kBytePerPacket)) << "no payload written";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Format7PayloadTest,
    ::testing::Values(
        PayloadCase{"CallersPayloadUnchecked", 1001, 0x03E80400, 0x00040FA0, 640, 1001},
        PayloadCase{"Recommended", 0, 0x03E80200, 0x00040FA0, 640, 512},
        PayloadCase{"MaximumWithoutRecommendation", 0, 0x03E80000, 0x00040FA0, 640, 4000},
        PayloadCase{"WholeCurrentPayloadsPerLine", 0, 0x03E80000, 0x00040000, 2500, 2000},
        PayloadCase{"NoCurrentPayload", 0, 0x00000000, 0x00040000, 2500, std::nullopt},
        PayloadCase{"LineNarrowerThanCurrentPayload", 0, 0x03E80000, 0x00040000, 640, std::nullopt},
        PayloadCase{"PayloadBeyondSixteenBits", 70000, 0x03E80400, 0x00040FA0, 640, std::nullopt}),
    [](const ::testing::TestParamInfo<PayloadCase>& testInfo) {
        return std::string(testInfo.param.name);
    });

struct PacketCountCase {
    std::uint32_t totalBytes;
    std::uint32_t payload;
    std::uint32_t packets;
};

void PrintTo(const PacketCountCase& c, std::ostream* out) {
    *out << c.totalBytes << " bytes, payload " << c.payload;
}

class Format7PacketCountTest : public Format7Test,
                               public ::testing::WithParamInterface<PacketCountCase> {};

TEST_P(Format7PacketCountTest, RoundsUpToWholePackets) {
    const PacketCountCase& c = GetParam();
    bus.SetRegister(kTotalBytes, c.totalBytes);
    Format7Request request = Request(0, 0, 640, 480);
    request.bytesPerPacket = c.payload;
    ASSERT_TRUE(camera.SetupFormat7(request));
    EXPECT_EQ(c.packets, request.packetsPerFrame);
}

INSTANTIATE_TEST_SUITE_P(Cases, Format7PacketCountTest,
                         ::testing::Values(PacketCountCase{307200, 1000, 308},
                                           PacketCountCase{307200, 1024, 300},
                                           PacketCountCase{1, 1024, 1},
                                           PacketCountCase{1025, 1024, 2}),
                         [](const ::testing::TestParamInfo<PacketCountCase>& testInfo) {
                             return "Bytes" + std::to_string(testInfo.param.totalBytes) +
                                    "_Payload" + std::to_string(testInfo.param.payload);
                         });

TEST_F(Format7Test, CameraReportingNoImageBytesFails) {
    bus.SetRegister(kTotalBytes, 0);
    Format7Request request = Request(0, 0, 640, 480);
    EXPECT_FALSE(camera.SetupFormat7(request));
}

// VALUE_SETTING: the camera reports when it has taken the new values.
using Format7ValueSettingTest = Format7Test;

std::size_t CountReads(const std::vector<RegisterAccess>& trace, std::uint32_t address) {
    std::size_t n = 0;
    for (const RegisterAccess& access : trace) {
        n += access.kind == RegisterAccess::Kind::Read && access.address == address;
    }
    return n;
}

TEST_F(Format7ValueSettingTest, PresenceClearMeansAFixedPause) {
    bus.SetRegister(kValueSetting, 0);
    bus.QueueReads(kValueSetting, {0x00000000});
    Format7Request request = Request(0, 0, 640, 480);
    ASSERT_TRUE(camera.SetupFormat7(request));
    EXPECT_EQ(1u, CountReads(bus.Trace(), kValueSetting));
    const std::vector<std::uint32_t> sleeps = clock.Sleeps();
    ASSERT_GE(sleeps.size(), 7u);
    EXPECT_EQ(20u, sleeps[5]) << "after the read";
    EXPECT_EQ(50u, sleeps[6]) << "in place of polling";
}

TEST_F(Format7ValueSettingTest, PollsUntilTheCameraClearsSetting1) {
    bus.QueueReads(kValueSetting, {0xC0000000, 0xC0000000, 0xC0000000, 0x80000000});
    Format7Request request = Request(0, 0, 640, 480);
    ASSERT_TRUE(camera.SetupFormat7(request));
    EXPECT_EQ(4u, CountReads(bus.Trace(), kValueSetting));
    EXPECT_EQ(0u, NewLogEntries());
    const std::vector<std::uint32_t> sleeps = clock.Sleeps();
    EXPECT_EQ((std::vector<std::uint32_t>{50, 50, 50, 50, 50, 20, 20, 20, 20, 20, 20, 50, 20}),
              sleeps)
        << "no fixed pause after a settled handshake";
}

TEST_F(Format7ValueSettingTest, AlreadySettledNeedsNoSecondRead) {
    bus.QueueReads(kValueSetting, {0x80000000});
    Format7Request request = Request(0, 0, 640, 480);
    ASSERT_TRUE(camera.SetupFormat7(request));
    EXPECT_EQ(1u, CountReads(bus.Trace(), kValueSetting));
}

TEST_F(Format7ValueSettingTest, NeverSettlingFailsAfterAHundredFurtherReads) {
    bus.QueueReads(kValueSetting, std::vector<std::uint32_t>(200, 0xC0000000));
    Format7Request request = Request(0, 0, 640, 480);
    EXPECT_FALSE(camera.SetupFormat7(request));
    EXPECT_EQ(101u, CountReads(bus.Trace(), kValueSetting));
    EXPECT_EQ(0u, CountReads(bus.Trace(), kPacketPara));
    EXPECT_EQ(0u, NewLogEntries());
}

TEST_F(Format7ValueSettingTest, SettlingOnTheLastPollSucceeds) {
    std::vector<std::uint32_t> reads(100, 0xC0000000);
    reads.push_back(0x80000000);
    bus.QueueReads(kValueSetting, reads);
    Format7Request request = Request(0, 0, 640, 480);
    EXPECT_TRUE(camera.SetupFormat7(request));
    EXPECT_EQ(101u, CountReads(bus.Trace(), kValueSetting));
}

TEST_F(Format7ValueSettingTest, ErrorFlagsFail) {
    for (const std::uint32_t settled : {0x80800000u, 0x80400000u, 0x80C00000u}) {
        bus.QueueReads(kValueSetting, {0xC0000000, settled});
        Format7Request request = Request(0, 0, 640, 480);
        EXPECT_FALSE(camera.SetupFormat7(request)) << std::hex << settled;
        EXPECT_EQ(0u, CountReads(bus.Trace(), kPacketPara));
        bus.ClearTrace();
    }
}

TEST_F(Format7ValueSettingTest, ErrorFlagsWithoutPresenceAreIgnored) {
    bus.QueueReads(kValueSetting, {0x00C00000});
    Format7Request request = Request(0, 0, 640, 480);
    EXPECT_TRUE(camera.SetupFormat7(request));
}

TEST_F(Format7ValueSettingTest, CameraRefusingTheWriteAsWellGetsTheFixedPause) {
    bus.FailAlways(kValueSetting, kRcode);
    Format7Request request = Request(0, 0, 640, 480);
    EXPECT_TRUE(camera.SetupFormat7(request));
    EXPECT_EQ(3u, CountReads(bus.Trace(), kValueSetting));
    const std::vector<std::uint32_t> sleeps = clock.Sleeps();
    ASSERT_GE(sleeps.size(), 11u);
    EXPECT_EQ((std::vector<std::uint32_t>{5, 5, 5, 5, 5, 5, 50}),
              std::vector<std::uint32_t>(sleeps.begin() + 4, sleeps.begin() + 11));
}

TEST_F(Format7ValueSettingTest, FailuresOtherThanAMissingRegisterFail) {
    bus.FailAlways(kValueSetting, kNoAck, ScriptedRegisterBus::Accesses::Reads);
    Format7Request request = Request(0, 0, 640, 480);
    EXPECT_FALSE(camera.SetupFormat7(request));
    EXPECT_EQ(3u, CountReads(bus.Trace(), kValueSetting));
    EXPECT_EQ(0u, CountReads(bus.Trace(), kPacketPara));
}

TEST_F(Format7ValueSettingTest, FailedPollFails) {
    bus.QueueReads(kValueSetting, {0xC0000000});
    for (int i = 0; i < 3; ++i) {
        bus.QueueReadFailure(kValueSetting, kRcode);
    }
    bus.SetRegister(kValueSetting, 0x80000000);
    Format7Request request = Request(0, 0, 640, 480);
    EXPECT_FALSE(camera.SetupFormat7(request)) << "code 15 is tolerated only on the first read";
    EXPECT_EQ(4u, CountReads(bus.Trace(), kValueSetting));
}

// Every step after the checks stops the set-up at its failure.
struct FailingStep {
    const char* name;
    std::uint32_t address;
    ScriptedRegisterBus::Accesses which;
};

void PrintTo(const FailingStep& c, std::ostream* out) {
    *out << c.name;
}

class Format7FailingStepTest : public Format7Test,
                               public ::testing::WithParamInterface<FailingStep> {};

TEST_P(Format7FailingStepTest, StopsAtTheFailedAccess) {
    const FailingStep& step = GetParam();
    bus.SetRegister(kValueSetting, 0x80000000);
    bus.FailAlways(step.address, kNoAck, step.which);
    Format7Request request = Request(0, 0, 640, 480);

    EXPECT_FALSE(camera.SetupFormat7(request));

    const std::vector<RegisterAccess>& trace = bus.Trace();
    ASSERT_GE(trace.size(), 3u);
    for (std::size_t i = trace.size() - 3; i < trace.size(); ++i) {
        EXPECT_EQ(step.address, trace[i].address) << "access " << i;
        EXPECT_EQ(kNoAck, trace[i].status) << "access " << i;
    }
    EXPECT_EQ(1u, NewLogEntries());
}

using Which = ScriptedRegisterBus::Accesses;
INSTANTIATE_TEST_SUITE_P(
    Steps, Format7FailingStepTest,
    ::testing::Values(FailingStep{"IsoChannel", kIsoChannel, Which::All},
                      FailingStep{"ColourCodingId", kColourId, Which::All},
                      FailingStep{"ImagePosition", kPosition, Which::All},
                      FailingStep{"ImageSize", kSize, Which::All},
                      FailingStep{"ValueSettingWrite", kValueSetting, Which::Writes},
                      FailingStep{"PacketPara", kPacketPara, Which::All},
                      FailingStep{"BytePerPacketRead", kBytePerPacket, Which::Reads},
                      FailingStep{"BytePerPacketWrite", kBytePerPacket, Which::Writes},
                      FailingStep{"TotalBytes", kTotalBytes, Which::All}),
    [](const ::testing::TestParamInfo<FailingStep>& testInfo) {
        return std::string(testInfo.param.name);
    });

}  // namespace
}  // namespace camera_testing
