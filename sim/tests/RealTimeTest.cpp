// The simulated bus as the program runs it: time from the system clock, frames
// made by the simulator's own thread, requests from several threads at once.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "buslib/RequestRecords.h"
#include "sim/SimRegisters.h"
#include "sim/SimulatedBus.h"

namespace sim {
namespace {

namespace rec = tk::records;
constexpr auto kLayout = rec::Layout::Compact;

class Client {
public:
    explicit Client(SimulatedBus& bus) : bus_(bus), device_(bus.OpenDevice("\\\\.\\TKSIM0")) {}
    ~Client() { bus_.CloseDevice(device_); }

    std::uint32_t Send(rec::RequestRecord& r, std::uint32_t waitMs = tk::kWaitInfinite) {
        std::uint32_t length = 0;
        const auto outcome =
            bus_.Exchange(device_, rec::ControlCode(kLayout), r.Data(), r.Size(), waitMs, &length);
        return outcome == tk::ExchangeOutcome::Completed ? r.Status() : 0x80000000u;
    }
    std::uint32_t Quadlet(bool write, int node, std::uint32_t address, std::uint32_t* value) {
        rec::RequestRecord r(write ? rec::request::WriteQuad : rec::request::ReadQuad, kLayout);
        r.Set(rec::quad::Speed, 0xFF);
        r.Set(rec::quad::Node, static_cast<std::uint32_t>(node));
        r.Set(rec::quad::AddressHigh, 0xFFFF);
        r.Set(rec::quad::AddressLow, address);
        std::uint8_t* q = r.Data() + rec::quad::Quadlet.Offset(kLayout);
        if (write) {
            rec::PutBus32(q, *value);
        }
        const std::uint32_t status = Send(r);
        if (!write) {
            *value = rec::GetBus32(q);
        }
        return status;
    }
    std::uint32_t WaitEvents(std::uint32_t waitMs) {
        rec::RequestRecord r(rec::request::WaitEvents, kLayout);
        r.Set(rec::header::Param1, waitMs);
        return Send(r, waitMs) == 0 ? static_cast<std::uint32_t>(r.Get(rec::header::Param1)) : 0;
    }

private:
    SimulatedBus& bus_;
    tk::DeviceHandle device_;
};

TEST(SimulatedBusInRealTime, FramesFlowWithoutAnyoneMovingTime) {
    ScenarioError error;
    const auto bus = SimulatedBus::ForProgram("", &error);
    ASSERT_TRUE(bus);
    Client client(*bus);
    rec::RequestRecord open(rec::request::OpenBus, kLayout);
    ASSERT_EQ(0u, client.Send(open));
    const int node = *bus->NodeNumber("mono");
    const std::uint32_t base = bus->CommandBase("mono");
    rec::RequestRecord start(rec::request::IsoStart, kLayout);
    start.Set(rec::iso_start::BuffersRequested, 4);
    start.Set(rec::iso_start::PacketsPerFrame, 120);
    start.Set(rec::iso_start::BytesPerPacket, 2560);
    start.Set(rec::iso_start::FirstPacketSelection, (15u << 16) | 1);
    start.Set(rec::iso_start::DmaChannelSelection, 0x3Fu << 16);
    ASSERT_EQ(0u, client.Send(start));
    // 640 x 480 Y-8 at 60 frames per second on channel 0.
    for (auto [offset, value] :
         {std::pair<std::uint32_t, std::uint32_t>{reg::kIsoChannel, 2u << 24},
          {reg::kCurVFrmRate, 5u << 29},
          {reg::kCurVMode, 5u << 29},
          {reg::kCurVFormat, 0},
          {reg::kIsoEn, 0x80000000}}) {
        ASSERT_EQ(0u, client.Quadlet(true, node, base + offset, &value));
    }
    std::uint32_t seen = 0;
    for (int i = 0; i < 50 && (seen & reg::kEventContext0) == 0; ++i) {
        seen |= client.WaitEvents(200);
    }
    EXPECT_NE(0u, seen & reg::kEventContext0) << "no frame arrived";
}

TEST(SimulatedBusInRealTime, RequestsFromSeveralThreadsAtOnce) {
    const auto bus = SimulatedBus::ForProgram("", nullptr);
    ASSERT_TRUE(bus);
    Client client(*bus);
    rec::RequestRecord open(rec::request::OpenBus, kLayout);
    ASSERT_EQ(0u, client.Send(open));
    const CameraSpec mono = MonochromeCamera();
    const CameraSpec colour = ColourCamera();
    std::atomic<int> wrong{0};
    std::thread waiter([&] {
        while ((client.WaitEvents(tk::kWaitInfinite) & reg::kEventStop) == 0) {
        }
    });
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t) {
        readers.emplace_back([&, t] {
            const bool isMono = t % 2 == 0;
            const int node = *bus->NodeNumber(isMono ? "mono" : "colour");
            const auto expected = static_cast<std::uint32_t>((isMono ? mono : colour).uniqueId);
            for (int i = 0; i < 300; ++i) {
                std::uint32_t v = 0;
                if (client.Quadlet(false, node, reg::kUniqueIdLow, &v) != 0 || v != expected) {
                    ++wrong;
                }
            }
        });
    }
    for (auto& r : readers) {
        r.join();
    }
    rec::RequestRecord cancel(rec::request::CancelWait, kLayout);
    EXPECT_EQ(0u, client.Send(cancel));
    waiter.join();
    EXPECT_EQ(0, wrong.load());
}

TEST(SimulatedBusForProgram, ABadScenarioFileIsReported) {
    ScenarioError error;
    EXPECT_FALSE(SimulatedBus::ForProgram("/nonexistent/sim.ini", &error));
    EXPECT_EQ("/nonexistent/sim.ini: cannot open the file", error.Text());
}

}  // namespace
}  // namespace sim
