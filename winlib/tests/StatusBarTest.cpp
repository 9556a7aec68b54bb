// CStatusBar and CTextFieldBar: docking into the parent's layout, showing and
// hiding, fields from tab-separated texts, field text and layout arithmetic.
#include <windows.h>

#include <string>

#include "WinlibTestSupport.h"
#include "winlib/CFrameWindow.h"
#include "winlib/CTextField.h"
#include "winlib/CTextFieldBar.h"
#include "winlib/CViewWindow.h"

namespace {

class WinlibStatusBar : public WinlibTest {
protected:
    void SetUp() override {
        WinlibTest::SetUp();
        view = new CViewWindow;
        frame = new CFrameWindow;
        const CRectangle place(0, 0, 100, 100);
        ASSERT_EQ(frame->CreateFrame(nullptr, "bars", WS_POPUP | WS_VISIBLE, &place, nullptr,
                                     nullptr, 0, view),
                  1);
    }
    void TearDown() override {
        if (IsWindow(frame->Handle())) {
            DestroyWindow(frame->Handle());
        }
        WinlibTest::TearDown();
    }

    // Bars are owned by whoever made them (a camera window deletes its status line).
    CTextFieldBar* MakeBar(int side) {
        auto* bar = new CTextFieldBar;
        bar->SetAutoDelete(false);
        EXPECT_EQ(bar->CreateBar(frame, side), 1);
        bars.emplace_back(bar);
        return bar;
    }
    void SizeClient(int width, int height) {
        RECT r{0, 0, width, height};
        AdjustWindowRect(&r, GetWindowLongA(frame->Handle(), GWL_STYLE), FALSE);
        SetWindowPos(frame->Handle(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                     SWP_NOMOVE | SWP_NOZORDER);
    }
    CRectangle PlaceOf(HWND window) {
        RECT r;
        GetWindowRect(window, &r);
        MapWindowPoints(nullptr, frame->Handle(), reinterpret_cast<POINT*>(&r), 2);
        return CRectangle(r);
    }

    CFrameWindow* frame = nullptr;
    CViewWindow* view = nullptr;
    std::vector<std::unique_ptr<CTextFieldBar>> bars;
};

TEST_F(WinlibStatusBar, ThicknessIsTheLetterHeightPlusEight) {
    CTextFieldBar bar;
    bar.SetAutoDelete(false);
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, bar.Font());
    SIZE size{};
    GetTextExtentPoint32A(screen, "W", 1, &size);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(bar.Thickness(), size.cy + 8);
}

struct SideCase {
    const char* name;
    int side;
    bool vertical;  // a left or right bar
};

TEST_F(WinlibStatusBar, BarTakesItsEdgeAndTheViewGetsTheRest) {
    const SideCase cases[] = {{"top", CStatusBar::kTop, false},
                              {"right", CStatusBar::kRight, true},
                              {"left", CStatusBar::kLeft, true},
                              {"bottom", CStatusBar::kBottom, false}};
    for (const SideCase& c : cases) {
        SCOPED_TRACE(c.name);
        CTextFieldBar* bar = MakeBar(c.side);
        SizeClient(400, 300);
        const long t = bar->Thickness();
        CRectangle expectedBar(0, 0, 400, 300);
        CRectangle expectedView(0, 0, 400, 300);
        switch (c.side) {
            case CStatusBar::kTop:
                expectedBar.bottom = t;
                expectedView.top = t;
                break;
            case CStatusBar::kRight:
                expectedBar.left = 400 - t;
                expectedView.right = 400 - t;
                break;
            case CStatusBar::kLeft:
                expectedBar.right = t;
                expectedView.left = t;
                break;
            default:
                expectedBar.top = 300 - t;
                expectedView.bottom = 300 - t;
                break;
        }
        EXPECT_EQ(PlaceOf(bar->Handle()), expectedBar);
        EXPECT_EQ(PlaceOf(view->Handle()), expectedView);
        EXPECT_EQ(frame->ClientRectangle(), expectedView);
        bar->Destroy();
    }
}

TEST_F(WinlibStatusBar, TwoBottomBarsStackInChildWindowOrderFirstOneLowest) {
    CTextFieldBar* a = MakeBar(CStatusBar::kBottom);
    CTextFieldBar* b = MakeBar(CStatusBar::kBottom);
    SizeClient(400, 300);
    const HWND first = GetTopWindow(frame->Handle()) == view->Handle()
                           ? GetWindow(view->Handle(), GW_HWNDNEXT)
                           : GetTopWindow(frame->Handle());
    ASSERT_TRUE(first == a->Handle() || first == b->Handle());
    const HWND second = first == a->Handle() ? b->Handle() : a->Handle();
    const long t = a->Thickness();
    EXPECT_EQ(PlaceOf(first), CRectangle(0, 300 - t, 400, 300));
    EXPECT_EQ(PlaceOf(second), CRectangle(0, 300 - 2 * t, 400, 300 - t));
    EXPECT_EQ(PlaceOf(view->Handle()), CRectangle(0, 0, 400, 300 - 2 * t));
}

TEST_F(WinlibStatusBar, HiddenBarTakesNoSpaceAndShowingItLaysOutAgain) {
    CTextFieldBar* bar = MakeBar(CStatusBar::kBottom);
    SizeClient(400, 300);
    const long t = bar->Thickness();
    EXPECT_TRUE(bar->Visible());
    ShowWindow(bar->Handle(), SW_HIDE);
    EXPECT_FALSE(bar->Visible());
    EXPECT_EQ(PlaceOf(view->Handle()), CRectangle(0, 0, 400, 300));
    ShowWindow(bar->Handle(), SW_SHOW);
    EXPECT_EQ(PlaceOf(view->Handle()), CRectangle(0, 0, 400, 300 - t));
}

TEST_F(WinlibStatusBar, BarWithoutParentIsReported) {
    CTextFieldBar bar;
    bar.SetAutoDelete(false);
    EXPECT_EQ(bar.CreateBar(nullptr, CStatusBar::kBottom), 0);
    EXPECT_EQ(boxes.TakeTexts(), std::vector<std::string>{"Statusbar-Create ohne Parentwindow(0)"});
}

long TextWidth(HFONT font, const char* text) {
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, font);
    SIZE size{};
    GetTextExtentPoint32A(screen, text, static_cast<int>(strlen(text)), &size);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    return size.cx;
}

TEST_F(WinlibStatusBar, TabSeparatedTextGivesOneFieldPerPart) {
    CTextFieldBar* bar = MakeBar(CStatusBar::kBottom);
    ASSERT_EQ(bar->AddFieldsFromText("abc\t\tdefg\t"), 1);
    ASSERT_EQ(bar->FieldCount(), 3) << "an empty middle part counts, a final tab does not";
    const char* const texts[] = {"abc", "", "defg"};
    const char* const measured[] = {"abc", "M", "defg"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_STREQ(bar->Field(i)->Text(), texts[i]);
        EXPECT_EQ(bar->Field(i)->Width(), TextWidth(bar->Font(), measured[i]) + 4);
    }
    EXPECT_EQ(bar->AddFieldsFromText(nullptr), 0);
    EXPECT_EQ(bar->AddFields(nullptr, 2), 0);
    const char* const more[] = {"x", "y"};
    EXPECT_EQ(bar->AddFields(more, 0), 0);
    EXPECT_EQ(bar->AddFields(more, 2), 1);
    EXPECT_EQ(bar->FieldCount(), 5);
}

TEST_F(WinlibStatusBar, FieldTextKeepsItsLabelAndItsWidth) {
    CTextFieldBar* bar = MakeBar(CStatusBar::kBottom);
    ASSERT_EQ(bar->AddFieldsFromText("Frame:12345678\tRate:00000000\t"), 1);
    ASSERT_EQ(bar->FieldCount(), 2);
    const long width = bar->Field(0)->Width();
    EXPECT_EQ(width, TextWidth(bar->Font(), "Frame:12345678") + 4);
    EXPECT_EQ(bar->SetFieldText(0, "42", 6), 1);
    EXPECT_STREQ(bar->Field(0)->Text(), "Frame:42");
    EXPECT_EQ(bar->Field(0)->Width(), width);
    EXPECT_EQ(bar->Field(1)->GetRectangle().left, 5 + width + 5);
    EXPECT_EQ(bar->SetFieldText(2, "x", 0), 0);
    // A keep count beyond the text keeps all of it.
    EXPECT_EQ(bar->SetFieldText(1, "!", 99), 1);
    EXPECT_STREQ(bar->Field(1)->Text(), "Rate:00000000!");
}

TEST_F(WinlibStatusBar, WindowTextIsTheFieldsTexts) {
    CTextFieldBar* bar = MakeBar(CStatusBar::kBottom);
    ASSERT_EQ(bar->AddFieldsFromText("Seen: 00000000\tRate: 00000\t"), 1);
    bar->SetFieldText(0, "17", 6);
    const char expected[] = "Seen: 17\tRate: 00000\t";
    EXPECT_EQ(GetWindowTextLengthA(bar->Handle()), static_cast<int>(sizeof expected - 1));
    char text[64];
    EXPECT_EQ(GetWindowTextA(bar->Handle(), text, sizeof text),
              static_cast<int>(sizeof expected - 1));
    EXPECT_STREQ(text, expected);
    // A short buffer gets what fits, terminated.
    char small[6];
    EXPECT_EQ(GetWindowTextA(bar->Handle(), small, sizeof small), 5);
    EXPECT_STREQ(small, "Seen:");
}

TEST_F(WinlibStatusBar, StretchingFieldSharesTheSpareWidth) {
    CTextFieldBar* bar = MakeBar(CStatusBar::kBottom);
    SizeClient(300, 200);
    ASSERT_EQ(bar->AddFieldsFromText("a\tb\tc"), 1);
    bar->Field(0)->SetRectangle(CRectangle(0, 0, 50, 16));
    bar->Field(1)->SetRectangle(CRectangle(0, 0, 60, 16));
    ASSERT_EQ(bar->SetFieldStyle(2, CTextField::kStretch | CTextField::kAlignCentre), 1);
    // sum 50 + 5 + 60 + 5 + 5 = 125, share 300 - 125 - 5 = 170
    EXPECT_EQ(bar->Field(0)->GetRectangle(), CRectangle(5, 3, 55, 19));
    EXPECT_EQ(bar->Field(1)->GetRectangle(), CRectangle(60, 3, 120, 19));
    const long height = bar->Field(2)->GetRectangle().Height();
    EXPECT_EQ(bar->Field(2)->GetRectangle(), CRectangle(125, 3, 295, 3 + height));
    EXPECT_EQ(bar->SetFieldStyle(3, 0), 0);
}

TEST_F(WinlibStatusBar, ClickNotificationGoesToTheParent) {
    struct Parent : CFrameWindow {
        void NotifyChildClick() override { ++clicks; }
        int clicks = 0;
    };
    auto* parent = new Parent;
    const CRectangle place(0, 0, 200, 100);
    ASSERT_EQ(parent->CreateFrame(nullptr, "p", WS_POPUP, &place, nullptr, nullptr, 0, nullptr), 1);
    CTextFieldBar bar;
    bar.SetAutoDelete(false);
    ASSERT_EQ(bar.CreateBar(parent, CStatusBar::kTop), 1);
    bar.NotifyChildClick();
    EXPECT_EQ(parent->clicks, 1);
    bar.Destroy();
    DestroyWindow(parent->Handle());
}

}  // namespace
