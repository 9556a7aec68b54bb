// The automatic mode's bookkeeping: names, paths, the timer's requests, the end of a run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture/AutoModeRun.h"
#include "capture/AutoModeSettings.h"

namespace {

using capture::AutoModeRun;

TEST(AutoModeFileName, DayTimeAndNumber) {
    EXPECT_EQ("07-09-05-03-12.bmp", capture::AutoModeFileName(7, 9, 5, 3, 12));
    EXPECT_EQ("31-23-59-59-1.bmp", capture::AutoModeFileName(31, 23, 59, 59, 1));
    EXPECT_EQ("01-00-00-00-28800.bmp", capture::AutoModeFileName(1, 0, 0, 0, 28800));
}

TEST(AutoModePath, DirectoryBackslashAndName) {
    struct Case {
        const char* directory;
        const char* expected;
    };
    const Case cases[] = {
        {"c:\\tmp", "c:\\tmp\\a.bmp"},
        {"C:\\", "C:\\a.bmp"},
        {"z:/tmp/", "z:/tmp/a.bmp"},
        {"", "\\a.bmp"},
    };
    for (const Case& c : cases) {
        std::string path;
        EXPECT_TRUE(capture::ComposeAutoModePath(c.directory, "a.bmp", &path)) << c.directory;
        EXPECT_EQ(c.expected, path);
    }
}

TEST(AutoModePath, LongerThan255CharactersIsRefused) {
    const std::string name = "07-09-05-03-12.bmp";  // 18 characters
    std::string path = "unchanged";
    const std::string fits(255 - 1 - name.size(), 'd');
    EXPECT_TRUE(capture::ComposeAutoModePath(fits, name, &path));
    EXPECT_EQ(255u, path.size());
    path = "unchanged";
    EXPECT_FALSE(capture::ComposeAutoModePath(fits + "d", name, &path));
    EXPECT_EQ("unchanged", path);
}

// The seconds (1-based ticks after Begin) at which frames are requested.
std::vector<int> RequestTicks(AutoModeRun& run, int ticks) {
    std::vector<int> requested;
    for (int second = 1; second <= ticks; ++second) {
        if (run.Tick()) {
            requested.push_back(second);
        }
    }
    return requested;
}

TEST(AutoModeRun, RequestsOneSecondAfterBeginThenEveryInterval) {
    AutoModeRun run;
    run.Begin(5, 3);
    EXPECT_EQ((std::vector<int>{1, 6, 11, 16}), RequestTicks(run, 16));
    run.Begin(1, 0);
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), RequestTicks(run, 4));
    run.Begin(28800, 0);
    const std::vector<int> requested = RequestTicks(run, 28801);
    EXPECT_EQ((std::vector<int>{1, 28801}), requested);
}

TEST(AutoModeRun, NumbersFromOneAndCompletesAtTheFrameCount) {
    AutoModeRun run;
    run.Begin(5, 3);
    EXPECT_EQ(1, run.NextNumber());
    EXPECT_FALSE(run.Complete());
    EXPECT_EQ(2, run.NextNumber());
    EXPECT_FALSE(run.Complete());
    EXPECT_EQ(3, run.NextNumber());
    EXPECT_TRUE(run.Complete());
    // A new run starts counting again.
    run.Begin(5, 3);
    EXPECT_EQ(0, run.Stored());
    EXPECT_EQ(1, run.NextNumber());
}

TEST(AutoModeRun, FrameCountZeroNeverCompletes) {
    AutoModeRun run;
    run.Begin(1, 0);
    for (int i = 1; i <= 1000; ++i) {
        EXPECT_EQ(i, run.NextNumber());
        EXPECT_FALSE(run.Complete()) << i;
    }
}

TEST(AutoModeRun, EndedRunRequestsNothing) {
    AutoModeRun run;
    EXPECT_FALSE(run.Running());
    EXPECT_FALSE(run.Tick());
    run.Begin(1, 0);
    EXPECT_TRUE(run.Running());
    run.End();
    EXPECT_FALSE(run.Running());
    EXPECT_FALSE(run.Tick());
}

TEST(AutoModeSettings, SharedByEveryoneWithTheirInitialValues) {
    const capture::AutoModeSettings initial = capture::LoadAutoModeSettings();
    EXPECT_EQ(1, initial.intervalSeconds);
    EXPECT_EQ(1, initial.frameCount);
    EXPECT_TRUE(initial.automatic);
    EXPECT_EQ("c:\\tmp", initial.directory);

    capture::AutoModeSettings changed = initial;
    changed.intervalSeconds = 5;
    changed.frameCount = 0;
    changed.automatic = false;
    changed.directory = "d:\\images";
    capture::StoreAutoModeSettings(changed);
    const capture::AutoModeSettings loaded = capture::LoadAutoModeSettings();
    EXPECT_EQ(5, loaded.intervalSeconds);
    EXPECT_EQ(0, loaded.frameCount);
    EXPECT_FALSE(loaded.automatic);
    EXPECT_EQ("d:\\images", loaded.directory);
    capture::StoreAutoModeSettings(initial);

    EXPECT_TRUE(capture::TriggerEndpoint() == capture::TelnetEndpoint());
}

}  // namespace
