// The log ring, its notifications and the texts of codes and log lines.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "buslib/MainWindowLink.h"
#include "buslib/TK.h"
#include "buslib/testing/ManualClock.h"
#include "buslib/testing/RecordingMainWindow.h"

namespace tk::testing {
namespace {

class LogRingTest : public ::testing::Test {
protected:
    ManualClock clock_;
    ScopedClock useClock_{clock_};
};

const LogEntry& Slot(std::uint32_t index) {
    return LogRingSlots()[index % TK_LOG_SLOTS];
}

TEST_F(LogRingTest, EntriesWrapAfterSixtyFourSlots) {
    const std::uint32_t firstSlot = LogRingWriteIndex();
    const std::uint32_t countBefore = LogRingCount();
    for (std::uint32_t i = 0; i < 65; ++i) {
        AddLogEntry(TK_LOG_READ_DEVINFO, i, 0, 0, 0);
    }
    EXPECT_EQ(countBefore + 65, LogRingCount());
    EXPECT_EQ((firstSlot + 1) % TK_LOG_SLOTS, LogRingWriteIndex());
    EXPECT_EQ(64u, Slot(firstSlot).value1) << "the 65th entry overwrote the first one's slot";
    EXPECT_EQ(1u, Slot(firstSlot + 1).value1);
}

TEST_F(LogRingTest, EntryKeepsTimeKindAndValues) {
    LocalTime t{2027, 3, 2, 9, 8, 7, 6, 5};
    clock_.SetNow(t);
    const std::uint32_t slot = LogRingWriteIndex();
    AddLogEntry(0x10005, 0x00020001, 2, 3, 4);
    const LogEntry& e = Slot(slot);
    EXPECT_EQ(5u, e.kind);
    EXPECT_EQ(0x00020001u, e.value1);
    EXPECT_EQ(std::uintptr_t{2}, e.value2);
    EXPECT_EQ(3u, e.value3);
    EXPECT_EQ(4u, e.value4);
    EXPECT_EQ(2027u, e.time.year);
    EXPECT_EQ(5u, e.time.milliseconds);
    EXPECT_EQ("09.03. 08:07:06 ErrorEvents (00020001).", LogLineText(e));

    static const char kName[] = "TKReadQuad";
    AddLogEntry(TK_LOG_ERROR, 11, kName);
    EXPECT_EQ(kName, reinterpret_cast<const char*>(Slot(slot + 1).value2))
        << "name kept by address";
}

TEST_F(LogRingTest, NothingIsPostedWithoutMainWindow) {
    RecordingMainWindow window;
    AddLogEntry(TK_LOG_BUS_RESET, 0, 0, 0, 0);
    EXPECT_TRUE(window.Posts().empty());
    EXPECT_EQ(0, window.PendingLogPosts().load());
}

TEST_F(LogRingTest, AtMostFiftyNotificationsPending) {
    RecordingMainWindow window;
    ScopedMainWindow useWindow(window);
    for (int i = 0; i < 51; ++i) {
        AddLogEntry(TK_LOG_BUS_RESET, 0, 0, 0, 0);
    }
    auto posts = window.Posts();
    ASSERT_EQ(50u, posts.size());
    EXPECT_EQ(50, window.PendingLogPosts().load());
    EXPECT_EQ(kNotifyLogEntry, posts.back().wParam);
    const std::uint32_t slot = LogRingWriteIndex();
    AddLogEntry(TK_LOG_BUS_RESET, 52, 0, 0, 0);
    EXPECT_EQ(50u, window.Posts().size());
    EXPECT_EQ(52u, Slot(slot).value1) << "stored though not announced";

    window.HandleLogPost();
    AddLogEntry(TK_LOG_BUS_RESET, 53, 0, 0, 0);
    posts = window.Posts();
    ASSERT_EQ(51u, posts.size());
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(&Slot(slot + 1)), posts.back().lParam);
    EXPECT_EQ(50, window.PendingLogPosts().load());
}

TEST_F(LogRingTest, RefusedPostIsNotCountedAsPending) {
    RecordingMainWindow window;
    ScopedMainWindow useWindow(window);
    window.SetAcceptPosts(false);
    for (int i = 0; i < 60; ++i) {
        AddLogEntry(TK_LOG_BUS_RESET, 0, 0, 0, 0);
    }
    EXPECT_EQ(0, window.PendingLogPosts().load());
    window.SetAcceptPosts(true);
    AddLogEntry(TK_LOG_BUS_RESET, 0, 0, 0, 0);
    EXPECT_EQ(1u, window.Posts().size());
}

TEST(LogTextTest, CodeTexts) {
    const struct {
        std::uint32_t code;
        const char* text;
    } cases[] = {
        {0, "Unknown"},
        {1, "DRV - Requested card could not be found"},
        {5, "DRV - A timeout occured while waiting on functionresult"},
        {14, "Unknown"},
        {23, "DRV - Busreset while read/write access"},
        {24, "Unknown"},
        {1001, "TKE - Tried to open but device was already opened"},
        {1012, "TKE - Requested function is not implemented"},
        {1013, "Unknown"},
        {1014, "Unknown"},
        {1015, "TKE - Driver didn't install correctly"},
        {1016, "TKE - Driver has wrong version"},
        {1018, "TKE - Information not completely copied"},
        {1019, "Unknown"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(c.text, TKErrorText(c.code)) << "code " << c.code;
    }
}

TEST(LogTextTest, KindTexts) {
    const struct {
        std::uint32_t kind;
        std::uint32_t value1;
        std::uintptr_t value2;
        const char* text;
    } cases[] = {
        {0, 1016, 0, "Error (1016)."},      {1, 0, 0, "No cards available."},
        {2, 0, 0, "WorkThread starts."},    {3, 0, 0, "WorkThread stops."},
        {4, 0, 0, "BusReset occured."},     {5, 0xABC, 0, "ErrorEvents (00000ABC)."},
        {6, 3, 0, "Read DevInfo from 3"},   {7, 7, 10, "Partial Framealloc (7/10)"},
        {8, 0, 0, "Driver installed."},     {9, 0, 0, "Driver deinstalled."},
        {10, 0, 0, "Driver runs already."},
    };
    for (const auto& c : cases) {
        LogEntry e{};
        e.kind = c.kind;
        e.value1 = c.value1;
        e.value2 = c.value2;
        EXPECT_EQ(c.text, LogEntryText(e)) << "kind " << c.kind;
    }
}

TEST(LogTextTest, Explanations) {
    EXPECT_EQ(
        "Execution of <TKOpenCard> gave an error! The errorcode (1016) means:\r\r\n\r\r\n"
        "TKE - Driver has wrong version.",
        ErrorExplanation(1016, "TKOpenCard"));
    EXPECT_EQ(
        "Execution of <TKInstall> gave an error! The errorcode (1013) means:\r\r\n\r\r\n"
        "Unknown.",
        ErrorExplanation(1013, "TKInstall"));
    EXPECT_EQ(
        "One or more ErrorEvents occured. In detail:\r\r\n- Asynchronous transmit\r\r\n"
        "- ISO0 halted\r\r\n",
        ErrorEventExplanation(0x00020001));
    EXPECT_EQ("One or more ErrorEvents occured. In detail:\r\r\n",
              ErrorEventExplanation(0x80000000));
    const std::string all = ErrorEventExplanation(0xFFFFFFFF);
    EXPECT_EQ(0u, all.find("One or more"));
    EXPECT_LT(all.find("- Asynchronous rx restarted"), all.find("- Phytimeout"));
    EXPECT_LT(all.find("- PCIError"), all.find("- ISO0 halted"));
    EXPECT_NE(std::string::npos, all.find("- ISO2 halted\r\r\n"));

    static const char kName[] = "TKIsoStart";
    LogEntry error{};
    error.kind = 0;
    error.value1 = 9;
    error.value2 = reinterpret_cast<std::uintptr_t>(kName);
    LogExplanation x = ExplainLogEntry(error);
    EXPECT_EQ(ErrorExplanation(9, kName), x.text);
    EXPECT_EQ("Additional LogInfo", x.title);
    LogEntry events{};
    events.kind = 5;
    events.value1 = 4;
    x = ExplainLogEntry(events);
    EXPECT_EQ(ErrorEventExplanation(4), x.text);
    EXPECT_EQ("", x.title);
    LogEntry other{};
    other.kind = 4;
    x = ExplainLogEntry(other);
    EXPECT_EQ("No details.", x.text);
    EXPECT_EQ("Additional LogInfo", x.title);
}

}  // namespace
}  // namespace tk::testing
