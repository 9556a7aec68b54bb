// The library's TK functions against the simulated bus: what the program
// sees of cards, buses, cameras and streams without hardware.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "buslib/TK.h"
#include "buslib/testing/ManualClock.h"
#include "sim/SimRegisters.h"
#include "sim/SimulatedBus.h"
#include "sim/TestPattern.h"

namespace sim {
namespace {

constexpr std::uint32_t kCard = 0;
constexpr std::uint32_t kHigh = 0xFFFF;

class SimBus : public ::testing::Test {
protected:
    ~SimBus() override {
        TKExitModule();
        tk::SetDriverPlatform(nullptr);
    }

    void Start(Scenario scenario = DefaultScenario(), bool wide = false) {
        bus_ =
            std::make_unique<SimulatedBus>(std::move(scenario), SimulatedBusOptions{wide, false});
        tk::SetDriverPlatform(bus_.get());
        TKInitModule();
    }
    void OpenCard(std::uint32_t card = kCard) {
        ASSERT_EQ(0u, TKOpenCard(card));
        ASSERT_EQ(0u, TKOpenBus(card, 16, 64, 8, 32));
        std::uint32_t events = 0;
        ASSERT_EQ(0u, TKWaitEvent(card, &events, 1000));
        ASSERT_EQ(TK_EVENT_BUS_RESET, events);
    }
    // Moves time and lets the simulation catch up.
    void Advance(std::uint32_t ms) {
        clock_.Advance(ms);
        bus_->Pump();
    }
    std::uint32_t Node(const std::string& camera) {
        const auto node = bus_->NodeNumber(camera);
        EXPECT_TRUE(node) << camera << " is not on the bus";
        return node ? static_cast<std::uint32_t>(*node) : 0xFF;
    }
    std::uint32_t Read(const std::string& camera, std::uint32_t address) {
        std::uint32_t v = 0;
        EXPECT_EQ(0u, TKReadQuad(kCard, Node(camera), kHigh, address, &v))
            << camera << " at 0x" << std::hex << address;
        return v;
    }
    void Write(const std::string& camera, std::uint32_t address, std::uint32_t value) {
        EXPECT_EQ(0u, TKWriteQuad(kCard, Node(camera), kHigh, address, value))
            << camera << " at 0x" << std::hex << address;
    }
    // Programs a Format 0..2 mode and starts the camera, as IidcCamera does.
    void StartCamera(const std::string& camera, std::uint32_t format, std::uint32_t mode,
                     std::uint32_t rate, std::uint32_t channel) {
        const std::uint32_t base = bus_->CommandBase(camera);
        Write(camera, base + reg::kIsoChannel, ((channel * 16) | 2) << 24);
        Write(camera, base + reg::kCurVFrmRate, rate << 29);
        Write(camera, base + reg::kCurVMode, mode << 29);
        Write(camera, base + reg::kCurVFormat, format << 29);
        Write(camera, base + reg::kTriggerMode, 0);
        Write(camera, base + reg::kIsoEn, 0x80000000);
    }
    std::uint32_t StartContext(std::uint32_t channel, std::uint32_t packets, std::uint32_t payload,
                               std::uint32_t* buffers, const TKImageInfo* image = nullptr) {
        std::uint32_t context = 99;
        const std::uint32_t r = TKIsoStart(kCard, (0x3Fu << 16) | channel, (15u << 16) | 1, packets,
                                           payload, buffers, &context, image);
        EXPECT_EQ(0u, r) << "TKIsoStart";
        return context;
    }
    std::uint32_t Wait(std::uint32_t microseconds = 1000) {
        std::uint32_t events = 0;
        const std::uint32_t r = TKWaitEvent(kCard, &events, microseconds);
        return r == 0 ? events : 0x80000000u | r;
    }

    tk::testing::ManualClock clock_;
    tk::testing::ScopedClock scopedClock_{clock_};
    std::unique_ptr<SimulatedBus> bus_;
};

TEST_F(SimBus, CardDiscoveryAndVersion) {
    Scenario s = DefaultScenario();
    CardSpec second;
    second.slot = 2;
    second.linkName = "\\Device\\TkSim2";
    second.systemId = 0x03020100;
    s.cards.push_back(second);
    Start(s);
    std::uint32_t count = 0;
    ASSERT_EQ(0u, TKGetCardCount(&count));
    EXPECT_EQ(2u, count);
    std::uint32_t id = 0;
    ASSERT_EQ(0u, TKGetCardSystemId(1, &id));
    EXPECT_EQ(0x03020100u, id);
    std::uint32_t type = 99;
    EXPECT_EQ(0u, TKGetCardType(0, &type));
    EXPECT_EQ(1u, type);
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKGetCardSystemId(2, &id));
    EXPECT_EQ(0u, TKOpenCard(0));  // the driver version is accepted
    EXPECT_EQ(TKE_ALREADY_OPENED, TKOpenCard(0));
    EXPECT_EQ(0u, TKOpenCard(1));
    EXPECT_EQ(TKE_CANNOT_OPEN_DEVICE, TKOpenCard(2));
    EXPECT_EQ(0u, TKCloseCard(1));
    EXPECT_EQ(0u, TKOpenCard(1));
}

TEST_F(SimBus, BusInformationWithSelfIds) {
    Scenario s = DefaultScenario();
    s.otherNodes.push_back({0, NodeKind::Extended, 1});
    s.otherNodes.push_back({0, NodeKind::Inactive, 0});
    Start(s);
    OpenCard();
    TKSelfIdEntry entries[16] = {};
    std::uint32_t count = 0;
    ASSERT_EQ(0u, TKGetBusInfo(kCard, 16, &count, entries));
    ASSERT_EQ(5u, count);
    std::uint32_t local = 0;
    ASSERT_EQ(0u, TKGetLocalNodeId(kCard, &local));
    EXPECT_EQ(4u, local);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t q = entries[i].quadlets[0];
        EXPECT_EQ(i, TKSelfIdNode(q));
        EXPECT_EQ(i == local, (q & TK_SELFID_LOCAL_NODE) != 0) << "node " << i;
    }
    EXPECT_EQ(Node("mono"), 0u);
    EXPECT_EQ(2u, TKSelfIdSpeed(entries[0].quadlets[0]));
    EXPECT_NE(0u, entries[0].quadlets[0] & TK_SELFID_LINK_ACTIVE);
    // Node 2 has an extension packet; node 3 an inactive link.
    EXPECT_NE(0u, entries[2].quadlets[0] & TK_SELFID_MORE_PACKETS);
    EXPECT_EQ(0x00800000u, entries[2].quadlets[1] & 0x00800000u);
    EXPECT_EQ(1u, TKSelfIdSpeed(entries[2].quadlets[0]));
    EXPECT_EQ(0u, entries[3].quadlets[0] & TK_SELFID_LINK_ACTIVE);
    // An inactive link answers nothing.
    std::uint32_t v = 0;
    EXPECT_EQ(reg::kStatusNoAck, TKReadQuad(kCard, 3, kHigh, reg::kConfigRom, &v));
    // Too little room: the first entries all the same.
    TKSelfIdEntry two[2] = {};
    EXPECT_EQ(TKE_INCOMPLETE_COPY, TKGetBusInfo(kCard, 2, &count, two));
    EXPECT_EQ(entries[1].quadlets[0], two[1].quadlets[0]);
}

// The bus monitor's walk: unique id, root directory, unit directory, its
// third entry, the unit dependent directory, the name leaves.
TEST_F(SimBus, ConfigurationRomReadThroughQuadletRequests) {
    Start();
    OpenCard();
    const CameraSpec colour = ColourCamera();
    EXPECT_EQ(static_cast<std::uint32_t>(colour.uniqueId >> 32),
              Read("colour", reg::kUniqueIdHigh));
    EXPECT_EQ(static_cast<std::uint32_t>(colour.uniqueId), Read("colour", reg::kUniqueIdLow));
    const std::uint32_t rootLength = Read("colour", reg::kRootDirectory) >> 16;
    std::uint32_t unit = 0;
    for (std::uint32_t i = 0; i < rootLength && unit == 0; ++i) {
        const std::uint32_t a = reg::kRootDirectory + 4 + 4 * i;
        const std::uint32_t e = Read("colour", a);
        if ((e >> 24) == 0xD1) {
            unit = a + 4 * (e & 0xFFFFFF);
        }
    }
    ASSERT_NE(0u, unit);
    const std::uint32_t third = Read("colour", unit + 12);
    const std::uint32_t dependent = unit + 12 + 4 * (third & 0xFFFFFF);
    std::uint32_t base = 0, model = 0;
    for (std::uint32_t i = 0; i < (Read("colour", dependent) >> 16); ++i) {
        const std::uint32_t a = dependent + 4 + 4 * i;
        const std::uint32_t e = Read("colour", a);
        if ((e >> 24) == 0x40) {
            base = 0xF0000000u + 4 * (e & 0xFFFFFF);
        } else if ((e >> 24) == 0x82) {
            model = a + 4 * (e & 0xFFFFFF);
        }
    }
    EXPECT_EQ(colour.commandBase, base);
    std::string text;
    const std::uint32_t quadlets = (Read("colour", model) >> 16) - 2;
    for (std::uint32_t i = 0; i < quadlets; ++i) {
        const std::uint32_t q = Read("colour", model + 12 + 4 * i);
        for (int b = 3; b >= 0; --b) {
            if (char c = static_cast<char>(q >> (8 * b))) {
                text += c;
            }
        }
    }
    EXPECT_EQ(colour.model, text);

    // Camera registers.
    EXPECT_EQ(0xC1000000u, Read("colour", base + reg::kVFormatInq));
    Write("colour", base + 0x800, 0x02000042);
    EXPECT_EQ(0x82000042u, Read("colour", base + 0x800));
    // Unknown addresses and absent nodes answer as a real bus would.
    std::uint32_t v = 0x1234;
    EXPECT_EQ(reg::kStatusRcode, TKReadQuad(kCard, Node("colour"), kHigh, base + 0xF00, &v));
    EXPECT_EQ(0x1234u, v);
    EXPECT_EQ(reg::kStatusRcode, TKReadQuad(kCard, Node("colour"), 0x0000, base, &v));
    EXPECT_EQ(reg::kStatusNoAck, TKReadQuad(kCard, 20, kHigh, reg::kConfigRom, &v));
}

class SimBusLayouts : public SimBus, public ::testing::WithParamInterface<bool> {};

TEST_P(SimBusLayouts, StreamDeliversChangingFramesOfTheRightGeometry) {
    Start(DefaultScenario(), GetParam());
    OpenCard();
    // 320 x 240 YUV-422 at 30 frames per second on channel 1.
    std::uint32_t buffers = 4;
    const TKImageInfo image{0, 0, 320, 240, reg::kYuv422};
    const std::uint32_t context = StartContext(1, 240, 640, &buffers, &image);
    EXPECT_EQ(4u, buffers);
    StartCamera("colour", 0, 1, 4, 1);
    StartCamera("mono", 0, 5, 4, 2);  // another channel: not for this context
    Advance(35);
    ASSERT_EQ(TK_EVENT_ISO0 << context, Wait());
    TKFrameInfo first{};
    ASSERT_EQ(0u, TKIsoInquire(kCard, context, &first));
    ASSERT_NE(0u, first.bufferHandle);
    EXPECT_EQ(320u, first.width);
    EXPECT_EQ(240u, first.height);
    EXPECT_EQ(reg::kYuv422, first.colourCode);
    EXPECT_EQ(0, first.frameMark);
    ASSERT_NE(nullptr, first.data);
    const TestPattern pattern(320, 240, reg::kYuv422);
    std::vector<std::uint8_t> expected(static_cast<std::size_t>(pattern.FrameBytes()));
    pattern.Render(0, expected.data(), expected.size());
    EXPECT_EQ(0, std::memcmp(expected.data(), first.data, expected.size())) << "frame 0";

    Advance(34);
    TKFrameInfo second{};
    ASSERT_EQ(0u, TKIsoInquire(kCard, context, &second));
    ASSERT_NE(0u, second.bufferHandle);
    EXPECT_NE(first.bufferHandle, second.bufferHandle);
    pattern.Render(1, expected.data(), expected.size());
    EXPECT_EQ(0, std::memcmp(expected.data(), second.data, expected.size())) << "frame 1";
    EXPECT_NE(0, std::memcmp(first.data, second.data, expected.size()));
    EXPECT_EQ(0u, TKIsoPost(kCard, context, &first));
    EXPECT_EQ(0u, TKIsoPost(kCard, context, &second));
    EXPECT_EQ(2u, bus_->Counters("colour").framesDelivered);
    EXPECT_EQ(0u, bus_->Counters("mono").framesDelivered);
    EXPECT_EQ(0u, TKIsoStop(kCard, context));
}

INSTANTIATE_TEST_SUITE_P(CompactAndWide, SimBusLayouts, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& p) {
                             return p.param ? "Wide" : "Compact";
                         });

TEST_F(SimBus, EveryColourCodingArrivesWithItsSize) {
    Start();
    OpenCard();
    const std::uint32_t block =
        reg::kRegisterSpace + 4 * Read("colour", bus_->CommandBase("colour") + reg::kVCsrInq7);
    for (std::uint32_t coding = 0; coding < reg::kColourCodingCount; ++coding) {
        Write("colour", block + reg::kF7ColorCodingId, coding << 24);
        Write("colour", block + reg::kF7ImageSize, (64u << 16) | 48u);
        Write("colour", block + reg::kF7BytePerPacket, (1024u << 16) | 1024u);
        const std::uint32_t total = Read("colour", block + reg::kF7TotalBytesLoInq);
        EXPECT_EQ(reg::ImageBytes(static_cast<std::uint8_t>(coding), 64 * 48), total);
        std::uint32_t buffers = 2;
        const std::uint32_t context = StartContext(0, (total + 1023) / 1024, 1024, &buffers);
        const std::uint32_t base = bus_->CommandBase("colour");
        Write("colour", base + reg::kIsoChannel, 2u << 24);
        Write("colour", base + reg::kCurVFormat, 7u << 29);
        Write("colour", base + reg::kCurVMode, 0);
        const std::uint64_t first = bus_->Counters("colour").framesSent;
        Write("colour", base + reg::kIsoEn, 0x80000000);
        Advance(50);
        TKFrameInfo frame{};
        ASSERT_EQ(0u, TKIsoInquire(kCard, context, &frame));
        ASSERT_NE(0u, frame.bufferHandle) << "coding " << coding;
        const TestPattern pattern(64, 48, static_cast<std::uint8_t>(coding));
        std::vector<std::uint8_t> expected(total);
        pattern.Render(first, expected.data(), total);
        EXPECT_EQ(0, std::memcmp(expected.data(), frame.data, total)) << "coding " << coding;
        EXPECT_EQ(0u, TKIsoPost(kCard, context, &frame));
        Write("colour", base + reg::kIsoEn, 0);
        EXPECT_EQ(0u, TKIsoStop(kCard, context));
        Wait();
    }
}

TEST_F(SimBus, FramesAreDroppedWhenNoBufferIsPosted) {
    Start();
    OpenCard();
    std::uint32_t buffers = 2;
    const std::uint32_t context = StartContext(5, 240, 1280, &buffers);
    StartCamera("mono", 0, 5, 4, 5);  // 640 x 480 Y-8 at 30 per second
    Advance(1000);                    // 30 frames
    EXPECT_EQ(30u, bus_->Counters("mono").framesSent);
    EXPECT_EQ(2u, bus_->Counters("mono").framesDelivered);
    EXPECT_EQ(28u, bus_->Counters("mono").framesDropped);
    const TestPattern pattern(640, 480, reg::kY8);
    std::vector<std::uint8_t> expected(640 * 480);
    TKFrameInfo frames[2];
    for (std::uint32_t i = 0; i < 2; ++i) {
        ASSERT_EQ(0u, TKIsoInquire(kCard, context, &frames[i]));
        pattern.Render(i, expected.data(), expected.size());
        EXPECT_EQ(0, std::memcmp(expected.data(), frames[i].data, expected.size()))
            << "the oldest frames are kept, frame " << i;
    }
    TKFrameInfo none{};
    ASSERT_EQ(0u, TKIsoInquire(kCard, context, &none));
    EXPECT_EQ(0u, none.bufferHandle);
    std::uint32_t posted = 9;
    EXPECT_EQ(0u, TKIsoGetPostedCount(kCard, context, &posted));
    EXPECT_EQ(0u, posted);
    EXPECT_EQ(0u, TKIsoPost(kCard, context, &frames[0]));
    Advance(34);
    TKFrameInfo next{};
    ASSERT_EQ(0u, TKIsoInquire(kCard, context, &next));
    ASSERT_NE(0u, next.bufferHandle);
    pattern.Render(30, expected.data(), expected.size());
    EXPECT_EQ(0, std::memcmp(expected.data(), next.data, expected.size()));
    // Clear gives everything back.
    EXPECT_EQ(0u, TKIsoClear(kCard, context));
    EXPECT_EQ(2u, bus_->Context(0, static_cast<int>(context)).free);
}

TEST_F(SimBus, CancelWakesAPendingWaitFromAnotherThread) {
    Start();
    OpenCard();
    std::atomic<std::uint32_t> result{77};
    std::atomic<std::uint32_t> events{0};
    std::thread waiter([&] {
        std::uint32_t word = 0;
        result = TKWaitEvent(kCard, &word, 0);  // without limit
        events = word;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(77u, result.load()) << "the wait must still be pending";
    EXPECT_EQ(0u, TKCancelWait(kCard));
    waiter.join();
    EXPECT_EQ(0u, result.load());
    EXPECT_EQ(TK_EVENT_STOP, events.load());
    EXPECT_EQ(TK_EVENT_STOP, Wait(0)) << "every later wait ends at once";
}

TEST_F(SimBus, AFiniteWaitWithoutEventsTimesOut) {
    Start();
    OpenCard();
    EXPECT_EQ(0x80000000u | TKDRV_TIMEOUT, Wait(2000));
}

TEST_F(SimBus, StreamsThatDoNotFitTheBandwidthAreRefused) {
    Start();
    OpenCard();
    std::uint32_t buffers = 1;
    const std::uint32_t big = StartContext(0, 100, 4096, &buffers);  // 4108 units
    EXPECT_EQ(4108u, bus_->BandwidthInUse(0));
    std::uint32_t context = 99;
    EXPECT_EQ(TKDRV_NO_RESOURCES,
              TKIsoStart(kCard, 0x3F0001, 0xF0001, 100, 1024, &buffers, &context, nullptr));
    EXPECT_EQ(99u, context);
    const std::uint32_t small = StartContext(1, 100, 784, &buffers);  // 796: 4904 in all
    EXPECT_EQ(4904u, bus_->BandwidthInUse(0));
    EXPECT_EQ(0u, TKIsoStop(kCard, big));
    StartContext(2, 100, 1024, &buffers);
    EXPECT_EQ(0u, TKIsoStop(kCard, small));
}

TEST_F(SimBus, TheMemoryBudgetMayGrantFewerBuffers) {
    Scenario s = DefaultScenario();
    s.memoryBudgetMiB = 1;
    Start(s);
    OpenCard();
    std::uint32_t buffers = 10;
    StartContext(0, 240, 640, &buffers);  // 153600 bytes each
    EXPECT_EQ(6u, buffers);
    std::uint32_t more = 10;
    std::uint32_t context = 0;
    EXPECT_EQ(TKDRV_NO_MEMORY,
              TKIsoStart(kCard, 0x3F0001, 0xF0001, 240, 640, &more, &context, nullptr));
}

TEST_F(SimBus, ScriptedFaultsAndHotPlug) {
    const ScenarioResult parsed = ParseScenario(R"(
[camera]
preset = monochrome
name = mono
[camera]
preset = colour
name = colour
[events]
at = 100 fail colour 2 23
at = 200 unplug mono
at = 300 plug mono
at = 400 error 0x00020001
at = 500 notify 3
)",
                                                "hotplug.ini");
    ASSERT_TRUE(parsed.scenario) << parsed.error.Text();
    Start(*parsed.scenario);
    OpenCard();
    EXPECT_EQ(1u, Node("colour"));
    Advance(150);
    std::uint32_t v = 0;
    EXPECT_EQ(TKDRV_BUS_RESET, TKReadQuad(kCard, 1, kHigh, reg::kUniqueIdHigh, &v));
    EXPECT_EQ(TKDRV_BUS_RESET, TKReadQuad(kCard, 1, kHigh, reg::kUniqueIdHigh, &v));
    EXPECT_EQ(0u, TKReadQuad(kCard, 1, kHigh, reg::kUniqueIdHigh, &v));

    Advance(100);  // unplugged: renumbered
    EXPECT_EQ(TK_EVENT_BUS_RESET, Wait());
    TKSelfIdEntry entries[16];
    std::uint32_t count = 0;
    ASSERT_EQ(0u, TKGetBusInfo(kCard, 16, &count, entries));
    EXPECT_EQ(2u, count);
    EXPECT_EQ(0u, Node("colour"));
    EXPECT_FALSE(bus_->NodeNumber("mono"));

    Advance(100);  // back again
    EXPECT_EQ(TK_EVENT_BUS_RESET, Wait());
    ASSERT_EQ(0u, TKGetBusInfo(kCard, 16, &count, entries));
    EXPECT_EQ(3u, count);

    Advance(100);
    EXPECT_EQ(TK_EVENT_ERRORS, Wait());
    std::uint32_t errors = 0;
    EXPECT_EQ(0u, TKGetErrors(kCard, &errors));
    EXPECT_EQ(0x00020001u, errors);

    // Queued notifications never reach the caller: they are discarded and the
    // wait goes on, here until its time is up.
    Advance(100);
    EXPECT_EQ(0x80000000u | TKDRV_TIMEOUT, Wait(1000));

    // The same by hand.
    EXPECT_TRUE(bus_->Unplug("colour"));
    EXPECT_FALSE(bus_->Unplug("colour"));
    EXPECT_EQ(TK_EVENT_BUS_RESET, Wait());
    EXPECT_EQ(2, bus_->NodeCount(0));
}

// The library's bus monitor against the simulated bus: after each bus reset it
// reads every camera's configuration ROM and publishes the node list.
TEST_F(SimBus, BusMonitorFindsTheCamerasByTheirRoms) {
    Start();
    ASSERT_EQ(0u, TKOpenCard(kCard));
    ASSERT_EQ(0u, TKOpenBus(kCard, 16, 64, 8, 32));
    WorkThread monitor;
    ASSERT_EQ(1u, StartWorkThread(&monitor, kCard));
    NodeRecord records[10] = {};
    auto waitForNodes = [&](std::uint32_t wanted) {
        std::uint32_t count = 0;
        // The monitor's own pauses run on the manual clock; only its thread takes time.
        for (int i = 0; i < 1000; ++i) {
            count = 10;
            if (CopyNodeRecords(&monitor, &count, records) == 1 && count == wanted) {
                break;
            }
            count = 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return count;
    };
    ASSERT_EQ(2u, waitForNodes(2));
    const CameraSpec cameras[2] = {MonochromeCamera(), ColourCamera()};
    for (std::uint32_t i = 0; i < 2; ++i) {
        const CameraSpec& c = cameras[i];
        EXPECT_EQ(i, records[i].node);
        EXPECT_EQ(2u, records[i].speed);
        EXPECT_EQ(c.commandBase, records[i].commandRegisterBase);
        EXPECT_EQ(static_cast<std::uint32_t>(c.uniqueId >> 32), records[i].uniqueIdHigh);
        EXPECT_EQ(static_cast<std::uint32_t>(c.uniqueId), records[i].uniqueIdLow);
        EXPECT_STREQ(c.vendor.c_str(), records[i].vendorName);
        EXPECT_STREQ(c.model.c_str(), records[i].modelName);
    }
    // Unplugging renumbers the bus; the monitor follows.
    ASSERT_TRUE(bus_->Unplug("mono"));
    ASSERT_EQ(1u, waitForNodes(1));
    EXPECT_EQ(0u, records[0].node);
    EXPECT_STREQ(ColourCamera().model.c_str(), records[0].modelName);
    EXPECT_EQ(1u, StopWorkThread(&monitor));
}

TEST_F(SimBus, OneShotDeliversExactlyOneFrame) {
    Start();
    OpenCard();
    std::uint32_t buffers = 4;
    const std::uint32_t context = StartContext(3, 240, 1280, &buffers);
    const std::uint32_t base = bus_->CommandBase("mono");
    Write("mono", base + reg::kIsoChannel, ((3u * 16) | 2) << 24);
    Write("mono", base + reg::kCurVFrmRate, 4u << 29);
    Write("mono", base + reg::kCurVMode, 5u << 29);
    Write("mono", base + reg::kCurVFormat, 0);
    Write("mono", base + reg::kOneShot, 0x80000000);
    Advance(500);
    EXPECT_EQ(1u, bus_->Counters("mono").framesDelivered);
    EXPECT_EQ(0u, Read("mono", base + reg::kOneShot));
    EXPECT_EQ(1u, bus_->Context(0, static_cast<int>(context)).filled);
}

}  // namespace
}  // namespace sim
