// Register access: three attempts, the waits around them and the log entry
// after the last failure.
#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

#include "camera/tests/CameraOnScriptedBus.h"

namespace camera_testing {
namespace {

constexpr std::uint32_t kAddress = 0xF0F00100u;
constexpr std::uint32_t kNoAck = 11;

struct RetryCase {
    int failures;                       // failed attempts before a success (3: none succeeds)
    std::vector<std::uint32_t> sleeps;  // expected waits, in order
    std::uint32_t code;                 // expected result
    std::uint32_t logEntries;           // expected new log entries
};

void PrintTo(const RetryCase& c, std::ostream* out) {
    *out << c.failures << " failures";
}

std::string RetryName(const ::testing::TestParamInfo<RetryCase>& testInfo) {
    return "Failures" + std::to_string(testInfo.param.failures);
}

class ReadRetryTest : public CameraOnScriptedBus,
                      public ::testing::WithParamInterface<RetryCase> {};
class WriteRetryTest : public CameraOnScriptedBus,
                       public ::testing::WithParamInterface<RetryCase> {};

TEST_P(ReadRetryTest, RetriesWaitsAndLogs) {
    const RetryCase& c = GetParam();
    bus.SetRegister(kAddress, 0x12345678);
    bus.FailNext(kAddress, kNoAck, c.failures);
    std::uint32_t value = 0xDEADBEEF;

    EXPECT_EQ(c.code, camera.ReadRegister(kAddress, value));

    EXPECT_EQ(static_cast<std::size_t>(c.failures < 3 ? c.failures + 1 : 3), bus.Trace().size());
    EXPECT_EQ(c.sleeps, clock.Sleeps());
    EXPECT_EQ(c.code == 0 ? 0x12345678u : 0xDEADBEEFu, value)
        << "a failed read leaves the value as it was";
    ASSERT_EQ(c.logEntries, NewLogEntries());
    if (c.logEntries != 0) {
        const LogEntry& entry = LastLogEntry();
        EXPECT_EQ(TK_LOG_ERROR, entry.kind);
        EXPECT_EQ(kNoAck, entry.value1);
        EXPECT_STREQ("TKReadQuad", reinterpret_cast<const char*>(entry.value2));
    }
}

INSTANTIATE_TEST_SUITE_P(Attempts, ReadRetryTest,
                         ::testing::Values(RetryCase{0, {20}, 0, 0}, RetryCase{1, {5, 20}, 0, 0},
                                           RetryCase{2, {5, 5, 20}, 0, 0},
                                           RetryCase{3, {5, 5, 5}, kNoAck, 1}),
                         RetryName);

TEST_P(WriteRetryTest, RetriesWaitsAndLogs) {
    const RetryCase& c = GetParam();
    bus.FailNext(kAddress, kNoAck, c.failures);

    EXPECT_EQ(c.code, camera.WriteRegister(kAddress, 0xCAFE0001));

    EXPECT_EQ(static_cast<std::size_t>(c.failures < 3 ? c.failures + 1 : 3), bus.Trace().size());
    EXPECT_EQ(c.sleeps, clock.Sleeps());
    EXPECT_EQ(c.code == 0, bus.HasRegister(kAddress));
    ASSERT_EQ(c.logEntries, NewLogEntries());
    if (c.logEntries != 0) {
        const LogEntry& entry = LastLogEntry();
        EXPECT_EQ(TK_LOG_ERROR, entry.kind);
        EXPECT_EQ(kNoAck, entry.value1);
        EXPECT_STREQ("TKWriteQuad", reinterpret_cast<const char*>(entry.value2));
    }
}

INSTANTIATE_TEST_SUITE_P(Attempts, WriteRetryTest,
                         ::testing::Values(RetryCase{0, {50}, 0, 0}, RetryCase{1, {5, 50}, 0, 0},
                                           RetryCase{2, {5, 5, 50}, 0, 0},
                                           RetryCase{3, {5, 5, 5}, kNoAck, 1}),
                         RetryName);

using RegisterAccessTest = CameraOnScriptedBus;

TEST_F(RegisterAccessTest, ReturnsTheCodeOfTheLastAttempt) {
    bus.FailNext(kAddress, 11);
    bus.FailNext(kAddress, 23);
    bus.FailNext(kAddress, 15);
    std::uint32_t value = 0;
    EXPECT_EQ(15u, camera.ReadRegister(kAddress, value));
    EXPECT_EQ(15u, LastLogEntry().value1);
}

TEST_F(RegisterAccessTest, UsesTheSettingsCardAndNode) {
    camera.settings.node = 40;  // not a node number: the library refuses it
    std::uint32_t value = 0;
    EXPECT_EQ(TKE_OUT_OF_RANGE, camera.ReadRegister(kAddress, value));
    EXPECT_TRUE(bus.Trace().empty());

    camera.settings.node = 1;
    camera.settings.card = 3;  // not open
    EXPECT_EQ(TKE_NOT_OPENED, camera.WriteRegister(kAddress, 1));
    EXPECT_TRUE(bus.Trace().empty());
    EXPECT_EQ(2u, NewLogEntries());
}

TEST_F(RegisterAccessTest, AddressesTheInitialRegisterSpace) {
    bus.SetRegister(kAddress, 1);
    std::uint32_t value = 0;
    ASSERT_EQ(0u, camera.ReadRegister(kAddress, value));
    ASSERT_EQ(0u, camera.WriteRegister(kAddress, 2));
    EXPECT_EQ(0, bus.ForeignAddressHighCount());
}

TEST_F(RegisterAccessTest, WriteStateClearWritesTheNodeRegisterNotACameraRegister) {
    EXPECT_TRUE(camera.WriteStateClear());
    EXPECT_EQ(std::vector<RegisterAccess>{Write(0xF0000000u, 0x80000000u)}, bus.Trace());

    bus.FailAlways(0xF0000000u, kNoAck);
    EXPECT_FALSE(camera.WriteStateClear());
}

}  // namespace
}  // namespace camera_testing
