// The bus monitor against the simulated bus, in both record layouts, with a
// manual clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BusFixture.h"
#include "buslib/MainWindowLink.h"
#include "buslib/TK.h"
#include "buslib/testing/ManualClock.h"
#include "buslib/testing/RecordingMainWindow.h"
#include "buslib/testing/ScriptedDriver.h"
#include "sim/SimulatedBus.h"

namespace tk::testing {
namespace {

using records::Layout;

class WorkThreadSimTest : public ::testing::TestWithParam<Layout> {
protected:
    void SetUp() override {
        ASSERT_EQ(TK_OK, TKInitModule());
        ASSERT_EQ(TK_OK, TKOpenCard(0));
        ASSERT_EQ(TK_OK, TKOpenBus(0, 16, 64, 8, 32));  // the bus resets as it opens
        logBefore_ = LogRingCount();
        ASSERT_EQ(1u, StartWorkThread(&workThread_, 0));
        ASSERT_TRUE(mainWindow_.WaitForPosts(kNotifyNodeListChanged, ++refreshes_));
    }
    void TearDown() override {
        StopWorkThread(&workThread_);
        TKExitModule();
    }

    void ResetAndWait() {
        bus_.BusReset(0);
        ASSERT_TRUE(mainWindow_.WaitForPosts(kNotifyNodeListChanged, ++refreshes_));
    }

    std::vector<NodeRecord> Nodes() {
        std::vector<NodeRecord> records(10);
        std::uint32_t count = 10;
        if (CopyNodeRecords(&workThread_, &count, records.data()) == 0) {
            return {};
        }
        records.resize(count);
        return records;
    }

    ManualClock clock_;
    ScopedClock useClock_{clock_};
    sim::SimulatedBus bus_{sim::DefaultScenario(), {GetParam() == Layout::Wide, false}};
    ScopedDriverPlatform usePlatform_{bus_};
    RecordingMainWindow mainWindow_;
    ScopedMainWindow useMainWindow_{mainWindow_};
    WorkThread workThread_;
    std::size_t refreshes_ = 0;
    std::uint32_t logBefore_ = 0;
};

TEST_P(WorkThreadSimTest, NodeListFollowsTheCamerasOnTheBus) {
    auto nodes = Nodes();
    ASSERT_EQ(2u, nodes.size());
    for (const NodeRecord& n : nodes) {
        const std::string name =
            n.node == static_cast<std::uint32_t>(*bus_.NodeNumber("mono")) ? "mono" : "colour";
        SCOPED_TRACE(name);
        ASSERT_TRUE(bus_.NodeNumber(name).has_value());
        EXPECT_EQ(static_cast<std::uint32_t>(*bus_.NodeNumber(name)), n.node);
        EXPECT_EQ(bus_.CommandBase(name), n.commandRegisterBase);
        EXPECT_STREQ("Oriscope Simulation", n.vendorName);
        EXPECT_STREQ(name == "mono" ? "SIM-M1280 Mono" : "SIM-C1024 Colour", n.modelName);
        EXPECT_EQ(0u, n.card);
        EXPECT_EQ(2u, n.speed);
    }

    ASSERT_TRUE(bus_.Unplug("mono"));
    ASSERT_TRUE(mainWindow_.WaitForPosts(kNotifyNodeListChanged, ++refreshes_));
    nodes = Nodes();
    ASSERT_EQ(1u, nodes.size());
    EXPECT_STREQ("SIM-C1024 Colour", nodes[0].modelName);

    ASSERT_TRUE(bus_.Unplug("colour"));
    ASSERT_TRUE(mainWindow_.WaitForPosts(kNotifyNodeListChanged, ++refreshes_));
    EXPECT_TRUE(Nodes().empty()) << "only the adapter is left, and it is still announced";

    ASSERT_TRUE(bus_.Plug("mono"));
    ASSERT_TRUE(mainWindow_.WaitForPosts(kNotifyNodeListChanged, ++refreshes_));
    nodes = Nodes();
    ASSERT_EQ(1u, nodes.size());
    EXPECT_STREQ("SIM-M1280 Mono", nodes[0].modelName);
    // The monitor's refresh made the node known: its speed can be chosen again.
    EXPECT_EQ(TK_OK, TKSetSpeed(0, nodes[0].node, 2));
}

TEST_P(WorkThreadSimTest, ErrorEventsAreReadAndLogged) {
    bus_.RaiseErrorEvents(0, 0x00020001);
    ResetAndWait();  // the error word came before or together with this reset
    ResetAndWait();  // and that pass of the loop has ended
    bool found = false;
    const std::uint32_t n = LogRingCount() - logBefore_;
    for (std::uint32_t i = 0; i < n && i < TK_LOG_SLOTS; ++i) {
        const LogEntry& e =
            LogRingSlots()[(LogRingWriteIndex() + TK_LOG_SLOTS - 1 - i) % TK_LOG_SLOTS];
        found = found || (e.kind == TK_LOG_ERROR_EVENTS && e.value1 == 0x00020001);
    }
    EXPECT_TRUE(found) << "no ErrorEvents entry with the word 00020001";
}

TEST_P(WorkThreadSimTest, StopEndsTheThread) {
    EXPECT_EQ(1u, StopWorkThread(&workThread_));
    EXPECT_FALSE(workThread_.thread.joinable());
    std::uint32_t count = 10;
    NodeRecord records[10];
    EXPECT_EQ(0u, CopyNodeRecords(&workThread_, &count, records)) << "the node list is freed";
}

INSTANTIATE_TEST_SUITE_P(Layouts, WorkThreadSimTest,
                         ::testing::Values(Layout::Compact, Layout::Wide), LayoutName);

// The event wait straight against the simulated driver.
TEST(WaitEventSimTest, QueuedNotificationsAreDiscarded) {
    ManualClock clock;
    ScopedClock useClock(clock);
    sim::SimulatedBus bus(sim::DefaultScenario());
    ScopedDriverPlatform usePlatform(bus);
    ASSERT_EQ(TK_OK, TKInitModule());
    ASSERT_EQ(TK_OK, TKOpenCard(0));
    ASSERT_EQ(TK_OK, TKOpenBus(0, 16, 64, 8, 32));
    std::uint32_t word = 0;
    ASSERT_EQ(TK_OK, TKWaitEvent(0, &word, 1000));  // the reset of the opening
    EXPECT_EQ(TK_EVENT_BUS_RESET, word & TK_EVENT_BUS_RESET);
    bus.QueueNotifications(0, 5);
    bus.RaiseErrorEvents(0, 0x4);
    ASSERT_EQ(TK_OK, TKWaitEvent(0, &word, 1000));
    EXPECT_EQ(0u, word & TK_EVENT_NOTIFICATIONS);
    EXPECT_EQ(TK_EVENT_ERRORS, word & TK_EVENT_ERRORS);
    std::uint32_t errors = 0;
    EXPECT_EQ(TK_OK, TKGetErrors(0, &errors));
    EXPECT_EQ(0x4u, errors);
    EXPECT_EQ(TKDRV_TIMEOUT, TKWaitEvent(0, &word, 1000));
    TKExitModule();
}

}  // namespace
}  // namespace tk::testing
