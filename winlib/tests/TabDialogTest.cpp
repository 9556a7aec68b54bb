// TabDialog: tabs inserted from the page table, pages created on first selection,
// a page refusing to be left, and which page objects the destructor deletes.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "TestResources.h"
#include "WinlibTestSupport.h"
#include "winlib/CFrameWindow.h"
#include "winlib/TabDialog.h"

namespace {

int g_pageDeletions[2] = {0, 0};

// The window's own visibility, whatever its parent's.
bool Shown(HWND window) {
    return (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

class Page : public CDialog {
public:
    explicit Page(int index) : m_index(index) {}
    ~Page() override { ++g_pageDeletions[m_index]; }
    int AfterInitDialog() override {
        CenterInTab(IDC_TABS);
        return 1;
    }
    int OnOK() override { return allowLeaving ? 1 : 0; }
    bool allowLeaving = true;

private:
    int m_index;
};

class WinlibTabDialog : public WinlibTest {
protected:
    void SetUp() override {
        WinlibTest::SetUp();
        g_pageDeletions[0] = g_pageDeletions[1] = 0;
        main = new CFrameWindow;
        const CRectangle place(50, 50, 650, 550);
        ASSERT_EQ(main->CreateFrame(nullptr, "main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, &place,
                                    nullptr, nullptr, 0, nullptr),
                  1);
        app.SetMainWindow(main);
        pages[0] = new Page(0);
        pages[1] = new Page(1);
    }
    void TearDown() override {
        if (IsWindow(main->Handle())) {
            DestroyWindow(main->Handle());
        }
        WinlibTest::TearDown();
    }

    // A modeless tab dialog over the two pages, shown at the initial page.
    TabDialog* Open(int initialPage) {
        const TabPage table[] = {{"One", pages[0], IDD_PAGE_ONE}, {"Two", pages[1], IDD_PAGE_TWO}};
        auto* dialog = new TabDialog(initialPage);
        EXPECT_EQ(dialog->SetupTabs(IDD_TABS, main, IDC_TABS, table, 2), 1);
        EXPECT_EQ(dialog->DoModeless(), 1);
        return dialog;
    }
    HWND Tabs(TabDialog* dialog) { return GetDlgItem(dialog->Handle(), IDC_TABS); }

    // A real click on a tab, as the user makes it.
    void ClickTab(TabDialog* dialog, int index) {
        RECT item;
        SendMessageA(Tabs(dialog), TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
        const LPARAM where = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
        SendMessageA(Tabs(dialog), WM_LBUTTONDOWN, MK_LBUTTON, where);
        SendMessageA(Tabs(dialog), WM_LBUTTONUP, 0, where);
    }

    CFrameWindow* main = nullptr;
    Page* pages[2] = {nullptr, nullptr};
};

TEST_F(WinlibTabDialog, InsertsTheTabsAndCreatesOnlyTheCurrentPage) {
    TabDialog* dialog = Open(0);
    const HWND tabs = Tabs(dialog);
    ASSERT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 2);
    const char* const expected[] = {"One", "Two"};
    for (int i = 0; i < 2; ++i) {
        char text[32] = "";
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
        EXPECT_STREQ(text, expected[i]);
    }
    EXPECT_EQ(dialog->CurrentPage(), 0);
    EXPECT_TRUE(dialog->PageCreated(0));
    EXPECT_FALSE(dialog->PageCreated(1));
    EXPECT_EQ(pages[1]->Handle(), nullptr);
    EXPECT_TRUE(Shown(pages[0]->Handle()));
    EXPECT_EQ(pages[0]->Parent(), dialog);
    EXPECT_EQ(GetFocus(), tabs);
    DestroyWindow(dialog->Handle());
}

TEST_F(WinlibTabDialog, PageIsCentredInTheTabDisplayArea) {
    TabDialog* dialog = Open(0);
    RECT area;
    GetWindowRect(Tabs(dialog), &area);
    SendMessageA(Tabs(dialog), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    RECT page;
    GetWindowRect(pages[0]->Handle(), &page);
    const long areaWidth = area.right - area.left;
    const long pageWidth = page.right - page.left;
    const long areaHeight = area.bottom - area.top;
    const long pageHeight = page.bottom - page.top;
    EXPECT_EQ(page.left, area.left + (areaWidth - pageWidth) / 2);
    EXPECT_EQ(page.top, area.top + (areaHeight - pageHeight) / 2);
    DestroyWindow(dialog->Handle());
}

TEST_F(WinlibTabDialog, PageIsCreatedOnFirstSelectionAndHiddenWhenLeft) {
    TabDialog* dialog = Open(0);
    ClickTab(dialog, 1);
    EXPECT_EQ(dialog->CurrentPage(), 1);
    ASSERT_TRUE(dialog->PageCreated(1));
    const HWND second = pages[1]->Handle();
    EXPECT_TRUE(Shown(second));
    EXPECT_FALSE(Shown(pages[0]->Handle()));

    ClickTab(dialog, 0);
    EXPECT_EQ(dialog->CurrentPage(), 0);
    EXPECT_TRUE(IsWindow(second)) << "hidden, not destroyed";
    EXPECT_FALSE(Shown(second));
    EXPECT_TRUE(Shown(pages[0]->Handle()));
    DestroyWindow(dialog->Handle());
}

TEST_F(WinlibTabDialog, PageWhoseOnOKFailsRefusesTheTabChange) {
    TabDialog* dialog = Open(0);
    pages[0]->allowLeaving = false;
    ClickTab(dialog, 1);
    EXPECT_EQ(dialog->CurrentPage(), 0);
    EXPECT_EQ(SendMessageA(Tabs(dialog), TCM_GETCURSEL, 0, 0), 0);
    EXPECT_FALSE(dialog->PageCreated(1));
    // OK of the tab dialog asks the current page too.
    SendMessageA(dialog->Handle(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog->Handle(), IDOK)));
    ASSERT_TRUE(IsWindow(dialog->Handle())) << "the page refused OK";

    pages[0]->allowLeaving = true;
    ClickTab(dialog, 1);
    EXPECT_EQ(dialog->CurrentPage(), 1);
    DestroyWindow(dialog->Handle());
}

TEST_F(WinlibTabDialog, IndexOutOfRangeChangesNothingAndInitialIndexIsClamped) {
    TabDialog* dialog = Open(5);
    EXPECT_EQ(dialog->CurrentPage(), 0);
    EXPECT_EQ(dialog->SelectPage(2), 0);
    EXPECT_EQ(dialog->CurrentPage(), 0);
    EXPECT_EQ(SendMessageA(Tabs(dialog), TCM_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(dialog->PageByIndex(2), nullptr);
    EXPECT_EQ(dialog->PageByIndex(1), pages[1]);
    DestroyWindow(dialog->Handle());
}

TEST_F(WinlibTabDialog, NeverShownPageIsDeletedByTheTabDialogShownPageByItself) {
    TabDialog* dialog = Open(0);
    DestroyWindow(dialog->Handle());
    EXPECT_EQ(g_pageDeletions[0], 1) << "the shown page ended with its window";
    EXPECT_EQ(g_pageDeletions[1], 1) << "the never shown page, by the tab dialog";
}

TEST_F(WinlibTabDialog, BothShownPagesEndWithTheirWindowsOnce) {
    TabDialog* dialog = Open(1);
    ClickTab(dialog, 0);
    DestroyWindow(dialog->Handle());
    EXPECT_EQ(g_pageDeletions[0], 1);
    EXPECT_EQ(g_pageDeletions[1], 1);
}

TEST_F(WinlibTabDialog, EmptyPageTableIsRefused) {
    TabDialog dialog;
    dialog.SetAutoDelete(false);
    EXPECT_EQ(dialog.SetupTabs(IDD_TABS, main, IDC_TABS, nullptr, 0), 0);
    delete pages[0];
    delete pages[1];
}

TEST_F(WinlibTabDialog, FocusIsRememberedPerPage) {
    TabDialog* dialog = Open(0);
    const HWND firstEdit = GetDlgItem(pages[0]->Handle(), IDC_PAGE_EDIT);
    SetFocus(firstEdit);
    dialog->SelectPage(1);
    SetFocus(GetDlgItem(pages[1]->Handle(), IDC_PAGE_EDIT));
    dialog->SelectPage(0);
    EXPECT_EQ(GetFocus(), firstEdit);
    DestroyWindow(dialog->Handle());
}

}  // namespace
