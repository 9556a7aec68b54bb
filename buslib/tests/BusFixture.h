// A scripted driver with one card (registry slot 0, device "\\.\tkdrv0"), a
// manual clock, and the module started; parameterised by the record layout
// the process uses (compact on 32-bit Windows, wide under WOW64).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "buslib/RequestRecords.h"
#include "buslib/TK.h"
#include "buslib/testing/ManualClock.h"
#include "buslib/testing/ScriptedDriver.h"

namespace tk::testing {

class BusFixture : public ::testing::TestWithParam<records::Layout> {
protected:
    void SetUp() override {
        driver_.SetWow64(Wide());
        driver_.SetRegistryDword("CardMask", 0x1);
        driver_.SetRegistryDword("CardSystemId0", 0x01020301);
        driver_.SetRegistryString("SymbolicLinkName0", "\\DosDevices\\tkdrv0");
        driver_.AddDevice("\\\\.\\tkdrv0");
        ASSERT_EQ(TK_OK, TKInitModule());
    }

    void TearDown() override { TKExitModule(); }

    bool Wide() const { return GetParam() == records::Layout::Wide; }
    records::Layout LayoutInUse() const { return GetParam(); }
    std::uint32_t HeaderSize() const { return records::HeaderSize(GetParam()); }

    // Card 0 with its bus open; the records of the opening are forgotten.
    void OpenCardAndBus() {
        ASSERT_EQ(TK_OK, TKOpenCard(0));
        ASSERT_EQ(TK_OK, TKOpenBus(0, 16, 64, 8, 32));
        driver_.ClearRecords();
    }

    // The one record of `code` sent since the last ClearRecords.
    ExchangedRecord OnlyRecordOf(std::uint32_t code) {
        const auto sent = driver_.RecordsOf(code);
        EXPECT_EQ(1u, sent.size()) << "records of request " << code;
        return sent.empty() ? ExchangedRecord{} : sent.front();
    }

    ScriptedDriver driver_;
    ScopedDriverPlatform usePlatform_{driver_};
    ManualClock clock_;
    ScopedClock useClock_{clock_};
};

inline std::string LayoutName(const ::testing::TestParamInfo<records::Layout>& info) {
    return info.param == records::Layout::Wide ? "Wide" : "Compact";
}

#define INSTANTIATE_BOTH_LAYOUTS(Fixture)                                               \
    INSTANTIATE_TEST_SUITE_P(                                                           \
        Layouts, Fixture,                                                               \
        ::testing::Values(::tk::records::Layout::Compact, ::tk::records::Layout::Wide), \
        ::tk::testing::LayoutName)

}  // namespace tk::testing
