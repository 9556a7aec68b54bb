// Quadlet reads and writes.
#include <gtest/gtest.h>

#include "BusFixture.h"

namespace tk::testing {
namespace {

namespace rec = records;

class QuadletTest : public BusFixture {
protected:
    void SetUp() override {
        BusFixture::SetUp();
        OpenCardAndBus();
    }
    std::uint32_t QuadletOffset() const { return Wide() ? 44 : 28; }
};
INSTANTIATE_BOTH_LAYOUTS(QuadletTest);

TEST_P(QuadletTest, WriteSendsTheValueInBusOrder) {
    ASSERT_EQ(TK_OK, TKWriteQuad(0, 5, 0x1FFFF, 0xF0F00614, 0x12345678));
    const ExchangedRecord r = OnlyRecordOf(109);
    const std::uint8_t* b = r.sent.data();
    const std::uint8_t expected[] = {0x12, 0x34, 0x56, 0x78};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(expected[i], b[QuadletOffset() + i]) << "byte " << i;
    }
    EXPECT_EQ(109u, rec::Get32(b));
    EXPECT_EQ(0xFFu, b[Wide() ? 32 : 16]);  // no speed chosen
    EXPECT_EQ(1023u, rec::Get16(b + (Wide() ? 34 : 18)));
    EXPECT_EQ(5u, b[Wide() ? 36 : 20]);
    EXPECT_EQ(0xFFFFu, rec::Get16(b + (Wide() ? 38 : 22)));  // 16 bits of address high
    EXPECT_EQ(0xF0F00614u, rec::Get32(b + (Wide() ? 40 : 24)));
    if (Wide()) {
        EXPECT_EQ(0u, rec::Get32(b + 28)) << "upper half of parameter 3";
        EXPECT_EQ(0u, rec::Get64(b + 16)) << "parameter 2";
    } else {
        EXPECT_EQ(0u, rec::Get32(b + 8)) << "parameter 2";
    }
}

TEST_P(QuadletTest, ReadReturnsTheReplyInHostOrder) {
    driver_.On(110, [this](rec::Layout, std::uint8_t* record, std::uint32_t) {
        const std::uint8_t reply[] = {0xDE, 0xAD, 0xBE, 0xEF};
        for (int i = 0; i < 4; ++i) {
            record[QuadletOffset() + i] = reply[i];
        }
        return ScriptedReply{};
    });
    std::uint32_t value = 0;
    ASSERT_EQ(TK_OK, TKReadQuad(0, 2, 0xFFFF, 0xF000040C, &value));
    EXPECT_EQ(0xDEADBEEFu, value);
    EXPECT_EQ(0xF000040Cu, OnlyRecordOf(110).Get(rec::quad::AddressLow));

    driver_.AnswerStatus(110, TKDRV_NO_ACK);
    value = 0x11111111;
    EXPECT_EQ(TKDRV_NO_ACK, TKReadQuad(0, 2, 0xFFFF, 0xF000040C, &value));
    EXPECT_EQ(0x11111111u, value) << "a failed read leaves the value alone";
    driver_.AnswerLength(110, HeaderSize() - 1);
    EXPECT_EQ(TKE_WRONG_LENGTH, TKReadQuad(0, 2, 0xFFFF, 0xF000040C, &value));
    EXPECT_EQ(0x11111111u, value);
}

TEST_P(QuadletTest, NodeNumbers) {
    const struct {
        std::uint32_t node;
        std::uint32_t result;
    } cases[] = {{0, TK_OK},
                 {31, TK_OK},
                 {32, TKE_OUT_OF_RANGE},
                 {62, TKE_OUT_OF_RANGE},
                 {63, TK_OK},
                 {64, TKE_OUT_OF_RANGE},
                 {0x10000001, TKE_OUT_OF_RANGE}};
    for (const auto& c : cases) {
        driver_.ClearRecords();
        std::uint32_t value = 0;
        EXPECT_EQ(c.result, TKWriteQuad(0, c.node, 0xFFFF, 0, 1)) << "node " << c.node;
        EXPECT_EQ(c.result, TKReadQuad(0, c.node, 0xFFFF, 0, &value)) << "node " << c.node;
        EXPECT_EQ(c.result == TK_OK ? 2u : 0u, driver_.Records().size());
    }
    driver_.ClearRecords();
    TKWriteQuad(0, 63, 0xFFFF, 0, 1);
    EXPECT_EQ(0u, OnlyRecordOf(109).Get(rec::quad::Speed)) << "broadcast goes at S100";
    EXPECT_EQ(63u, OnlyRecordOf(109).Get(rec::quad::Node));
}

TEST_P(QuadletTest, ClosedBusOrBadCardSendsNothing) {
    std::uint32_t value = 0;
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKWriteQuad(10, 0, 0xFFFF, 0, 1));
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKReadQuad(10, 0, 0xFFFF, 0, &value));
    ASSERT_EQ(TK_OK, TKCloseBus(0));
    driver_.ClearRecords();
    EXPECT_EQ(TKE_NOT_OPENED, TKWriteQuad(0, 0, 0xFFFF, 0, 1));
    EXPECT_EQ(TKE_NOT_OPENED, TKReadQuad(0, 0, 0xFFFF, 0, &value));
    EXPECT_TRUE(driver_.Records().empty());
}

TEST_P(QuadletTest, SetSpeedNeedsANodeSeenOnTheBus) {
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKSetSpeed(0, 1, 0)) << "no bus information yet";
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKSetSpeed(0, 32, 0));
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKSetSpeed(0, 63, 0));
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKSetSpeed(10, 1, 0));
}

}  // namespace
}  // namespace tk::testing
