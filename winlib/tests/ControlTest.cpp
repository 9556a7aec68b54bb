// Control operations on real controls, and the integer helpers of edit fields.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "TestResources.h"
#include "WinlibTestSupport.h"
#include "winlib/CDialog.h"

namespace {

class WinlibControls : public WinlibTest {
protected:
    void SetUp() override {
        WinlibTest::SetUp();
        dialog = new CDialog(IDD_SIMPLE, nullptr);
        dialog->SetCenterOnParent(0);
        ASSERT_EQ(dialog->DoModeless(), 1);
        ShowWindow(dialog->Handle(), SW_SHOW);
    }
    void TearDown() override {
        DestroyWindow(dialog->Handle());
        WinlibTest::TearDown();
    }
    // A control of the common control library, created on the dialog.
    CBasicWindow* Common(const char* className, int id, DWORD style = 0) {
        CreateWindowExA(0, className, "", WS_CHILD | WS_VISIBLE | style, 0, 0, 100, 30,
                        dialog->Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                        GetModuleHandleA(nullptr), nullptr);
        return dialog->Control(id);
    }
    std::string Text(int id) {
        char text[100] = "";
        GetDlgItemTextA(dialog->Handle(), id, text, sizeof text);
        return text;
    }

    CDialog* dialog = nullptr;
};

TEST_F(WinlibControls, ListBoxOperations) {
    CBasicWindow* list = dialog->Control(IDC_LIST);
    EXPECT_EQ(list->AddListBoxLine("b"), 0);
    EXPECT_EQ(list->AddListBoxLine("a"), 1);
    EXPECT_EQ(list->ListBoxCount(), 2);
    EXPECT_NE(list->SetListBoxItemData(1, 4711), LB_ERR);
    EXPECT_EQ(list->ListBoxItemData(1), 4711);
    EXPECT_EQ(list->SelectListBoxLine(1), 1);
    EXPECT_EQ(list->ListBoxSelection(), 1);
    char line[16] = "";
    EXPECT_EQ(list->ListBoxLineText(0, line), 1);
    EXPECT_STREQ(line, "b");
    EXPECT_EQ(list->DeleteListBoxLine(0), 1);
    list->EmptyListBox();
    EXPECT_EQ(list->ListBoxCount(), 0);
    EXPECT_EQ(list->ListBoxSelection(), LB_ERR);
}

TEST_F(WinlibControls, ComboBoxAndButtonOperations) {
    CBasicWindow* combo = dialog->Control(IDC_COMBO);
    EXPECT_EQ(combo->AddComboBoxLine("x"), 0);
    EXPECT_EQ(combo->AddComboBoxLine("y"), 1);
    EXPECT_EQ(combo->ComboBoxCount(), 2);
    EXPECT_NE(combo->SetComboBoxItemData(0, 99), CB_ERR);
    EXPECT_EQ(combo->ComboBoxItemData(0), 99);
    EXPECT_EQ(combo->SelectComboBoxLine(1), 1);
    EXPECT_EQ(combo->ComboBoxSelection(), 1);
    combo->EmptyComboBox();
    EXPECT_EQ(combo->ComboBoxCount(), 0);

    CBasicWindow* check = Common("BUTTON", 2001, BS_AUTOCHECKBOX);
    EXPECT_EQ(check->ButtonCheckState(), BST_UNCHECKED);
    check->SetButtonCheck(BST_CHECKED);
    EXPECT_EQ(check->ButtonCheckState(), BST_CHECKED);
}

TEST_F(WinlibControls, TabTrackbarAndUpDownOperations) {
    CBasicWindow* tabs = Common(WC_TABCONTROLA, 2002);
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>("first");
    EXPECT_EQ(tabs->InsertTab(0, &item), 0);
    item.pszText = const_cast<char*>("second");
    EXPECT_EQ(tabs->InsertTab(1, &item), 1);
    tabs->SelectTab(1);
    EXPECT_EQ(tabs->CurrentTab(), 1);
    RECT area{0, 0, 100, 30};
    tabs->TabDisplayArea(FALSE, &area);
    EXPECT_GT(area.top, 0) << "the display area lies below the tabs";

    CBasicWindow* track = Common(TRACKBAR_CLASSA, 2003);
    track->SetTrackbarRange(TRUE, 10, 200);
    track->SetTrackbarPosition(TRUE, 150);
    track->SetTrackbarPageSize(7);
    EXPECT_EQ(SendMessageA(track->Handle(), TBM_GETRANGEMIN, 0, 0), 10);
    EXPECT_EQ(SendMessageA(track->Handle(), TBM_GETRANGEMAX, 0, 0), 200);
    EXPECT_EQ(SendMessageA(track->Handle(), TBM_GETPOS, 0, 0), 150);
    EXPECT_EQ(SendMessageA(track->Handle(), TBM_GETPAGESIZE, 0, 0), 7);

    CBasicWindow* updown = Common(UPDOWN_CLASSA, 2004);
    updown->SetUpDownRange(-5, 300);
    int low = 0;
    int high = 0;
    SendMessageA(updown->Handle(), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                 reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(low, -5);
    EXPECT_EQ(high, 300);
    UDACCEL steps[2] = {{0, 1}, {2, 10}};
    EXPECT_EQ(updown->SetUpDownAcceleration(2, steps), 1);
    UDACCEL read[2] = {};
    EXPECT_EQ(SendMessageA(updown->Handle(), UDM_GETACCEL, 2, reinterpret_cast<LPARAM>(read)), 2);
    EXPECT_EQ(read[1].nInc, 10u);
}

struct IntTextCase {
    const char* text;
    int ok;
    long value;
};

TEST_F(WinlibControls, GetIntTextAcceptsOnlyAnOptionalMinusAndDigits) {
    const IntTextCase cases[] = {
        {"-", 0, 0},
        {"", 0, 0},
        {"-0", 1, 0},
        {"12a", 0, 0},
        {"007", 1, 7},
        {"+5", 0, 0},
        {" 5", 0, 0},
        {"5 ", 0, 0},
        {"--5", 0, 0},
        {"-17", 1, -17},
        {"2147483647", 1, 2147483647L},
        {"-2147483648", 1, -2147483647L - 1},
        {"2147483648", 0, 0},
        {"99999999999", 0, 0},
        {"00000000000000000000000000000000000000000000000000000005", 0, 0},
    };
    CBasicWindow* edit = dialog->Control(IDC_EDIT);
    for (const IntTextCase& c : cases) {
        SCOPED_TRACE(std::string("text \"") + c.text + "\"");
        edit->SetText(c.text);
        long value = -999;
        EXPECT_EQ(edit->GetIntText(&value), c.ok);
        EXPECT_EQ(value, c.ok ? c.value : -999) << "a failure leaves the value alone";
    }
}

TEST_F(WinlibControls, SetIntTextWritesDecimal) {
    CBasicWindow* edit = dialog->Control(IDC_EDIT);
    edit->SetIntText(-42);
    EXPECT_EQ(Text(IDC_EDIT), "-42");
}

struct RangeCase {
    const char* text;
    int result;
    long out;  // -999: untouched
    const char* textAfter;
    bool selectedAndFocused;
};

TEST_F(WinlibControls, CheckIntRangeCorrectsOutOfRangeValues) {
    const RangeCase cases[] = {
        {"300", 0, 300, "255", true},  {"0", 0, 0, "1", true},        {"-3", 0, -3, "1", true},
        {"17", 1, 17, "17", false},    {"255", 1, 255, "255", false}, {"1", 1, 1, "1", false},
        {"abc", 0, -999, "abc", true}, {"", 0, -999, "", true},
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(std::string("text \"") + c.text + "\"");
        SetFocus(GetDlgItem(dialog->Handle(), IDC_OTHER_BUTTON));
        CBasicWindow* edit = dialog->Control(IDC_EDIT);
        edit->SetText(c.text);
        SendMessageA(edit->Handle(), EM_SETSEL, 0, 0);
        long out = -999;
        EXPECT_EQ(edit->CheckIntRange(1, 255, &out), c.result);
        EXPECT_EQ(out, c.out);
        EXPECT_EQ(Text(IDC_EDIT), c.textAfter);
        DWORD start = 0;
        DWORD end = 0;
        SendMessageA(edit->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        if (c.selectedAndFocused) {
            EXPECT_EQ(GetFocus(), edit->Handle());
            EXPECT_EQ(start, 0u);
            EXPECT_EQ(end, strlen(c.textAfter));
        } else {
            EXPECT_NE(GetFocus(), edit->Handle());
        }
    }
    CBasicWindow* edit = dialog->Control(IDC_EDIT);
    edit->SetText("500");
    EXPECT_EQ(edit->CheckIntRange(1, 255, nullptr), 0) << "the out parameter may be null";
    EXPECT_EQ(Text(IDC_EDIT), "255");
}

}  // namespace
