// Module start, card discovery, the card channel and the request exchange.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "BusFixture.h"
#include "imaging/YuvTables.h"

namespace tk::testing {
namespace {

namespace rec = records;

class CardChannelTest : public BusFixture {};
INSTANTIATE_BOTH_LAYOUTS(CardChannelTest);

TEST_P(CardChannelTest, ModuleStartBuildsTheColourTables) {
    EXPECT_EQ(224, UpperPart(YuvTableU()[255])) << "blue part of d = 127";
}

TEST_P(CardChannelTest, CardCountCountsSlotBitsZeroToFifteen) {
    const struct {
        std::uint32_t mask;
        std::uint32_t count;
    } cases[] = {{0x0, 0}, {0x1, 1}, {0x5, 2}, {0xFFFF, 16}, {0xFFFF0000, 0}, {0x80018001, 2}};
    for (const auto& c : cases) {
        driver_.SetRegistryDword("CardMask", c.mask);
        std::uint32_t count = 99;
        EXPECT_EQ(TK_OK, TKGetCardCount(&count)) << std::hex << c.mask;
        EXPECT_EQ(c.count, count) << "mask 0x" << std::hex << c.mask;
    }
    EXPECT_EQ(TKDRV_INPUT_PARAMETERS, TKGetCardCount(nullptr));
    driver_.ClearRegistry();
    std::uint32_t count = 99;
    EXPECT_EQ(TKE_NOT_INSTALLED, TKGetCardCount(&count));
    EXPECT_EQ(99u, count);
}

TEST_P(CardChannelTest, CardNumbersMapToRegistrySlots) {
    driver_.SetRegistryDword("CardMask", 0xFFFF0005);  // slots 0 and 2; bits above 15 ignored
    driver_.SetRegistryDword("CardSystemId0", 0x0A0B0C00);
    driver_.SetRegistryDword("CardSystemId2", 0x01020301);
    driver_.SetRegistryDword("CardSystemId1", 0x77777777);  // not a slot in use
    std::uint32_t id = 0;
    EXPECT_EQ(TK_OK, TKGetCardSystemId(0, &id));
    EXPECT_EQ(0x0A0B0C00u, id);
    EXPECT_EQ(TK_OK, TKGetCardSystemId(1, &id));
    EXPECT_EQ(0x01020301u, id);
    id = 5;
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKGetCardSystemId(2, &id));
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKGetCardSystemId(16, &id));
    EXPECT_EQ(5u, id);

    std::uint32_t type = 77;
    EXPECT_EQ(TK_OK, TKGetCardType(1, &type));
    EXPECT_EQ(1u, type);
    type = 77;
    EXPECT_EQ(TK_OK, TKGetCardType(2, &type));  // no slot: type unchanged, still 0
    EXPECT_EQ(77u, type);

    driver_.SetRegistryDword("CardMask", 0x8);  // slot 3 without its system id
    EXPECT_EQ(TKE_INSTALL_FAILED, TKGetCardSystemId(0, &id));
    driver_.ClearRegistry();
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKGetCardSystemId(0, &id));
}

TEST_P(CardChannelTest, DevicePathIsLastComponentOfSymbolicLink) {
    const std::string longName(247, 'x');  // 248 with the backslash: length + 8 fits 256
    const struct {
        const char* link;
        std::string opened;  // "" when nothing can be opened
    } cases[] = {
        {"\\DosDevices\\tkdrv0", "\\\\.\\tkdrv0"},
        {"tkdrv0", "\\\\.\\tkdrv0"},
        {"\\??\\a\\b\\tkdrv0", "\\\\.\\tkdrv0"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.link);
        driver_.SetRegistryString("SymbolicLinkName0", c.link);
        const std::size_t opensBefore = driver_.OpenedPaths().size();
        const std::uint32_t result = TKOpenCard(0);
        const auto opened = driver_.OpenedPaths();
        ASSERT_EQ(opensBefore + 1, opened.size());
        EXPECT_EQ(c.opened, opened.back());
        EXPECT_EQ(c.opened.empty() ? TKE_CANNOT_OPEN_DEVICE : TK_OK, result);
        TKCloseCard(0);
    }
    driver_.AddDevice("\\\\.\\" + longName);
    driver_.SetRegistryString("SymbolicLinkName0", "\\" + longName);
    EXPECT_EQ(TK_OK, TKOpenCard(0));
    TKCloseCard(0);
    driver_.SetRegistryString("SymbolicLinkName0", "\\" + longName + "y");
    EXPECT_EQ(TKE_CANNOT_OPEN_DEVICE, TKOpenCard(0));
}

TEST_P(CardChannelTest, OpenCardChecksDriverVersion) {
    const struct {
        std::uint32_t version;
        std::uint32_t result;
    } cases[] = {{0x02070000, TK_OK},
                 {0x0207FFFF, TK_OK},
                 {0x02080000, TKE_WRONG_VERSION},
                 {0x0206FFFF, TKE_WRONG_VERSION},
                 {0x00000207, TKE_WRONG_VERSION}};
    for (const auto& c : cases) {
        driver_.On(102, [&](rec::Layout layout, std::uint8_t* record, std::uint32_t) {
            rec::PutField(record, layout, rec::header::Status, 0);
            rec::PutField(record, layout, rec::header::Param1, c.version);
            return ScriptedReply{};
        });
        driver_.ClearRecords();
        EXPECT_EQ(c.result, TKOpenCard(0)) << "version 0x" << std::hex << c.version;
        if (c.result == TK_OK) {
            EXPECT_EQ(TK_OK, TKCloseCard(0));
        } else {
            // The channel was released: device closed, and the card not open.
            EXPECT_EQ(TKE_NOT_OPENED, TKCloseCard(0));
            EXPECT_EQ(1u, driver_.RecordsOf(106).size());
            EXPECT_EQ(1u, driver_.RecordsOf(114).size());
        }
    }
    EXPECT_EQ(driver_.OpenedPaths().size(), driver_.ClosedDevices().size());
}

TEST_P(CardChannelTest, OpenCardPassesVersionRequestFailures) {
    driver_.AnswerStatus(102, TKDRV_NO_DEVICE);
    EXPECT_EQ(TKDRV_NO_DEVICE, TKOpenCard(0));
    driver_.AnswerLength(102, HeaderSize() + 1);
    EXPECT_EQ(TKE_WRONG_LENGTH, TKOpenCard(0));
    driver_.On(102, [](rec::Layout, std::uint8_t*, std::uint32_t) {
        return ScriptedReply{ExchangeOutcome::DeviceError, {}};
    });
    EXPECT_EQ(TKE_DEVICE_IO_CONTROL, TKOpenCard(0));
    EXPECT_EQ(3u, driver_.ClosedDevices().size());
}

TEST_P(CardChannelTest, CardNumberAndOpenStateChecks) {
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKOpenCard(10));
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKCloseCard(10));
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKOpenBus(10, 16, 64, 8, 32));
    EXPECT_EQ(TKE_OUT_OF_RANGE, TKCloseBus(0xFFFFFFFF));
    EXPECT_EQ(TKE_NOT_OPENED, TKCloseCard(0));
    EXPECT_EQ(TKE_NOT_OPENED, TKOpenBus(0, 16, 64, 8, 32));
    EXPECT_EQ(TKE_NOT_OPENED, TKCloseBus(0));
    EXPECT_EQ(TKE_CANNOT_OPEN_DEVICE, TKOpenCard(1));  // no registry slot for card 1
    EXPECT_TRUE(driver_.Records().empty());
}

TEST_P(CardChannelTest, SecondOpenKeepsTheExistingChannel) {
    ASSERT_EQ(TK_OK, TKOpenCard(0));
    EXPECT_EQ(TKE_ALREADY_OPENED, TKOpenCard(0));
    EXPECT_EQ(1u, driver_.OpenedPaths().size());
    EXPECT_TRUE(driver_.ClosedDevices().empty());
    EXPECT_EQ(TK_OK, TKOpenBus(0, 16, 64, 8, 32));
}

TEST_P(CardChannelTest, RecordsUseTheLayoutOfTheProcess) {
    OpenCardAndBus();
    std::uint32_t value = 0;
    TKReadQuad(0, 1, 0xFFFF, 0xF0000400, &value);
    TKCloseCard(0);
    TKOpenCard(0);
    const std::uint32_t controlCode = Wide() ? 0x80002040u : 0x80002000u;
    for (const ExchangedRecord& r : driver_.Records()) {
        EXPECT_EQ(controlCode, r.controlCode) << "request " << r.code;
        const rec::RequestSpec* spec = rec::FindRequest(r.code);
        ASSERT_NE(nullptr, spec);
        EXPECT_EQ(spec->Size(LayoutInUse()), r.sent.size()) << "request " << r.code;
        EXPECT_EQ(kWaitInfinite, r.waitMilliseconds) << "request " << r.code;
    }
}

TEST_P(CardChannelTest, OpenBusSendsSizingValues) {
    ASSERT_EQ(TK_OK, TKOpenCard(0));
    driver_.ClearRecords();
    ASSERT_EQ(TK_OK, TKOpenBus(0, 16, 64, 8, 32));
    const ExchangedRecord r = OnlyRecordOf(105);
    const std::uint8_t* b = r.sent.data();
    // {compact offset, wide offset, width, value}
    const struct {
        std::uint32_t compact, wide, width, value;
    } fields[] = {{16, 32, 2, 1023}, {20, 36, 4, 16}, {24, 40, 4, 64}, {28, 44, 4, 8},
                  {32, 48, 4, 32},   {36, 52, 2, 16}, {46, 66, 2, 1},  {50, 70, 1, 1}};
    for (const auto& f : fields) {
        const std::uint8_t* p = b + (Wide() ? f.wide : f.compact);
        const std::uint32_t got = f.width == 4 ? rec::Get32(p) : f.width == 2 ? rec::Get16(p) : *p;
        EXPECT_EQ(f.value, got) << "offset " << (Wide() ? f.wide : f.compact);
    }

    EXPECT_EQ(TK_OK, TKCloseBus(0));
    driver_.AnswerStatus(105, TKDRV_STARTED_TWICE);
    EXPECT_EQ(TKDRV_STARTED_TWICE, TKOpenBus(0, 16, 64, 8, 32));
    EXPECT_EQ(TKE_NOT_OPENED, TKCloseBus(0));  // the bus stayed closed
}

TEST_P(CardChannelTest, CloseBusMarksBusClosedEvenWhenTheDriverFails) {
    OpenCardAndBus();
    driver_.AnswerStatus(106, TKDRV_BUSY);
    EXPECT_EQ(TKDRV_BUSY, TKCloseBus(0));
    std::uint32_t value = 0;
    driver_.ClearRecords();
    EXPECT_EQ(TKE_NOT_OPENED, TKReadQuad(0, 0, 0xFFFF, 0xF0000400, &value));
    EXPECT_TRUE(driver_.Records().empty());
}

TEST_P(CardChannelTest, ExchangeOutcomesBecomeCodes) {
    OpenCardAndBus();
    const struct {
        ExchangeOutcome outcome;
        std::uint32_t code;
    } cases[] = {{ExchangeOutcome::DeviceError, TKE_DEVICE_IO_CONTROL},
                 {ExchangeOutcome::TimedOut, TKDRV_TIMEOUT},
                 {ExchangeOutcome::NoWaitEvent, TKE_NO_WAIT_EVENT}};
    for (const auto& c : cases) {
        driver_.On(110, [&](rec::Layout, std::uint8_t*, std::uint32_t) {
            return ScriptedReply{c.outcome, {}};
        });
        std::uint32_t value = 1;
        EXPECT_EQ(c.code, TKReadQuad(0, 0, 0xFFFF, 0, &value));
        EXPECT_EQ(1u, value);
    }
}

// Each function against replies around its request's accepted lengths.
TEST_P(CardChannelTest, ReplyLengthRulesPerRequest) {
    enum Rule { Exact, AtLeastHeader, HeaderOnly };
    const TKFrameInfo frame{0, 0, 0, 0, 0, 0, 7, nullptr};
    const struct {
        std::uint32_t code;
        Rule rule;
        std::function<std::uint32_t()> call;
    } cases[] = {
        {105, Exact, [] { return TKOpenBus(0, 16, 64, 8, 32); }},
        {106, Exact, [] { return TKCloseBus(0); }},
        {109, AtLeastHeader, [] { return TKWriteQuad(0, 1, 0xFFFF, 0xF0F00000, 1); }},
        {110, AtLeastHeader,
         [] {
             std::uint32_t v = 0;
             return TKReadQuad(0, 1, 0xFFFF, 0xF0F00000, &v);
         }},
        {116, AtLeastHeader,
         [] {
             TKFrameInfo info{};
             return TKIsoInquire(0, 0, &info);
         }},
        {117, Exact, [] { return TKIsoClear(0, 0); }},
        {118, AtLeastHeader,
         [] {
             std::uint32_t buffers = 4;
             std::uint32_t context = 0;
             return TKIsoStart(0, 0x3F0000, 0xF0001, 10, 1000, &buffers, &context, nullptr);
         }},
        {119, Exact, [] { return TKIsoStop(0, 0); }},
        {120, HeaderOnly, [&] { return TKIsoPost(0, 0, &frame); }},
    };
    for (const auto& c : cases) {
        const std::uint32_t size = rec::FindRequest(c.code)->Size(LayoutInUse());
        const std::uint32_t header = HeaderSize();
        for (const std::uint32_t length : {header - 1, header, size - 1, size, size + 1}) {
            bool accepted = false;
            switch (c.rule) {
                case Exact:
                    accepted = length == size;
                    break;
                case AtLeastHeader:
                    accepted = length >= header;
                    break;
                case HeaderOnly:
                    accepted = length == header;
                    break;
            }
            ASSERT_EQ(TK_OK, TKOpenCard(0));
            if (c.code != 105) {
                ASSERT_EQ(TK_OK, TKOpenBus(0, 16, 64, 8, 32));
            }
            driver_.AnswerLength(c.code, length);
            EXPECT_EQ(accepted ? TK_OK : TKE_WRONG_LENGTH, c.call())
                << "request " << c.code << " reply of " << length << " bytes";
            driver_.On(c.code, nullptr);
            TKCloseCard(0);
        }
    }
}

TEST_P(CardChannelTest, ExitModuleReleasesOpenCards) {
    OpenCardAndBus();
    TKExitModule();
    EXPECT_EQ(1u, driver_.ClosedDevices().size());
    EXPECT_EQ(2u, driver_.RecordsOf(106).size());  // close bus, then the release's own
    EXPECT_EQ(1u, driver_.RecordsOf(114).size());
    EXPECT_EQ(TKE_NOT_OPENED, TKCloseCard(0));
}

}  // namespace
}  // namespace tk::testing
