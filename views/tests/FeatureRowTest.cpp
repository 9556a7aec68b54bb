// The decisions of a feature row and of the direct register dialog, on plain
// words: enabling, slider ranges and steps, scroll requests at the bounds,
// white balance halves, read backs, hex parsing and history lines.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "views/DirectControlDialog.h"
#include "views/FeatureControl.h"

namespace {

using namespace feature_row;

constexpr std::uint32_t Range(std::uint32_t min, std::uint32_t max) {
    return (min << 12) | max;
}

struct EnablingCase {
    const char* what;
    std::uint32_t inquiry;
    std::uint32_t value;
    Enabling expected;
};

Enabling Make(bool fixed, int fixedCheck, bool automatic, bool checkAuto, bool onePush,
              bool sliders) {
    Enabling e;
    e.fixedEnabled = fixed;
    e.fixedCheck = fixedCheck;
    e.autoEnabled = automatic;
    e.checkAuto = checkAuto;
    e.onePushEnabled = onePush;
    e.slidersEnabled = sliders;
    return e;
}

TEST(FeatureRowEnabling, FollowsInquiryAndControlWord) {
    const std::uint32_t all = kInqPresent | kInqOnePush | kInqReadOut | kInqOnOff | kInqAuto |
                              kInqManual | Range(0, 1023);
    const EnablingCase cases[] = {
        {"absent, whatever else is offered", all & ~kInqPresent, kCtlOn | kCtlAuto,
         Make(false, -1, false, false, false, false)},
        {"switchable and off", all, 0, Make(true, 1, false, false, false, false)},
        {"switchable, on, manual", all, kCtlOn, Make(true, 0, true, false, true, true)},
        {"switchable, on, automatic", all, kCtlOn | kCtlAuto,
         Make(true, 0, true, true, true, false)},
        {"not switchable: the on bit does not matter", all & ~kInqOnOff, 0,
         Make(false, -1, true, false, true, true)},
        {"manual only", kInqPresent | kInqManual, kCtlOn,
         Make(false, -1, false, false, false, true)},
        {"automatic without manual setting", kInqPresent | kInqAuto, kCtlOn,
         Make(false, -1, true, false, false, false)},
        {"automatic bit without automatic mode offered", kInqPresent | kInqManual, kCtlAuto,
         Make(false, -1, false, true, false, false)},
    };
    for (const EnablingCase& c : cases) {
        const Enabling got = EnablingFor(c.inquiry, c.value);
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.expected.fixedEnabled, got.fixedEnabled);
        EXPECT_EQ(c.expected.fixedCheck, got.fixedCheck);
        EXPECT_EQ(c.expected.autoEnabled, got.autoEnabled);
        EXPECT_EQ(c.expected.checkAuto, got.checkAuto);
        EXPECT_EQ(c.expected.onePushEnabled, got.onePushEnabled);
        EXPECT_EQ(c.expected.slidersEnabled, got.slidersEnabled);
    }
}

TEST(FeatureRowRange, MinimumMaximumAndPageStepFromTheInquiry) {
    const std::uint32_t inquiry = kInqPresent | kInqManual | Range(0, 1023);
    EXPECT_EQ(0u, Minimum(inquiry));
    EXPECT_EQ(1023u, Maximum(inquiry));
    EXPECT_EQ(127u, PageStep(inquiry));
    EXPECT_EQ(374u, PageStep(Range(1, 3000)));
    EXPECT_EQ(0u, PageStep(Range(7, 7)));
    // A minimum above the maximum wraps on 32 bits.
    EXPECT_EQ((0u - 16u) >> 3, PageStep(Range(20, 4)));
}

struct ScrollCase {
    const char* what;
    int request;
    std::uint32_t part;
    std::uint32_t thumb;
    std::uint32_t expected;
    bool moves;
};

TEST(FeatureRowScroll, RequestsGiveTheNewValueWithinTheRange) {
    const std::uint32_t inquiry = Range(10, 1000);  // step 123
    const std::uint32_t step = PageStep(inquiry);
    ASSERT_EQ(123u, step);
    const ScrollCase cases[] = {
        {"line up", TB_LINEUP, 50, 0, 49, false},
        {"line up at the minimum", TB_LINEUP, 10, 0, 10, false},
        {"line down", TB_LINEDOWN, 50, 0, 51, false},
        {"line down at the maximum", TB_LINEDOWN, 1000, 0, 1000, false},
        {"page up", TB_PAGEUP, 500, 0, 377, true},
        {"page up at minimum + step", TB_PAGEUP, 133, 0, 10, true},
        {"page up just above minimum + step", TB_PAGEUP, 134, 0, 11, true},
        {"page up below minimum + step", TB_PAGEUP, 40, 0, 10, true},
        {"page down", TB_PAGEDOWN, 500, 0, 623, true},
        {"page down at maximum - step", TB_PAGEDOWN, 877, 0, 1000, true},
        {"page down just below maximum - step", TB_PAGEDOWN, 876, 0, 999, true},
        {"page down above maximum - step", TB_PAGEDOWN, 990, 0, 1000, true},
        {"thumb track", TB_THUMBTRACK, 500, 321, 321, false},
        {"top", TB_TOP, 500, 0, 10, false},
        {"bottom", TB_BOTTOM, 500, 0, 1000, false},
        {"thumb position keeps the value", TB_THUMBPOSITION, 500, 900, 500, false},
        {"end of tracking keeps the value", TB_ENDTRACK, 500, 0, 500, false},
        {"unknown request keeps the value", 42, 500, 0, 500, false},
    };
    for (const ScrollCase& c : cases) {
        const ScrollTarget got = Scroll(c.request, c.part, c.thumb, inquiry, step);
        EXPECT_EQ(c.expected, got.part) << c.what;
        EXPECT_EQ(c.moves, got.moveSlider) << c.what;
    }
}

TEST(FeatureRowScroll, BrokenRangeNeverLeavesTwelveBits) {
    // Minimum 4000 above maximum 5: the step wraps to about 2^29.
    const std::uint32_t inquiry = Range(4000, 5);
    const std::uint32_t step = PageStep(inquiry);
    for (int request : {TB_PAGEUP, TB_PAGEDOWN, TB_LINEUP, TB_LINEDOWN, TB_TOP, TB_BOTTOM}) {
        for (std::uint32_t part : {0u, 5u, 4000u, 4095u}) {
            EXPECT_LE(Scroll(request, part, 0, inquiry, step).part, kPartMask)
                << "request " << request << " from " << part;
        }
    }
    EXPECT_EQ(kPartMask, Scroll(TB_THUMBTRACK, 0, 0xFFFF, inquiry, step).part);
}

TEST(FeatureRowWhiteBalance, EachSliderOwnsItsHalf) {
    const std::uint32_t value = kCtlOn | (600u << 12) | 440u;
    EXPECT_EQ(440u, SliderPart(value, false));
    EXPECT_EQ(600u, SliderPart(value, true));
    EXPECT_EQ(kCtlOn | (77u << 12) | 440u, WithSliderPart(value, true, 77));
    EXPECT_EQ(kCtlOn | (600u << 12) | 77u, WithSliderPart(value, false, 77));
    EXPECT_EQ("White-Bal.(440 - 600)", Label("White-Bal.", value, true));
    EXPECT_EQ("Gain(440)", Label("Gain", value, false));
    EXPECT_EQ("Gain(0)", Label("Gain", 0, false));
}

TEST(FeatureRowReadBack, OnlyAutomaticOrOnePushFeaturesThatCanBeReadBack) {
    const std::uint32_t readable = kInqPresent | kInqReadOut | kInqAuto | kInqOnePush;
    EXPECT_TRUE(NeedsRefresh(readable, kCtlAuto));
    EXPECT_TRUE(NeedsRefresh(readable, kCtlOnePush));
    EXPECT_FALSE(NeedsRefresh(readable, kCtlOn));
    EXPECT_FALSE(NeedsRefresh(readable & ~kInqReadOut, kCtlAuto | kCtlOnePush));
    EXPECT_FALSE(NeedsRefresh(readable & ~kInqAuto, kCtlAuto));
    EXPECT_FALSE(NeedsRefresh(readable & ~kInqOnePush, kCtlOnePush));
}

TEST(FeatureRowReadBack, RefreshTakesValuesAndOnePushButKeepsTheModeBits) {
    const std::uint32_t row = kCtlOn | kCtlAuto | kCtlOnePush | 0x123456;
    const std::uint32_t read = 0x80000000u | 0x00ABCDEF;  // on, auto and one-push all clear
    EXPECT_EQ(kCtlOn | kCtlAuto | 0xABCDEF, Refreshed(row, read));
    EXPECT_EQ(kCtlOn | kCtlAuto | kCtlOnePush | 0xABCDEF, ValuesFrom(row, read));
}

struct HexCase {
    const char* text;
    bool ok;
    std::uint32_t value;
};

TEST(ParseHexText, DigitsOnlyKeepingTheLastEight) {
    const HexCase cases[] = {
        {"F0F00614", true, 0xF0F00614},
        {"f0f00614", true, 0xF0F00614},
        {"0", true, 0},
        {"aBc", true, 0xABC},
        {"1F0F00614", true, 0xF0F00614},
        {"FFFFFFFFF", true, 0xFFFFFFFF},
        {"", false, 0},
        {"0x10", false, 0},
        {"F0 F0", false, 0},
        {" F0", false, 0},
        {"F0 ", false, 0},
        {"-1", false, 0},
        {"+1", false, 0},
        {"G", false, 0},
    };
    for (const HexCase& c : cases) {
        std::uint32_t value = 0x5A5A5A5A;
        EXPECT_EQ(c.ok, ParseHex(c.text, &value)) << '"' << c.text << '"';
        EXPECT_EQ(c.ok ? c.value : 0x5A5A5A5Au, value) << '"' << c.text << '"';
    }
    std::uint32_t value = 0;
    EXPECT_FALSE(ParseHex(nullptr, &value));
}

TEST(RegisterHistory, LinesOfReadsAndWrites) {
    EXPECT_EQ("W F0F00614:80000000", RegisterHistoryLine(true, 0xF0F00614, 0x80000000, 0));
    EXPECT_EQ("W 00001000:0000ABCD Error(15)", RegisterHistoryLine(true, 0x1000, 0xABCD, 15));
    EXPECT_EQ("R F0F00614:80000000", RegisterHistoryLine(false, 0xF0F00614, 0x80000000, 0));
    EXPECT_EQ("R 00001000:00000000 Error(1003)",
              RegisterHistoryLine(false, 0x1000, 0x12345678, 1003));
}

}  // namespace
