// The bus monitor thread against a fake bus, with a manual clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <vector>

#include "BusFixture.h"
#include "FakeBus.h"
#include "buslib/MainWindowLink.h"
#include "buslib/testing/RecordingMainWindow.h"

namespace tk::testing {
namespace {

namespace rec = records;

// The entries logged since the ring held `countBefore` entries.
std::vector<LogEntry> LogSince(std::uint32_t countBefore) {
    const std::uint32_t n = std::min<std::uint32_t>(LogRingCount() - countBefore, TK_LOG_SLOTS);
    std::vector<LogEntry> entries;
    const std::uint32_t first = (LogRingWriteIndex() + TK_LOG_SLOTS - n) % TK_LOG_SLOTS;
    for (std::uint32_t i = 0; i < n; ++i) {
        entries.push_back(LogRingSlots()[(first + i) % TK_LOG_SLOTS]);
    }
    return entries;
}

std::vector<LogEntry> OfKind(const std::vector<LogEntry>& entries, std::uint32_t kind) {
    std::vector<LogEntry> matching;
    std::copy_if(entries.begin(), entries.end(), std::back_inserter(matching),
                 [kind](const LogEntry& e) { return e.kind == kind; });
    return matching;
}

class CountingHandler final : public IsoFrameHandler {
public:
    void OnIsoEvent() override {
        std::lock_guard lock(mutex_);
        ++calls_;
    }
    int Calls() {
        std::lock_guard lock(mutex_);
        return calls_;
    }

private:
    std::mutex mutex_;
    int calls_ = 0;
};

class WorkThreadTest : public BusFixture {
protected:
    void SetUp() override {
        BusFixture::SetUp();
        OpenCardAndBus();
        logBefore_ = LogRingCount();
    }
    void TearDown() override {
        StopWorkThread(&workThread_);
        BusFixture::TearDown();
    }

    void Start() { ASSERT_EQ(1u, StartWorkThread(&workThread_, 0)); }

    // A bus reset, and the wait until the thread has published its node list.
    void ResetAndWait() {
        bus_.Raise(TK_EVENT_BUS_RESET);
        ASSERT_TRUE(mainWindow_.WaitForPosts(kNotifyNodeListChanged, ++resets_))
            << "no node list notification";
    }

    std::vector<NodeRecord> Nodes(std::uint32_t* result = nullptr) {
        std::vector<NodeRecord> records(10);
        std::uint32_t count = 10;
        const std::uint32_t r = CopyNodeRecords(&workThread_, &count, records.data());
        if (result) {
            *result = r;
        }
        records.resize(r ? count : 0);
        return records;
    }

    void CameraAt(std::uint32_t node, CameraRom rom = {}) { bus_.SetRom(node, rom.Build()); }

    FakeBus bus_{driver_};
    RecordingMainWindow mainWindow_;
    ScopedMainWindow useMainWindow_{mainWindow_};
    WorkThread workThread_;
    std::uint32_t logBefore_ = 0;
    std::size_t resets_ = 0;
};
INSTANTIATE_BOTH_LAYOUTS(WorkThreadTest);

TEST_P(WorkThreadTest, StartsOnceAndStopsOnCancel) {
    Start();
    EXPECT_EQ(0u, StartWorkThread(&workThread_, 0));
    EXPECT_EQ(1u, StopWorkThread(&workThread_));
    EXPECT_FALSE(workThread_.thread.joinable());
    EXPECT_EQ(0u, StopWorkThread(&workThread_));
    EXPECT_EQ(1u, driver_.RecordsOf(114).size());
    EXPECT_EQ(1, driver_.TimeCriticalRaises());
    const auto log = LogSince(logBefore_);
    ASSERT_EQ(2u, log.size());
    EXPECT_EQ(TK_LOG_WORKTHREAD_STARTS, log[0].kind);
    EXPECT_EQ(TK_LOG_WORKTHREAD_STOPS, log[1].kind);
}

TEST_P(WorkThreadTest, BusWithOnlyTheAdapterStillNotifies) {
    bus_.SetSelfIds({SelfId(0, 2)}, 1, 0);
    Start();
    ResetAndWait();
    std::uint32_t result = 9;
    EXPECT_TRUE(Nodes(&result).empty());
    EXPECT_EQ(0u, result) << "no node list at all";
    EXPECT_EQ(1u, OfKind(LogSince(logBefore_), TK_LOG_BUS_RESET).size());
    const auto sleeps = clock_.Sleeps();
    ASSERT_FALSE(sleeps.empty());
    EXPECT_EQ(200u, sleeps.front());
}

TEST_P(WorkThreadTest, OneCameraIsDescribedFromItsRom) {
    bus_.SetSelfIds({SelfId(0, 2), SelfId(1, 1)}, 2, 0);
    CameraRom rom;
    rom.vendor = "Vendor Name";
    rom.model = "Model X";
    CameraAt(1, rom);
    Start();
    ResetAndWait();
    const auto nodes = Nodes();
    ASSERT_EQ(1u, nodes.size());
    const NodeRecord& n = nodes[0];
    EXPECT_EQ(0u, n.card);
    EXPECT_EQ(1u, n.node);
    EXPECT_EQ(1u, n.speed);
    EXPECT_EQ(CameraRom::kUnit, n.unitDirectory);
    EXPECT_EQ(CameraRom::kUnitDependent, n.unitDependentDirectory);
    EXPECT_EQ(0xF0F00000u, n.commandRegisterBase);
    EXPECT_EQ(CameraRom::kVendorLeaf, n.vendorLeaf);
    EXPECT_EQ(CameraRom::kModelLeaf, n.modelLeaf);
    EXPECT_EQ(rom.uniqueIdHigh, n.uniqueIdHigh);
    EXPECT_EQ(rom.uniqueIdLow, n.uniqueIdLow);
    EXPECT_STREQ("Vendor Name", n.vendorName);
    EXPECT_STREQ("Model X", n.modelName);
    EXPECT_EQ(nullptr, n.view);
    EXPECT_EQ(0, bus_.ReadsOf(0)) << "the adapter is never read";
    // Every successful ROM read is followed by 10 ms.
    const auto sleeps = clock_.Sleeps();
    EXPECT_EQ(static_cast<std::size_t>(bus_.ReadsOf(1)),
              static_cast<std::size_t>(std::count(sleeps.begin(), sleeps.end(), 10u)));
}

TEST_P(WorkThreadTest, TwoCamerasInBusOrder) {
    bus_.SetSelfIds({SelfId(0, 2), SelfId(1, 2), SelfId(2, 2)}, 3, 2);
    CameraRom first;
    first.model = "first";
    CameraRom second;
    second.model = "second";
    CameraAt(0, first);
    CameraAt(1, second);
    Start();
    ResetAndWait();
    const auto nodes = Nodes();
    ASSERT_EQ(2u, nodes.size());
    EXPECT_STREQ("first", nodes[0].modelName);
    EXPECT_STREQ("second", nodes[1].modelName);

    std::uint32_t count = 1;
    NodeRecord one{};
    EXPECT_EQ(1u, CopyNodeRecords(&workThread_, &count, &one));
    EXPECT_EQ(1u, count);
    EXPECT_EQ(0u, one.node);
}

TEST_P(WorkThreadTest, NodesThatAreNoCandidatesAreNeverRead) {
    bus_.SetSelfIds(
        {SelfId(0, 2), SelfId(1, 2, true, true), 0x00000000, SelfId(2, 2, false), SelfId(3, 2)}, 4,
        0);
    for (std::uint32_t node : {1u, 2u, 3u}) {
        CameraAt(node);
    }
    Start();
    ResetAndWait();
    EXPECT_EQ(0, bus_.ReadsOf(1)) << "extension packets";
    EXPECT_EQ(0, bus_.ReadsOf(2)) << "link inactive";
    const auto nodes = Nodes();
    ASSERT_EQ(1u, nodes.size());
    EXPECT_EQ(3u, nodes[0].node);
}

TEST_P(WorkThreadTest, UnreadableRomLeavesTheNodeOut) {
    bus_.SetSelfIds({SelfId(0, 2), SelfId(1, 2), SelfId(2, 2)}, 3, 0);
    CameraAt(2);  // node 1 answers nothing
    Start();
    ResetAndWait();
    const auto nodes = Nodes();
    ASSERT_EQ(1u, nodes.size());
    EXPECT_EQ(2u, nodes[0].node);
    EXPECT_EQ(3, bus_.ReadsOf(1)) << "three attempts, then the node is abandoned";
    const auto errors = OfKind(LogSince(logBefore_), TK_LOG_ERROR);
    ASSERT_EQ(1u, errors.size());
    EXPECT_EQ(TKDRV_NO_ACK, errors[0].value1);
    EXPECT_STREQ("TKReadQuad", reinterpret_cast<const char*>(errors[0].value2));
    const auto sleeps = clock_.Sleeps();
    EXPECT_EQ(3, std::count(sleeps.begin(), sleeps.end(), 5u));
}

TEST_P(WorkThreadTest, TooManyNodesLeaveTheListEmpty) {
    std::vector<std::uint32_t> packets;
    for (std::uint32_t node = 0; node < 17; ++node) {
        packets.push_back(SelfId(node, 2));
    }
    bus_.SetSelfIds(packets, 17, 16);
    CameraAt(0);
    Start();
    ResetAndWait();
    EXPECT_TRUE(Nodes().empty());
    const auto errors = OfKind(LogSince(logBefore_), TK_LOG_ERROR);
    ASSERT_EQ(1u, errors.size());
    EXPECT_EQ(TKE_INCOMPLETE_COPY, errors[0].value1);
    EXPECT_STREQ("TKGetBusInfo", reinterpret_cast<const char*>(errors[0].value2));
}

TEST_P(WorkThreadTest, FrameEventsGoToTheirHandlers) {
    bus_.SetSelfIds({SelfId(0, 2)}, 1, 0);
    CountingHandler context1;
    CountingHandler context3;
    SetIsoHandler(&workThread_, 1, &context1);
    SetIsoHandler(&workThread_, 3, &context3);
    SetIsoHandler(&workThread_, 4, &context3);  // no such context: ignored
    Start();
    bus_.Raise(TK_EVENT_ISO1);
    bus_.Raise(TK_EVENT_ISO1 | TK_EVENT_ISO3);
    bus_.Raise(TK_EVENT_ISO3);
    bus_.Raise(TK_EVENT_ISO0 | TK_EVENT_ISO2);  // nobody registered
    ResetAndWait();                             // every earlier word was handled
    EXPECT_EQ(2, context1.Calls());
    EXPECT_EQ(2, context3.Calls()) << "context 3 alone is dispatched as well";
    const auto clears = driver_.RecordsOf(117);
    ASSERT_EQ(2u, clears.size());
    EXPECT_EQ(0u, clears[0].Get(rec::header::Param1));
    EXPECT_EQ(2u, clears[1].Get(rec::header::Param1));

    ClearIsoHandler(&workThread_, 1);
    bus_.Raise(TK_EVENT_ISO1);
    ResetAndWait();
    EXPECT_EQ(2, context1.Calls());
    EXPECT_EQ(3u, driver_.RecordsOf(117).size());
}

TEST_P(WorkThreadTest, FailedClearIsLogged) {
    bus_.SetSelfIds({SelfId(0, 2)}, 1, 0);
    driver_.AnswerStatus(117, TKDRV_NOT_STARTED);
    Start();
    bus_.Raise(TK_EVENT_ISO2);
    ResetAndWait();
    const auto errors = OfKind(LogSince(logBefore_), TK_LOG_ERROR);
    ASSERT_EQ(1u, errors.size());
    EXPECT_EQ(TKDRV_NOT_STARTED, errors[0].value1);
    EXPECT_STREQ("TKIsoClear", reinterpret_cast<const char*>(errors[0].value2));
}

TEST_P(WorkThreadTest, ErrorEventsAreLogged) {
    bus_.SetSelfIds({SelfId(0, 2)}, 1, 0);
    bus_.SetErrors(0, 0x00020001);
    Start();
    bus_.Raise(TK_EVENT_ERRORS);
    ResetAndWait();
    bus_.SetErrors(TKDRV_HARDWARE, 0);
    bus_.Raise(TK_EVENT_ERRORS);
    ResetAndWait();
    const auto log = LogSince(logBefore_);
    const auto events = OfKind(log, TK_LOG_ERROR_EVENTS);
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(0x00020001u, events[0].value1);
    const auto errors = OfKind(log, TK_LOG_ERROR);
    ASSERT_EQ(1u, errors.size());
    EXPECT_EQ(TKDRV_HARDWARE, errors[0].value1);
    EXPECT_STREQ("TKGetErrors", reinterpret_cast<const char*>(errors[0].value2));
}

TEST_P(WorkThreadTest, StopsEvenWhenTheDriverIgnoresTheCancel) {
    driver_.AnswerStatus(114, TKDRV_BUSY);  // the wait is never ended with the stop bit
    Start();
    EXPECT_EQ(1u, StopWorkThread(&workThread_));
    EXPECT_FALSE(workThread_.thread.joinable());
}

TEST_P(WorkThreadTest, FailingWaitIsLoggedAndRetried) {
    bus_.SetSelfIds({SelfId(0, 2)}, 1, 0);
    int failures = 0;
    driver_.On(113, [&](rec::Layout layout, std::uint8_t* record, std::uint32_t) {
        if (failures < 2) {
            ++failures;
            return ScriptedReply{ExchangeOutcome::DeviceError, {}};
        }
        rec::PutField(record, layout, rec::header::Param1, TK_EVENT_BUS_RESET | TK_EVENT_STOP);
        return ScriptedReply{};
    });
    Start();
    ASSERT_TRUE(mainWindow_.WaitForPosts(kNotifyNodeListChanged, 1));
    workThread_.thread.join();  // the stop bit ended it
    const auto errors = OfKind(LogSince(logBefore_), TK_LOG_ERROR);
    ASSERT_EQ(2u, errors.size());
    EXPECT_EQ(TKE_DEVICE_IO_CONTROL, errors[0].value1);
    EXPECT_STREQ("TKWaitEvent", reinterpret_cast<const char*>(errors[0].value2));
}

}  // namespace
}  // namespace tk::testing
