// The camera model against the simulated IIDC cameras of the default
// scenario: a monochrome camera with Formats 0 to 2 and a colour camera with
// Formats 0, 1 and 7, reached through the real bus access library.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "buslib/TK.h"
#include "buslib/testing/ManualClock.h"
#include "camera/IidcCamera.h"
#include "camera/tests/TracingDriver.h"
#include "sim/SimRegisters.h"
#include "sim/SimulatedBus.h"

namespace camera_testing {
namespace {

constexpr std::uint32_t kRcode = 15;
constexpr std::uint32_t kNoAck = 11;

class CameraOnSimulatedBus : public ::testing::Test {
protected:
    void Connect(const std::string& name) {
        tk::SetDriverPlatform(&tracer);
        ASSERT_EQ(0u, TKInitModule());
        ASSERT_EQ(0u, TKOpenCard(0));
        ASSERT_EQ(0u, TKOpenBus(0, 16, 64, 8, 32));
        const auto node = bus.NodeNumber(name);
        ASSERT_TRUE(node.has_value()) << name;
        cameraName = name;
        spec = FindSpec(name);
        base = bus.CommandBase(name);
        camera.settings.card = 0;
        camera.settings.node = static_cast<std::uint8_t>(*node);
        camera.settings.speed = 2;
        camera.nodeInfo.commandRegisterBase = base;
        StartRecording();
    }

    // Traces, waits and log entries from here on.
    void StartRecording() {
        tracer.ClearTrace();
        clock.ClearSleeps();
        logCountAtStart = LogRingCount();
    }

    void TearDown() override {
        TKCloseCard(0);
        TKExitModule();
        tk::SetDriverPlatform(nullptr);
    }

    sim::CameraSpec FindSpec(const std::string& name) const {
        for (const sim::CameraSpec& c : bus.GetScenario().cameras) {
            if (c.name == name) {
                return c;
            }
        }
        ADD_FAILURE() << "no camera " << name;
        return {};
    }

    std::uint32_t Register(std::uint32_t offset) {
        const auto value = bus.CameraRegister(cameraName, offset);
        EXPECT_TRUE(value.has_value()) << std::hex << offset;
        return value.value_or(0xDEADBEEF);
    }

    std::uint32_t Quadlet(std::uint32_t address) {
        const auto value = bus.CameraQuadlet(cameraName, address);
        EXPECT_TRUE(value.has_value()) << std::hex << address;
        return value.value_or(0xDEADBEEF);
    }

    std::uint64_t FramesAfter(std::uint32_t milliseconds) {
        clock.Advance(milliseconds);
        bus.Pump();
        return bus.Counters(cameraName).framesSent;
    }

    // Where the built-in description puts a Format 7 mode's register block.
    std::uint32_t Format7Block(unsigned mode) const {
        return base + sim::reg::kDefaultFormat7Blocks + sim::reg::kFormat7BlockStride * mode;
    }

    std::uint32_t NewLogEntries() const { return LogRingCount() - logCountAtStart; }

    tk::testing::ManualClock clock;
    tk::testing::ScopedClock scopedClock{clock};
    sim::SimulatedBus bus{sim::DefaultScenario()};
    TracingDriver tracer{bus};
    IidcCamera camera;
    std::string cameraName;
    sim::CameraSpec spec;
    std::uint32_t base = 0;
    std::uint32_t logCountAtStart = 0;
};

// The rates the camera offers for the modes it offers; zero elsewhere.
void ExpectRatesOf(const sim::CameraSpec& spec, const VideoSettings& s) {
    for (unsigned f = 0; f < 7; ++f) {
        for (unsigned m = 0; m < 8; ++m) {
            const bool offered = (spec.modeInquiry[f] & (0x80u >> m)) != 0;
            EXPECT_EQ(offered ? spec.rateInquiry[f][m] : 0, s.rateInquiry[f][m])
                << "format " << f << " mode " << m;
        }
    }
    for (unsigned m = 0; m < 8; ++m) {
        EXPECT_EQ(252, s.rateInquiry[7][m]) << "Format 7 mode " << m;
    }
}

TEST_F(CameraOnSimulatedBus, InquiresTheMonochromeCamera) {
    Connect("mono");

    ASSERT_TRUE(camera.InquireAll());

    const VideoSettings& s = camera.settings;
    EXPECT_EQ(0xE0, s.formatInquiry);
    EXPECT_EQ(0, s.format);
    EXPECT_EQ(5, s.mode) << "the first mode of Format 0";
    for (unsigned f = 0; f < 7; ++f) {
        EXPECT_EQ(spec.modeInquiry[f], s.modeInquiry[f]) << "format " << f;
    }
    EXPECT_EQ(0, s.modeInquiry[7]);
    ExpectRatesOf(spec, s);
    EXPECT_EQ(0u, NewLogEntries());
    for (const RegisterAccess& access : tracer.Trace()) {
        EXPECT_EQ(RegisterAccess::Kind::Read, access.kind);
        EXPECT_LT(access.address - base, 0x300u) << "only the inquiry registers";
    }
}

TEST_F(CameraOnSimulatedBus, InquiresTheColourCameraWithItsFormat7Modes) {
    Connect("colour");

    ASSERT_TRUE(camera.InquireAll());

    const VideoSettings& s = camera.settings;
    EXPECT_EQ(0xC1, s.formatInquiry);
    EXPECT_EQ(0, s.format);
    EXPECT_EQ(1, s.mode);
    EXPECT_EQ(0xC0, s.modeInquiry[7]);
    ExpectRatesOf(spec, s);

    EXPECT_EQ(Format7Block(0) - 0xF0000000u, s.format7CsrOffset[0]);
    EXPECT_EQ((1024u << 16) | 768u, s.format7MaxSize[0]);
    EXPECT_EQ(0x00080002u, s.format7UnitSize[0]);
    EXPECT_EQ(0x00040002u, s.format7UnitPosition[0]);
    EXPECT_EQ(0xFE, s.format7ColourInquiry[0]);

    // Mode 1 has no UNIT_POSITION_INQ: its reads are refused with code 15.
    EXPECT_EQ(Format7Block(1) - 0xF0000000u, s.format7CsrOffset[1]);
    EXPECT_EQ((512u << 16) | 384u, s.format7MaxSize[1]);
    EXPECT_EQ(0x00040004u, s.format7UnitSize[1]);
    EXPECT_EQ(0x00040004u, s.format7UnitPosition[1]);
    EXPECT_EQ(0xA8, s.format7ColourInquiry[1]);
    ASSERT_EQ(1u, NewLogEntries()) << "the three refused reads are logged once";
    const LogEntry& entry = LogRingSlots()[(LogRingWriteIndex() + TK_LOG_SLOTS - 1) % TK_LOG_SLOTS];
    EXPECT_EQ(kRcode, entry.value1);
    EXPECT_STREQ("TKReadQuad", reinterpret_cast<const char*>(entry.value2));
}

TEST_F(CameraOnSimulatedBus, StreamsContinuouslyUntilStopped) {
    Connect("mono");
    ASSERT_TRUE(camera.InquireAll());
    camera.settings.frameRate = 4;  // 30 frames per second
    camera.settings.isoChannel = 1;
    StartRecording();

    ASSERT_TRUE(camera.StartContinuous());

    const std::vector<RegisterAccess> expected{
        Write(base + 0x60C, 0x12000000), Write(base + 0x600, 4u << 29),
        Write(base + 0x604, 5u << 29),   Write(base + 0x608, 0),
        Write(base + 0x830, 0),          Write(base + 0x614, 0x80000000)};
    EXPECT_EQ(expected, tracer.Trace());
    EXPECT_EQ(0x80000000u, Register(sim::reg::kIsoEn));
    const std::uint64_t sent = FramesAfter(1000);
    EXPECT_GE(sent, 25u);

    ASSERT_TRUE(camera.StopTransmission());
    EXPECT_EQ(0u, Register(sim::reg::kIsoEn));
    const std::uint64_t atStop = bus.Counters(cameraName).framesSent;
    EXPECT_EQ(atStop, FramesAfter(1000)) << "no frames after the stop";
}

TEST_F(CameraOnSimulatedBus, OneShotSendsExactlyOneImage) {
    Connect("mono");
    ASSERT_TRUE(camera.InquireAll());
    StartRecording();

    ASSERT_TRUE(camera.StartOneShot());

    const std::vector<RegisterAccess> trace = tracer.Trace();
    ASSERT_EQ(6u, trace.size());
    EXPECT_EQ(Write(base + 0x830, 0), trace.front());
    EXPECT_EQ(Write(base + 0x61C, 0x80000000), trace.back());
    EXPECT_EQ(1u, FramesAfter(2000));
    EXPECT_EQ(1u, FramesAfter(2000));
}

TEST_F(CameraOnSimulatedBus, OnlyTheLowBitsOfChannel17ReachTheCamera) {
    Connect("mono");
    camera.settings.isoChannel = 17;
    camera.settings.speed = 2;
    ASSERT_TRUE(camera.StartContinuous());
    EXPECT_EQ(0x12000000u, Register(sim::reg::kIsoChannel));
}

TEST_F(CameraOnSimulatedBus, SetsUpAFormat7RegionWithTheValueSettingHandshake) {
    Connect("colour");
    ASSERT_TRUE(camera.InquireAll());
    StartRecording();
    Format7Request request{};
    request.mode = 0;
    request.left = 13;
    request.top = 7;
    request.width = 641;
    request.height = 481;
    request.colourCode = 0;

    ASSERT_TRUE(camera.SetupFormat7(request));

    EXPECT_EQ(12u, request.left) << "position unit 4";
    EXPECT_EQ(6u, request.top);
    EXPECT_EQ(648u, request.width);
    EXPECT_EQ(482u, request.height);
    const std::uint32_t block = Format7Block(0);
    EXPECT_EQ((12u << 16) | 6u, Quadlet(block + sim::reg::kF7ImagePosition));
    EXPECT_EQ((648u << 16) | 482u, Quadlet(block + sim::reg::kF7ImageSize));
    EXPECT_EQ(0u, Quadlet(block + sim::reg::kF7ColorCodingId));
    EXPECT_EQ(sim::reg::kVsPresence, Quadlet(block + sim::reg::kF7ValueSetting))
        << "settled, no error flags";
    const std::uint32_t recommended = Quadlet(block + sim::reg::kF7BytePerPacket) & 0xFFFF;
    EXPECT_NE(0u, recommended);
    EXPECT_EQ(recommended, request.bytesPerPacket);
    EXPECT_EQ(recommended, Quadlet(block + sim::reg::kF7BytePerPacket) >> 16);
    EXPECT_EQ((648u * 482u - 1) / recommended + 1, request.packetsPerFrame);
    EXPECT_EQ(Quadlet(block + sim::reg::kF7PacketParaInq), request.packetParameters);

    const std::vector<RegisterAccess> expectedWrites{
        Write(base + 0x60C, 0x02000000),
        Write(block + 0x010, 0),
        Write(block + 0x008, (12u << 16) | 6u),
        Write(block + 0x00C, (648u << 16) | 482u),
        Write(block + 0x07C, 0x40000000),
        Write(block + 0x044, (recommended << 16) | recommended)};
    EXPECT_EQ(expectedWrites, WritesOf(tracer.Trace()));
    EXPECT_EQ(0u, NewLogEntries());
}

TEST_F(CameraOnSimulatedBus, Format7RegionBeyondTheSensorWritesNothing) {
    Connect("colour");
    ASSERT_TRUE(camera.InquireAll());
    StartRecording();
    Format7Request request{};
    request.left = 400;
    request.top = 7;
    request.width = 641;
    request.height = 481;

    EXPECT_FALSE(camera.SetupFormat7(request));
    EXPECT_TRUE(tracer.Trace().empty());
}

TEST_F(CameraOnSimulatedBus, Format7ModeWithoutValueSettingIsGivenAPause) {
    Connect("colour");
    ASSERT_TRUE(camera.InquireAll());
    StartRecording();
    Format7Request request{};
    request.mode = 1;
    request.width = 320;
    request.height = 240;
    request.colourCode = 2;  // YUV-422

    ASSERT_TRUE(camera.SetupFormat7(request));

    const std::uint32_t block = Format7Block(1);
    EXPECT_EQ((320u << 16) | 240u, Quadlet(block + sim::reg::kF7ImageSize));
    EXPECT_EQ(0x02000000u, Quadlet(block + sim::reg::kF7ColorCodingId));
    EXPECT_EQ((320u * 240u * 2 - 1) / request.bytesPerPacket + 1, request.packetsPerFrame);
    const std::vector<std::uint32_t> sleeps = clock.Sleeps();
    // Four writes, the refused Setting_1 write and read (three attempts each), the pause.
    const std::vector<std::uint32_t> expected{50, 50, 50, 50, 5, 5, 5, 5, 5, 5, 50};
    ASSERT_GE(sleeps.size(), expected.size());
    EXPECT_EQ(expected, std::vector<std::uint32_t>(sleeps.begin(), sleeps.begin() + 11));
}

TEST_F(CameraOnSimulatedBus, Format7RegionStreams) {
    Connect("colour");
    ASSERT_TRUE(camera.InquireAll());
    Format7Request request{};
    request.mode = 0;
    request.width = 640;
    request.height = 480;
    request.colourCode = 0;
    ASSERT_TRUE(camera.SetupFormat7(request));
    camera.settings.format = 7;
    camera.settings.mode = 0;
    camera.settings.frameRate = 4;

    ASSERT_TRUE(camera.StartContinuous());

    EXPECT_GT(FramesAfter(1000), 0u);
    const auto format = bus.CameraRegister(cameraName, sim::reg::kCurVFormat);
    ASSERT_TRUE(format.has_value());
    EXPECT_EQ(7u << 29, *format);
}

TEST_F(CameraOnSimulatedBus, SetBrightnessNeverSelectsAbsoluteControl) {
    Connect("colour");
    std::uint32_t control = 0x42000080;

    ASSERT_TRUE(camera.SetBrightness(control));

    EXPECT_EQ(0x02000080u, control);
    EXPECT_EQ(0x82000080u, Register(0x800));
}

TEST_F(CameraOnSimulatedBus, GetGainTakesTheCameraOutOfAbsoluteMode) {
    Connect("colour");
    ASSERT_EQ(0u, camera.WriteRegister(base + 0x820, 0x42000010));
    ASSERT_EQ(0xC2000010u, Register(0x820)) << "the camera took absolute mode";
    StartRecording();
    std::uint32_t inquiry = 0;
    std::uint32_t control = 0;

    ASSERT_TRUE(camera.GetGain(inquiry, control));

    EXPECT_NE(0u, inquiry & 0x80000000u);
    EXPECT_EQ(0x82000010u, control);
    EXPECT_EQ(std::vector<RegisterAccess>{Write(base + 0x820, 0x82000010)},
              WritesOf(tracer.Trace()));
    EXPECT_EQ(0x82000010u, Register(0x820));
}

TEST_F(CameraOnSimulatedBus, GetZoomOnACameraWithoutZoomSucceeds) {
    Connect("mono");
    std::uint32_t inquiry = 0xFFFFFFFF;
    std::uint32_t control = 0xFFFFFFFF;
    ASSERT_TRUE(camera.GetZoom(inquiry, control));
    EXPECT_EQ(0u, inquiry & 0x80000000u);
}

TEST_F(CameraOnSimulatedBus, TransientFailuresAreRetriedAndPersistentOnesLogged) {
    Connect("colour");
    std::uint32_t value = 0;
    ASSERT_TRUE(bus.FailTransactions(cameraName, 2, kNoAck));
    EXPECT_EQ(0u, camera.ReadRegister(base + 0x100, value));
    EXPECT_EQ(0xC1000000u, value & 0xFF000000u);
    EXPECT_EQ(0u, NewLogEntries());

    ASSERT_TRUE(bus.FailTransactions(cameraName, 3, kNoAck));
    EXPECT_EQ(kNoAck, camera.WriteRegister(base + 0x614, 0));
    EXPECT_EQ(1u, NewLogEntries());
    EXPECT_EQ((std::vector<std::uint32_t>{5, 5, 20, 5, 5, 5}), clock.Sleeps());
}

}  // namespace
}  // namespace camera_testing
