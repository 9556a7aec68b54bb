// Proves that the build runs GoogleTest and that the C++ library behaves as the
// code relies on (threads, fixed-width integers).
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>

TEST(Harness, RunsTestsAndThreads) {
    std::atomic<int> counter{0};
    std::thread worker([&counter] { counter.fetch_add(1); });
    worker.join();
    EXPECT_EQ(counter.load(), 1);
    static_assert(sizeof(std::uint32_t) == 4);
}
