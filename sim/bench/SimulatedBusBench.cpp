// Cost of producing frames: four cameras streaming at the S400 bus limit.
// Each iteration is one simulated second (the clock is moved by hand), with
// every frame taken and given back as the program does. The share of one
// core is 1 / sim_seconds_per_second.
#include <benchmark/benchmark.h>

#include <string>

#include "buslib/RequestRecords.h"
#include "buslib/testing/ManualClock.h"
#include "sim/SimRegisters.h"
#include "sim/SimulatedBus.h"

namespace {

namespace rec = tk::records;
using sim::reg::kAddressHigh;

constexpr int kCameras = 4;
constexpr std::uint32_t kPayload = 1200;  // 4 x (300 + 3) x 4 = 4848 of 4915 units
constexpr std::uint32_t kWidth = 640;
constexpr std::uint32_t kHeight = 480;
constexpr std::uint8_t kCoding = sim::reg::kYuv422;

class Client {
public:
    explicit Client(sim::SimulatedBus& bus) : bus_(bus), device_(bus.OpenDevice("\\\\.\\TKSIM0")) {}
    ~Client() { bus_.CloseDevice(device_); }

    std::uint32_t Send(rec::RequestRecord& r) {
        std::uint32_t length = 0;
        bus_.Exchange(device_, rec::ControlCode(rec::Layout::Compact), r.Data(), r.Size(),
                      tk::kWaitInfinite, &length);
        return r.Status();
    }
    void Write(std::uint32_t node, std::uint32_t address, std::uint32_t value) {
        rec::RequestRecord r(rec::request::WriteQuad, rec::Layout::Compact);
        r.Set(rec::quad::Node, node);
        r.Set(rec::quad::AddressHigh, kAddressHigh);
        r.Set(rec::quad::AddressLow, address);
        rec::PutBus32(r.Data() + rec::quad::Quadlet.compactOffset, value);
        Send(r);
    }

private:
    sim::SimulatedBus& bus_;
    tk::DeviceHandle device_;
};

void FourCamerasAtTheBusLimit(benchmark::State& state) {
    tk::testing::ManualClock clock;
    tk::testing::ScopedClock scoped(clock);
    sim::Scenario scenario = sim::DefaultScenario();
    scenario.cameras.clear();
    for (int i = 0; i < kCameras; ++i) {
        sim::CameraSpec c = sim::ColourCamera();
        c.name = "cam" + std::to_string(i);
        c.uniqueId += static_cast<std::uint64_t>(i);
        scenario.cameras.push_back(c);
    }
    sim::SimulatedBus bus(scenario);
    Client client(bus);
    rec::RequestRecord open(rec::request::OpenBus, rec::Layout::Compact);
    client.Send(open);
    namespace r = sim::reg;
    std::uint32_t contexts[kCameras] = {};
    for (int i = 0; i < kCameras; ++i) {
        const std::string name = "cam" + std::to_string(i);
        const auto node = static_cast<std::uint32_t>(*bus.NodeNumber(name));
        const std::uint32_t base = bus.CommandBase(name);
        const std::uint32_t block = r::kRegisterSpace + 4 * *bus.CameraRegister(name, r::kVCsrInq7);
        client.Write(node, block + r::kF7ImagePosition, 0);
        client.Write(node, block + r::kF7ImageSize, (kWidth << 16) | kHeight);
        client.Write(node, block + r::kF7ColorCodingId, std::uint32_t{kCoding} << 24);
        client.Write(node, block + r::kF7BytePerPacket, (kPayload << 16) | kPayload);
        client.Write(node, base + r::kCurVFormat, 7u << 29);
        client.Write(node, base + r::kCurVMode, 0);
        client.Write(node, base + r::kIsoChannel,
                     (static_cast<std::uint32_t>(i) << 28) | (2u << 24));
        rec::RequestRecord start(rec::request::IsoStart, rec::Layout::Compact);
        start.Set(rec::iso_start::BuffersRequested, 10);
        start.Set(rec::iso_start::PacketsPerFrame,
                  (kWidth * kHeight * 2 + kPayload - 1) / kPayload);
        start.Set(rec::iso_start::BytesPerPacket, kPayload);
        start.Set(rec::iso_start::FirstPacketSelection, (15u << 16) | 1);
        start.Set(rec::iso_start::DmaChannelSelection,
                  (0x3Fu << 16) | static_cast<std::uint32_t>(i));
        if (client.Send(start) != 0) {
            state.SkipWithError("isochronous start refused");
            return;
        }
        contexts[i] = static_cast<std::uint32_t>(start.Get(rec::iso_start::Context));
        client.Write(node, base + r::kIsoEn, 0x80000000);
    }
    std::uint64_t frames = 0;
    for (auto _ : state) {
        // A tenth of a second at a time, taking every frame as it comes.
        for (int step = 0; step < 10; ++step) {
            clock.Advance(100);
            bus.Pump();
            for (std::uint32_t ctx : contexts) {
                for (;;) {
                    rec::RequestRecord inquire(rec::request::IsoInquire, rec::Layout::Compact);
                    inquire.Set(rec::header::Param1, ctx);
                    client.Send(inquire);
                    const auto handle = inquire.Get(rec::iso_frame::BufferHandle);
                    if (handle == 0) {
                        break;
                    }
                    ++frames;
                    rec::RequestRecord post(rec::request::IsoPost, rec::Layout::Compact);
                    post.Set(rec::iso_frame::BufferHandle, handle);
                    post.Set(rec::iso_frame::PostContext, ctx);
                    post.Set(rec::iso_frame::PostMarker, 1);
                    client.Send(post);
                }
            }
        }
    }
    state.counters["sim_seconds_per_second"] =
        benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["frames_per_sim_second"] =
        benchmark::Counter(static_cast<double>(frames) / static_cast<double>(state.iterations()));
    state.counters["payload_MB_per_sim_second"] =
        benchmark::Counter(kCameras * kPayload * 8000.0 / 1e6);
}
BENCHMARK(FourCamerasAtTheBusLimit)->Unit(benchmark::kMillisecond)->UseRealTime();

void RenderOneFrame(benchmark::State& state) {
    const auto coding = static_cast<std::uint8_t>(state.range(0));
    const sim::TestPattern pattern(1600, 1200, coding);
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(pattern.FrameBytes()));
    std::uint64_t n = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(pattern.Render(n++, buffer.data(), buffer.size()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * buffer.size()));
}
BENCHMARK(RenderOneFrame)->DenseRange(0, 6)->Unit(benchmark::kMicrosecond);

}  // namespace
