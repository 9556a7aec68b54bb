// The simulated driver at the level of request records, in both layouts:
// what TK functions cannot show (reply lengths, unknown requests, statuses
// of requests out of order).
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "buslib/RequestRecords.h"
#include "buslib/testing/ManualClock.h"
#include "sim/SimRegisters.h"
#include "sim/SimulatedBus.h"

namespace sim {
namespace {

namespace rec = tk::records;
using rec::Layout;

class DriverContract : public ::testing::TestWithParam<Layout> {
protected:
    DriverContract() : bus_(DefaultScenario(), {GetParam() == Layout::Wide, false}) {
        device_ = bus_.OpenDevice("\\\\.\\TKSIM0");
    }
    ~DriverContract() override { bus_.CloseDevice(device_); }

    struct Reply {
        tk::ExchangeOutcome outcome;
        std::uint32_t length;
        std::uint32_t status;
    };
    Reply Send(rec::RequestRecord& r, std::uint32_t waitMs = tk::kWaitInfinite) {
        std::uint32_t length = 0;
        const auto outcome = bus_.Exchange(device_, rec::ControlCode(GetParam()), r.Data(),
                                           r.Size(), waitMs, &length);
        return {outcome, length, r.Status()};
    }
    rec::RequestRecord Record(const rec::RequestSpec& spec) {
        return rec::RequestRecord(spec, GetParam());
    }
    std::uint32_t Size(const rec::RequestSpec& spec) { return spec.Size(GetParam()); }
    std::uint32_t Header() { return rec::HeaderSize(GetParam()); }
    void OpenBus() {
        auto r = Record(rec::request::OpenBus);
        ASSERT_EQ(0u, Send(r).status);
    }
    std::uint32_t Events(std::uint32_t waitMs = 0) {
        auto r = Record(rec::request::WaitEvents);
        r.Set(rec::header::Param1, waitMs);
        const Reply reply = Send(r, waitMs);
        return reply.outcome == tk::ExchangeOutcome::Completed
                   ? static_cast<std::uint32_t>(r.Get(rec::header::Param1))
                   : 0;
    }

    tk::testing::ManualClock clock_;
    tk::testing::ScopedClock scopedClock_{clock_};
    SimulatedBus bus_;
    tk::DeviceHandle device_;
};

TEST_P(DriverContract, EveryRequestRepliesWithTheLengthARealDriverGives) {
    OpenBus();
    namespace q = rec::request;
    for (const rec::RequestSpec* spec :
         {&q::DriverVersion, &q::CloseBus, &q::OpenBus, &q::ReadQuad, &q::WriteQuad,
          &q::ErrorEvents, &q::IsoInquire, &q::IsoClear, &q::IsoStop, &q::DiscardNotification,
          &q::CancelWait}) {
        auto r = Record(*spec);
        const Reply reply = Send(r);
        EXPECT_EQ(tk::ExchangeOutcome::Completed, reply.outcome) << spec->name;
        EXPECT_EQ(Size(*spec), reply.length) << spec->name;
    }
    // A post with a buffer handle gets only the header back, whatever its status.
    auto post = Record(q::IsoPost);
    post.Set(rec::iso_frame::BufferHandle, 1234);
    const Reply reply = Send(post);
    EXPECT_EQ(Header(), reply.length);
    EXPECT_EQ(reg::kStatusInputParameters, reply.status);
    auto empty = Record(q::IsoPost);
    EXPECT_EQ(Size(q::IsoPost), Send(empty).length);
}

TEST_P(DriverContract, VersionIs0207) {
    auto r = Record(rec::request::DriverVersion);
    ASSERT_EQ(0u, Send(r).status);
    EXPECT_EQ(0x0207u, r.Get(rec::header::Param1) >> 16);
}

TEST_P(DriverContract, UnknownRequestsAreNotImplemented) {
    std::uint8_t record[32] = {};
    rec::Put32(record, 999);
    std::uint32_t length = 0;
    ASSERT_EQ(tk::ExchangeOutcome::Completed,
              bus_.Exchange(device_, rec::ControlCode(GetParam()), record, Header(),
                            tk::kWaitInfinite, &length));
    EXPECT_EQ(reg::kStatusNotImplemented, rec::Get32(record));
    EXPECT_EQ(Header(), length);
    // A record too short for its request, a wrong control code, a closed handle.
    rec::Put32(record, 110);
    EXPECT_EQ(tk::ExchangeOutcome::DeviceError,
              bus_.Exchange(device_, rec::ControlCode(GetParam()), record, Header(),
                            tk::kWaitInfinite, &length));
    EXPECT_EQ(tk::ExchangeOutcome::DeviceError,
              bus_.Exchange(device_, 0x80002004, record, 32, tk::kWaitInfinite, &length));
    EXPECT_EQ(tk::ExchangeOutcome::DeviceError,
              bus_.Exchange(device_ + 77, rec::ControlCode(GetParam()), record, 32,
                            tk::kWaitInfinite, &length));
}

TEST_P(DriverContract, BusRequestsNeedAnOpenBus) {
    for (const auto* spec : {&rec::request::ReadQuad, &rec::request::IsoStart,
                             &rec::request::IsoInquire, &rec::request::CloseBus}) {
        auto r = Record(*spec);
        EXPECT_EQ(reg::kStatusNotStarted, Send(r).status) << spec->name;
    }
    OpenBus();
    auto again = Record(rec::request::OpenBus);
    EXPECT_EQ(reg::kStatusStartedTwice, Send(again).status);
}

TEST_P(DriverContract, QuadletsTravelInBusOrder) {
    OpenBus();
    auto r = Record(rec::request::ReadQuad);
    r.Set(rec::quad::Speed, 0xFF);
    r.Set(rec::quad::Node, 0);
    r.Set(rec::quad::AddressHigh, 0xFFFF);
    r.Set(rec::quad::AddressLow, reg::kBusInfoName);
    ASSERT_EQ(0u, Send(r).status);
    const std::uint8_t* q = r.Data() + rec::quad::Quadlet.Offset(GetParam());
    EXPECT_EQ('1', q[0]);
    EXPECT_EQ('3', q[1]);
    EXPECT_EQ('9', q[2]);
    EXPECT_EQ('4', q[3]);
}

TEST_P(DriverContract, BusInformationFillsTheCallersBuffer) {
    OpenBus();
    std::uint32_t quadlets[32] = {};
    auto r = Record(rec::request::BusInfo);
    r.Set(rec::bus_info::Capacity, 32);
    const std::uint64_t address = bus_.BufferToDriverAddress(quadlets);
    r.Set(rec::bus_info::BufferAddress, address);
    ASSERT_EQ(0u, Send(r).status);
    bus_.ReleaseDriverAddress(address);
    EXPECT_EQ(3u, r.Get(rec::bus_info::NodeCount));
    EXPECT_EQ(3u, r.Get(rec::bus_info::NodesDescribed));
    EXPECT_EQ(2u, r.Get(rec::bus_info::LocalNode));
    for (std::uint32_t n = 0; n < 3; ++n) {
        EXPECT_EQ(n, (quadlets[n] >> 24) & 0x3F);
        EXPECT_EQ(0x80000000u, quadlets[n] & 0xC0000000u) << "self-ID packet identifier";
    }
    // An address the driver did not hand out is refused, never written to.
    if (GetParam() == Layout::Compact && sizeof(void*) > 4) {
        auto stale = Record(rec::request::BusInfo);
        stale.Set(rec::bus_info::Capacity, 32);
        stale.Set(rec::bus_info::BufferAddress, address);
        EXPECT_EQ(reg::kStatusInputParameters, Send(stale).status);
    }
}

TEST_P(DriverContract, FiniteWaitTimesOutAndCancelEndsEveryLaterWait) {
    OpenBus();
    EXPECT_EQ(reg::kEventBusReset, Events(10));
    auto wait = Record(rec::request::WaitEvents);
    wait.Set(rec::header::Param1, 5);
    EXPECT_EQ(tk::ExchangeOutcome::TimedOut, Send(wait, 5).outcome);

    std::atomic<std::uint32_t> word{0};
    std::thread waiter([&] { word = Events(tk::kWaitInfinite); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    auto cancel = Record(rec::request::CancelWait);
    EXPECT_EQ(0u, Send(cancel).status);
    waiter.join();
    EXPECT_EQ(reg::kEventStop, word.load());
    EXPECT_EQ(reg::kEventStop, Events(tk::kWaitInfinite));
}

TEST_P(DriverContract, NotificationsAreDiscardedOneByOne) {
    bus_.QueueNotifications(0, 2);
    EXPECT_EQ(reg::kEventNotifications, Events(10));
    for (std::uint32_t expected : {0u, 0u, reg::kStatusNoData}) {
        auto r = Record(rec::request::DiscardNotification);
        EXPECT_EQ(expected, Send(r).status);
    }
}

TEST_P(DriverContract, ErrorWordIsReadOnce) {
    bus_.RaiseErrorEvents(0, 0x00020001);
    EXPECT_EQ(reg::kEventErrors, Events(10));
    auto r = Record(rec::request::ErrorEvents);
    ASSERT_EQ(0u, Send(r).status);
    EXPECT_EQ(0x00020001u, r.Get(rec::header::Param1));
    auto again = Record(rec::request::ErrorEvents);
    ASSERT_EQ(0u, Send(again).status);
    EXPECT_EQ(0u, again.Get(rec::header::Param1));
}

TEST_P(DriverContract, DevicesOpenExclusivelyByTheirLinkName) {
    EXPECT_EQ(tk::kInvalidDevice, bus_.OpenDevice("\\\\.\\TKSIM0"));  // already open
    EXPECT_EQ(tk::kInvalidDevice, bus_.OpenDevice("\\\\.\\TKSIM1"));
    EXPECT_EQ(tk::kInvalidDevice, bus_.OpenDevice("TKSIM0"));
    bus_.CloseDevice(device_);
    device_ = bus_.OpenDevice("\\\\.\\tksim0");
    EXPECT_NE(tk::kInvalidDevice, device_);
    std::uint32_t mask = 0;
    EXPECT_TRUE(bus_.ReadRegistryDword("cardmask", &mask));
    EXPECT_EQ(1u, mask);
    char link[64];
    EXPECT_TRUE(bus_.ReadRegistryString("SymbolicLinkName0", link, sizeof link));
    EXPECT_STREQ("\\DosDevices\\TKSIM0", link);
    EXPECT_FALSE(bus_.ReadRegistryString("SymbolicLinkName0", link, 5));
    EXPECT_FALSE(bus_.ReadRegistryString("SymbolicLinkName1", link, sizeof link));
    EXPECT_FALSE(bus_.ReadRegistryDword("CardSystemId1", &mask));
}

INSTANTIATE_TEST_SUITE_P(Layouts, DriverContract, ::testing::Values(Layout::Compact, Layout::Wide),
                         [](const ::testing::TestParamInfo<Layout>& p) {
                             return p.param == Layout::Wide ? "Wide" : "Compact";
                         });

}  // namespace
}  // namespace sim
