// The event wait, error events and bus information.
#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "BusFixture.h"
#include "FakeBus.h"

namespace tk::testing {
namespace {

namespace rec = records;

class EventsTest : public BusFixture {
protected:
    void SetUp() override {
        BusFixture::SetUp();
        OpenCardAndBus();
    }

    // Request 113 answers these words in turn.
    void AnswerWaits(std::deque<std::uint32_t> words) {
        waitWords_ = std::move(words);
        driver_.On(113, [this](rec::Layout layout, std::uint8_t* record, std::uint32_t) {
            rec::PutField(record, layout, rec::header::Param1, waitWords_.front());
            waitWords_.pop_front();
            return ScriptedReply{};
        });
    }

    std::deque<std::uint32_t> waitWords_;
};
INSTANTIATE_BOTH_LAYOUTS(EventsTest);

TEST_P(EventsTest, WaitTimeInMillisecondsRoundsUp) {
    const struct {
        std::uint32_t microseconds;
        std::uint32_t milliseconds;
    } cases[] = {{0, 0xFFFFFFFF}, {1, 1}, {1000, 1}, {1001, 2}, {1500000, 1500}};
    for (const auto& c : cases) {
        AnswerWaits({TK_EVENT_BUS_RESET});
        driver_.ClearRecords();
        std::uint32_t word = 0;
        ASSERT_EQ(TK_OK, TKWaitEvent(0, &word, c.microseconds));
        EXPECT_EQ(TK_EVENT_BUS_RESET, word);
        const ExchangedRecord r = OnlyRecordOf(113);
        EXPECT_EQ(c.milliseconds, r.Get(rec::header::Param1)) << c.microseconds << " us";
        EXPECT_EQ(c.milliseconds, r.waitMilliseconds) << c.microseconds << " us";
        EXPECT_EQ(HeaderSize(), r.sent.size());
    }
}

TEST_P(EventsTest, QueuedNotificationsNeverReachTheCaller) {
    AnswerWaits({TK_EVENT_NOTIFICATIONS, TK_EVENT_NOTIFICATIONS | TK_EVENT_ISO1});
    int discards = 0;
    driver_.On(135, [&](rec::Layout layout, std::uint8_t* record, std::uint32_t) {
        // Two notifications queued each time, then the queue is empty.
        rec::PutField(record, layout, rec::header::Status, ++discards % 3 == 0 ? TKDRV_NO_DATA : 0);
        return ScriptedReply{};
    });
    std::uint32_t word = 0;
    ASSERT_EQ(TK_OK, TKWaitEvent(0, &word, 1000000));
    EXPECT_EQ(TK_EVENT_ISO1, word);
    EXPECT_EQ(2u, driver_.RecordsOf(113).size()) << "a word of only 0x2000 is waited past";
    EXPECT_EQ(6, discards);
}

TEST_P(EventsTest, WaitFailures) {
    std::uint32_t word = 0x77;
    driver_.On(113, [](rec::Layout, std::uint8_t*, std::uint32_t) {
        return ScriptedReply{ExchangeOutcome::TimedOut, {}};
    });
    EXPECT_EQ(TKDRV_TIMEOUT, TKWaitEvent(0, &word, 1000));
    driver_.AnswerLength(113, HeaderSize() + 4);
    EXPECT_EQ(TKE_WRONG_LENGTH, TKWaitEvent(0, &word, 1000));
    EXPECT_EQ(0x77u, word);
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKWaitEvent(10, &word, 1000));
    EXPECT_EQ(TKE_NOT_OPENED, TKWaitEvent(1, &word, 1000));
}

TEST_P(EventsTest, ErrorEventsAndCancel) {
    driver_.On(115, [](rec::Layout layout, std::uint8_t* record, std::uint32_t) {
        rec::PutField(record, layout, rec::header::Param1, 0x00400001);
        return ScriptedReply{};
    });
    std::uint32_t errors = 0;
    EXPECT_EQ(TK_OK, TKGetErrors(0, &errors));
    EXPECT_EQ(0x00400001u, errors);
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKGetErrors(0, nullptr));
    EXPECT_EQ(TKE_NOT_OPENED, TKGetErrors(3, &errors));
    EXPECT_EQ(TK_OK, TKCancelWait(0));
    EXPECT_EQ(1u, driver_.RecordsOf(114).size());
    EXPECT_EQ(TKE_NOT_OPENED, TKCancelWait(3));
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKCancelWait(10));
}

class BusInfoTest : public EventsTest {
protected:
    void SetUp() override {
        EventsTest::SetUp();
        // Node 0 the adapter (claims no contender bit), node 1 with two extension
        // packets, node 2 claiming to be the adapter.
        bus_.SetSelfIds({SelfId(0, 2), SelfId(1, 1, true, true), 0x00000001, 0x00000000,
                         SelfId(2, 0) | TK_SELFID_LOCAL_NODE},
                        3, 0);
    }
    FakeBus bus_{driver_};
};
INSTANTIATE_BOTH_LAYOUTS(BusInfoTest);

TEST_P(BusInfoTest, EntriesAndNodeTable) {
    TKSelfIdEntry entries[4] = {};
    entries[2].quadlets[3] = 0xCAFE;
    std::uint32_t count = 0;
    ASSERT_EQ(TK_OK, TKGetBusInfo(0, 4, &count, entries));
    EXPECT_EQ(3u, count);
    EXPECT_EQ(SelfId(0, 2) | TK_SELFID_LOCAL_NODE, entries[0].quadlets[0]);
    EXPECT_EQ(SelfId(1, 1, true, true), entries[1].quadlets[0]);
    EXPECT_EQ(0x00000001u, entries[1].quadlets[1]);
    EXPECT_EQ(0x00000000u, entries[1].quadlets[2]);
    EXPECT_EQ(SelfId(2, 0), entries[2].quadlets[0]) << "only the adapter keeps bit 11";
    EXPECT_EQ(0xCAFEu, entries[2].quadlets[3]) << "missing extension packets are not written";
    const ExchangedRecord r = OnlyRecordOf(108);
    EXPECT_EQ(32u, r.Get(rec::bus_info::Capacity));
    EXPECT_EQ(0u, driver_.LentBufferCount()) << "the buffer is given back";

    // Speeds: at most the node's own; unknown nodes have none.
    EXPECT_EQ(TK_OK, TKSetSpeed(0, 0, 2));
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKSetSpeed(0, 1, 2));
    EXPECT_EQ(TK_OK, TKSetSpeed(0, 1, 1));
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKSetSpeed(0, 2, 1));
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKSetSpeed(0, 3, 0));
    driver_.ClearRecords();
    ASSERT_EQ(TK_OK, TKWriteQuad(0, 1, 0xFFFF, 0xF0F00000, 0));
    EXPECT_EQ(1u, OnlyRecordOf(109).Get(rec::quad::Speed));

    // A refresh forgets the chosen speeds; closing the bus forgets the nodes.
    ASSERT_EQ(TK_OK, TKGetBusInfo(0, 4, &count, entries));
    driver_.ClearRecords();
    ASSERT_EQ(TK_OK, TKWriteQuad(0, 1, 0xFFFF, 0xF0F00000, 0));
    EXPECT_EQ(0xFFu, OnlyRecordOf(109).Get(rec::quad::Speed));
    ASSERT_EQ(TK_OK, TKCloseBus(0));
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKSetSpeed(0, 1, 0));
}

TEST_P(BusInfoTest, SmallCapacityStillFillsTheNodeTable) {
    TKSelfIdEntry entries[2] = {};
    TKSelfIdEntry guard{{0xAAAA, 0xAAAA, 0xAAAA, 0xAAAA}};
    std::uint32_t count = 0;
    EXPECT_EQ(TKE_INCOMPLETE_COPY, TKGetBusInfo(0, 2, &count, entries));
    EXPECT_EQ(3u, count);
    EXPECT_EQ(SelfId(0, 2) | TK_SELFID_LOCAL_NODE, entries[0].quadlets[0]);
    EXPECT_EQ(SelfId(1, 1, true, true), entries[1].quadlets[0]);
    EXPECT_EQ(0xAAAAu, guard.quadlets[0]);
    EXPECT_EQ(TK_OK, TKSetSpeed(0, 2, 0)) << "the third node is in the table";
}

TEST_P(BusInfoTest, LocalNodeAndArgumentChecks) {
    std::uint32_t node = 99;
    bus_.SetSelfIds({SelfId(0, 2), SelfId(1, 2)}, 2, 1);
    ASSERT_EQ(TK_OK, TKGetLocalNodeId(0, &node));
    EXPECT_EQ(1u, node);
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKSetSpeed(0, 0, 0)) << "the node table is not touched";
    TKSelfIdEntry entries[2];
    std::uint32_t count = 0;
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKGetBusInfo(0, 2, nullptr, entries));
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKGetBusInfo(0, 2, &count, nullptr));
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKGetLocalNodeId(0xFFFFFFFF, &node));
    ASSERT_EQ(TK_OK, TKCloseBus(0));
    EXPECT_EQ(TKE_NOT_OPENED, TKGetBusInfo(0, 2, &count, entries));
    EXPECT_EQ(TKE_NOT_OPENED, TKGetLocalNodeId(0, &node));
}

// Whatever the driver claims, the walk stays inside the 32-quadlet buffer
// and keeps at most three extension packets per node.
TEST_P(BusInfoTest, LyingDriverCannotOverrunTheEntries) {
    std::vector<std::uint32_t> packets(32, 0xFFFFFFFF);  // every packet says "more follow"
    packets[0] = SelfId(4, 1, true, true);
    bus_.SetSelfIds(packets, 40, 0, 40);
    TKSelfIdEntry entries[64];
    std::uint32_t count = 0;
    EXPECT_EQ(TKE_INCOMPLETE_COPY, TKGetBusInfo(0, 16, &count, entries));
    EXPECT_EQ(40u, count);
    EXPECT_EQ(SelfId(4, 1, true, true) & ~TK_SELFID_LOCAL_NODE, entries[0].quadlets[0]);
    EXPECT_EQ(0xFFFFFFFFu, entries[0].quadlets[3]);
}

}  // namespace
}  // namespace tk::testing
