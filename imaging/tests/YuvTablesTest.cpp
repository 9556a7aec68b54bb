#include "imaging/YuvTables.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

// trunc(numerator / denominator * d) in exact integer arithmetic: C++ integer
// division truncates toward zero.
int ExactPart(int numerator, int denominator, int d) {
    return numerator * d / denominator;
}

TEST(YuvTablesTest, EveryEntryMatchesTheExactTruncatedProducts) {
    InitYuvTables();
    for (int c = 0; c < 256; ++c) {
        const int d = c - 128;
        SCOPED_TRACE(c);
        EXPECT_EQ(ExactPart(1771, 1000, d), UpperPart(YuvTableU()[c]));
        EXPECT_EQ(ExactPart(-3457, 10000, d), LowerPart(YuvTableU()[c]));
        EXPECT_EQ(ExactPart(14022, 10000, d), UpperPart(YuvTableV()[c]));
        EXPECT_EQ(ExactPart(-7144, 10000, d), LowerPart(YuvTableV()[c]));
    }
}

TEST(YuvTablesTest, ExtremeChromaValues) {
    InitYuvTables();
    EXPECT_EQ(-226, UpperPart(YuvTableU()[0]));
    EXPECT_EQ(44, LowerPart(YuvTableU()[0]));
    EXPECT_EQ(178, UpperPart(YuvTableV()[255]));
    EXPECT_EQ(-90, LowerPart(YuvTableV()[255]));
    EXPECT_EQ(0u, YuvTableU()[128]);
    EXPECT_EQ(0u, YuvTableV()[128]);
}

TEST(YuvTablesTest, ConcurrentAndRepeatedInitialisationGivesTheSameTables) {
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([] { InitYuvTables(); });
    }
    for (auto& t : threads) {
        t.join();
    }
    std::vector<std::uint32_t> first(YuvTableU(), YuvTableU() + 256);
    InitYuvTables();
    EXPECT_EQ(first, std::vector<std::uint32_t>(YuvTableU(), YuvTableU() + 256));
    EXPECT_EQ(-179, UpperPart(YuvTableV()[0]));
}

}  // namespace
