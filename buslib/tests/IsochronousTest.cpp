// Isochronous reception and the buffer bookkeeping.
#include <gtest/gtest.h>

#include "BusFixture.h"

namespace tk::testing {
namespace {

namespace rec = records;

class IsochronousTest : public BusFixture {
protected:
    void SetUp() override {
        BusFixture::SetUp();
        OpenCardAndBus();
        // The driver allocates what is asked, on context 2.
        driver_.On(118, [](rec::Layout layout, std::uint8_t* record, std::uint32_t) {
            const auto requested = rec::GetField(record, layout, rec::iso_start::BuffersRequested);
            rec::PutField(record, layout, rec::iso_start::Context, 2);
            rec::PutField(record, layout, rec::iso_start::BuffersAllocated, requested);
            return ScriptedReply{};
        });
    }

    void StartWith(std::uint32_t buffers) {
        std::uint32_t context = 99;
        ASSERT_EQ(TK_OK, TKIsoStart(0, 0x3F0001, 0xF0001, 480, 1280, &buffers, &context, nullptr));
        ASSERT_EQ(2u, context);
    }

    std::uint32_t Posted(std::uint32_t context = 2) {
        std::uint32_t count = 0xDEAD;
        EXPECT_EQ(TK_OK, TKIsoGetPostedCount(0, context, &count));
        return count;
    }

    // The driver hands out frames with handles 1, 2, 3...
    void DeliverFrames() {
        driver_.On(116, [this](rec::Layout layout, std::uint8_t* record, std::uint32_t) {
            rec::PutField(record, layout, rec::iso_frame::BufferHandle, ++handedOut_);
            return ScriptedReply{};
        });
    }

    std::uint32_t handedOut_ = 0;
};
INSTANTIATE_BOTH_LAYOUTS(IsochronousTest);

TEST_P(IsochronousTest, StartSendsTheSelectionsAndGeometry) {
    const TKImageInfo image{0x10040, 0x20, 640, 480, 0x10002};
    std::uint32_t buffers = 0x1000A;  // read as 16 bits
    std::uint32_t context = 99;
    ASSERT_EQ(TK_OK, TKIsoStart(0, 0x3F0003, 0xF0001, 480, 0x10500, &buffers, &context, &image));
    EXPECT_EQ(10u, buffers);
    const ExchangedRecord r = OnlyRecordOf(118);
    const std::uint8_t* b = r.sent.data();
    const std::uint32_t o = Wide() ? 16 : 0;
    EXPECT_EQ(10u, rec::Get16(b + 16 + o));
    EXPECT_EQ(480u, rec::Get32(b + 20 + o));
    EXPECT_EQ(0x500u, rec::Get32(b + 24 + o)) << "16 bits of payload";
    EXPECT_EQ(0xF0001u, rec::Get32(b + 28 + o));
    EXPECT_EQ(0x3F0003u, rec::Get32(b + 32 + o));
    EXPECT_EQ((0x40u << 16) | 0x20u, rec::Get32(b + 36 + o)) << "left << 16 | top";
    EXPECT_EQ((640u << 16) | 480u, rec::Get32(b + 40 + o)) << "width << 16 | height";
    EXPECT_EQ(2u, rec::Get16(b + 44 + o));
    EXPECT_EQ(0u, rec::Get32(b + 4)) << "header parameters are not set";
}

TEST_P(IsochronousTest, StartArguments) {
    std::uint32_t buffers = 10;
    std::uint32_t context = 0;
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKIsoStart(0, 0, 0, 0, 1280, &buffers, &context, nullptr));
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKIsoStart(0, 0, 0, 480, 0, &buffers, &context, nullptr));
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKIsoStart(0, 0, 0, 480, 0x10000, &buffers, &context, nullptr));
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKIsoStart(10, 0, 0, 480, 1280, &buffers, &context, nullptr));
    EXPECT_TRUE(driver_.Records().empty());

    ASSERT_EQ(TK_OK, TKIsoStart(0, 0, 0, 480, 1280, nullptr, &context, nullptr));
    EXPECT_EQ(1u, OnlyRecordOf(118).Get(rec::iso_start::BuffersRequested));
    EXPECT_EQ(1u, Posted());
    // Without geometry the image fields are not set.
    const ExchangedRecord r = OnlyRecordOf(118);
    for (std::uint32_t i = 0; i < 10; ++i) {
        EXPECT_EQ(0u, r.sent[(Wide() ? 52 : 36) + i]) << "image byte " << i;
    }

    ASSERT_EQ(TK_OK, TKCloseBus(0));
    EXPECT_EQ(TKE_NOT_OPENED, TKIsoStart(0, 0, 0, 480, 1280, &buffers, &context, nullptr));
}

TEST_P(IsochronousTest, PartialAllocationIsNotAnError) {
    driver_.On(118, [](rec::Layout layout, std::uint8_t* record, std::uint32_t) {
        rec::PutField(record, layout, rec::iso_start::Context, 1);
        rec::PutField(record, layout, rec::iso_start::BuffersAllocated, 7);
        return ScriptedReply{};
    });
    std::uint32_t buffers = 10;
    std::uint32_t context = 0;
    ASSERT_EQ(TK_OK, TKIsoStart(0, 0, 0, 480, 1280, &buffers, &context, nullptr));
    EXPECT_EQ(7u, buffers);
    EXPECT_EQ(1u, context);
    EXPECT_EQ(7u, Posted(1));
}

TEST_P(IsochronousTest, FailedStartChangesNothing) {
    StartWith(10);
    driver_.AnswerStatus(118, TKDRV_NO_RESOURCES);
    std::uint32_t buffers = 4;
    std::uint32_t context = 99;
    EXPECT_EQ(TKDRV_NO_RESOURCES, TKIsoStart(0, 0, 0, 480, 1280, &buffers, &context, nullptr));
    EXPECT_EQ(4u, buffers);
    EXPECT_EQ(99u, context);
    EXPECT_EQ(10u, Posted());
}

TEST_P(IsochronousTest, InquireReportsTheFrame) {
    StartWith(10);
    driver_.On(116, [](rec::Layout layout, std::uint8_t* record, std::uint32_t) {
        const bool wide = layout == rec::Layout::Wide;
        std::uint8_t* b = record;
        if (wide) {
            rec::Put64(b + 32, 0xABCD);
            rec::Put64(b + 64, 0x12345678);
        } else {
            rec::Put32(b + 16, 0xABCD);
            rec::Put32(b + 40, 0x12345678);
        }
        const std::uint32_t o = wide ? 20 : 0;
        rec::Put16(b + 20 + o, 8);       // top
        rec::Put16(b + 22 + o, 16);      // left
        rec::Put16(b + 24 + o, 480);     // height
        rec::Put16(b + 26 + o, 640);     // width
        rec::Put16(b + 28 + o, 0xFF01);  // colour code
        rec::Put16(b + 30 + o, 1);       // frame mark
        return ScriptedReply{};
    });
    TKFrameInfo frame{};
    ASSERT_EQ(TK_OK, TKIsoInquire(0, 2, &frame));
    EXPECT_EQ(0xABCDu, frame.bufferHandle);
    EXPECT_EQ(16u, frame.left);
    EXPECT_EQ(8u, frame.top);
    EXPECT_EQ(640u, frame.width);
    EXPECT_EQ(480u, frame.height);
    EXPECT_EQ(0xFF01u, frame.colourCode);
    EXPECT_EQ(1u, frame.frameMark);
    EXPECT_EQ(std::uintptr_t{0x12345678}, reinterpret_cast<std::uintptr_t>(frame.data));
    EXPECT_EQ(9u, Posted());
    EXPECT_EQ(2u, OnlyRecordOf(116).Get(rec::header::Param1));
}

TEST_P(IsochronousTest, InquireWithoutFrameKeepsTheCount) {
    StartWith(10);
    TKFrameInfo frame{};
    frame.bufferHandle = 55;
    ASSERT_EQ(TK_OK, TKIsoInquire(0, 2, &frame));
    EXPECT_EQ(0u, frame.bufferHandle);
    EXPECT_EQ(10u, Posted());

    driver_.AnswerStatus(116, TKDRV_WRONG_MODE);
    frame.width = 1234;
    EXPECT_EQ(TKDRV_WRONG_MODE, TKIsoInquire(0, 2, &frame));
    EXPECT_EQ(1234u, frame.width) << "a failed inquire leaves the frame info alone";
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKIsoInquire(0, 8, &frame));
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKIsoInquire(0, 2, nullptr));
}

TEST_P(IsochronousTest, PostGivesTheBufferBack) {
    StartWith(10);
    DeliverFrames();
    TKFrameInfo frame{};
    ASSERT_EQ(TK_OK, TKIsoInquire(0, 2, &frame));
    EXPECT_EQ(9u, Posted());
    driver_.ClearRecords();
    driver_.AnswerLength(120, HeaderSize());
    ASSERT_EQ(TK_OK, TKIsoPost(0, 2, &frame));
    EXPECT_EQ(10u, Posted());
    const ExchangedRecord r = OnlyRecordOf(120);
    EXPECT_EQ(1u, r.Get(rec::iso_frame::BufferHandle));
    EXPECT_EQ(2u, r.sent[Wide() ? 52 : 32]);
    EXPECT_EQ(1u, Wide() ? rec::Get64(r.sent.data() + 64) : rec::Get32(r.sent.data() + 40));

    driver_.ClearRecords();
    TKFrameInfo empty{};
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKIsoPost(0, 2, &empty));
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKIsoPost(0, 2, nullptr));
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKIsoPost(0, 8, &frame));
    EXPECT_TRUE(driver_.Records().empty());

    // A post that fails leaves the frame counted as taken.
    ASSERT_EQ(TK_OK, TKIsoInquire(0, 2, &frame));
    driver_.AnswerStatus(120, TKDRV_INPUT_PARAMETERS);
    EXPECT_EQ(TKE_WRONG_LENGTH, TKIsoPost(0, 2, &frame)) << "whole record back is wrong";
    driver_.On(120, [](rec::Layout layout, std::uint8_t* record, std::uint32_t) {
        rec::PutField(record, layout, rec::header::Status, TKDRV_INPUT_PARAMETERS);
        return ScriptedReply{ExchangeOutcome::Completed, rec::HeaderSize(layout)};
    });
    EXPECT_EQ(TKDRV_INPUT_PARAMETERS, TKIsoPost(0, 2, &frame));
    EXPECT_EQ(9u, Posted());
}

TEST_P(IsochronousTest, ClearRestoresTheCountEvenWhenItFails) {
    StartWith(10);
    DeliverFrames();
    TKFrameInfo frame{};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(TK_OK, TKIsoInquire(0, 2, &frame));
    }
    EXPECT_EQ(7u, Posted());
    driver_.AnswerStatus(117, TKDRV_BUSY);
    EXPECT_EQ(TKDRV_BUSY, TKIsoClear(0, 2));
    EXPECT_EQ(10u, Posted());
    EXPECT_EQ(2u, OnlyRecordOf(117).Get(rec::header::Param1));
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKIsoClear(0, 8));
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKIsoClear(10, 0));
}

TEST_P(IsochronousTest, StopLeavesTheCountsAndNeedsTheBus) {
    StartWith(10);
    DeliverFrames();
    TKFrameInfo frame{};
    ASSERT_EQ(TK_OK, TKIsoInquire(0, 2, &frame));
    ASSERT_EQ(TK_OK, TKIsoStop(0, 2));
    EXPECT_EQ(2u, OnlyRecordOf(119).Get(rec::header::Param1));
    EXPECT_EQ(9u, Posted());
    ASSERT_EQ(TK_OK, TKCloseBus(0));
    EXPECT_EQ(TKE_NOT_OPENED, TKIsoStop(0, 2));
    EXPECT_EQ(TKE_NOT_OPENED, TKIsoInquire(0, 2, &frame));
    EXPECT_EQ(TKE_NOT_OPENED, TKIsoPost(0, 2, &frame));
    EXPECT_EQ(TK_OK, TKIsoClear(0, 2)) << "clear needs only the card";
}

TEST_P(IsochronousTest, PostedCountArguments) {
    std::uint32_t count = 0;
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKIsoGetPostedCount(0, 8, &count));
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKIsoGetPostedCount(10, 0, &count));
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKIsoGetPostedCount(0, 0, nullptr));
    EXPECT_EQ(TK_OK, TKIsoGetPostedCount(0, 7, &count));
    EXPECT_EQ(0u, count);
}

}  // namespace
}  // namespace tk::testing
