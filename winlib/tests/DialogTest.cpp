// CDialog: binding through GlobalDialogProc, modal and modeless runs, command
// handling, centring, owned windows during a modal dialog, the Control wrapper.
#include <windows.h>

#include <string>

#include "TestResources.h"
#include "WinlibTestSupport.h"
#include "winlib/CDialog.h"
#include "winlib/CFrameWindow.h"

namespace {

EventLog g_events;
HWND g_dialog = nullptr;
int g_deletedDialogs = 0;

// A dialog that records its decisions; OnOK refuses as often as asked.
class ProbeDialog : public CDialog {
public:
    using CDialog::CDialog;
    ~ProbeDialog() override { ++g_deletedDialogs; }

    int AfterInitDialog() override {
        g_dialog = Handle();
        g_events.push_back("AfterInitDialog");
        return 1;
    }
    int OnOK() override {
        g_events.push_back("OnOK");
        if (refuseOK > 0) {
            --refuseOK;
            return 0;
        }
        return 1;
    }
    int OnCancel(int code) override {
        g_events.push_back("OnCancel " + std::to_string(code));
        return 1;
    }
    LRESULT OnMenuCommand(int id) override {
        g_events.push_back("OnMenuCommand " + std::to_string(id));
        return 0;
    }
    LRESULT OnControlCommand(HWND, int id, int code) override {
        if (id == IDC_EDIT) {
            return 0;  // focus notifications of the edit field
        }
        g_events.push_back("OnControlCommand " + std::to_string(id) + " " + std::to_string(code));
        return 0;
    }
    int refuseOK = 0;
};

// A parentless top-level frame to own dialogs.
CFrameWindow* MakeFrame(const CRectangle& place, CBasicWindow* parent = nullptr) {
    auto* frame = new CFrameWindow;
    if (!frame->CreateFrame(nullptr, "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, &place, parent,
                            nullptr, 0, nullptr)) {
        return nullptr;
    }
    return frame;
}

void Click(int id) {
    SendMessageA(GetDlgItem(g_dialog, id), BM_CLICK, 0, 0);
}

void SendCommand(int id, int code, HWND control) {
    SendMessageA(g_dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}

class WinlibDialog : public WinlibTest {
protected:
    void SetUp() override {
        WinlibTest::SetUp();
        g_events.clear();
        g_dialog = nullptr;
        g_deletedDialogs = 0;
        main = MakeFrame(CRectangle(100, 100, 700, 500));
        ASSERT_NE(main, nullptr);
        app.SetMainWindow(main);
    }
    void TearDown() override {
        if (IsWindow(main->Handle())) {
            DestroyWindow(main->Handle());
        }
        WinlibTest::TearDown();
    }
    CFrameWindow* main = nullptr;
};

TEST_F(WinlibDialog, ModalDialogEndsWithOneOnOKAndDeletesItself) {
    auto* dialog = new ProbeDialog(IDD_SIMPLE, main);
    TimerScript script({[] { Click(IDOK); }});
    EXPECT_EQ(dialog->DoModal(), 1);
    const EventLog expected = {"AfterInitDialog", "OnOK"};
    EXPECT_EQ(g_events, expected);
    EXPECT_EQ(g_deletedDialogs, 1);
}

TEST_F(WinlibDialog, ModalDialogEndsWithZeroOnCancelWithTheNotificationCode) {
    auto* dialog = new ProbeDialog(IDD_SIMPLE, main);
    TimerScript script({[] { Click(IDCANCEL); }});
    EXPECT_EQ(dialog->DoModal(), 0);
    const EventLog expected = {"AfterInitDialog", "OnCancel 0"};
    EXPECT_EQ(g_events, expected);
    EXPECT_EQ(g_deletedDialogs, 1);
}

TEST_F(WinlibDialog, OnOKReturningZeroKeepsTheDialogOpen) {
    auto* dialog = new ProbeDialog(IDD_SIMPLE, main);
    dialog->refuseOK = 1;
    bool openAfterRefusal = false;
    TimerScript script({[] { Click(IDOK); },
                        [&] { openAfterRefusal = IsWindowVisible(g_dialog) != 0; },
                        [] { Click(IDOK); }});
    EXPECT_EQ(dialog->DoModal(), 1);
    EXPECT_TRUE(openAfterRefusal);
    const EventLog expected = {"AfterInitDialog", "OnOK", "OnOK"};
    EXPECT_EQ(g_events, expected);
}

TEST_F(WinlibDialog, OkAndCancelWithoutControlGoToTheMenuHandlerAndDoNotEnd) {
    auto* dialog = new ProbeDialog(IDD_SIMPLE, main);
    bool stillOpen = false;
    TimerScript script(
        {[] { SendCommand(IDOK, 0, nullptr); }, [] { SendCommand(IDCANCEL, 0, nullptr); },
         [&] { stillOpen = IsWindow(g_dialog) != 0; },
         [] { SendCommand(IDC_OTHER_BUTTON, BN_CLICKED, GetDlgItem(g_dialog, IDC_OTHER_BUTTON)); },
         [] { Click(IDCANCEL); }});
    EXPECT_EQ(dialog->DoModal(), 0);
    EXPECT_TRUE(stillOpen);
    const EventLog expected = {"AfterInitDialog", "OnMenuCommand 1", "OnMenuCommand 2",
                               "OnControlCommand 1004 0", "OnCancel 0"};
    EXPECT_EQ(g_events, expected);
}

// The dialog manager turns Escape into IDCANCEL without a control when there is no Cancel button.
TEST_F(WinlibDialog, EscapeInADialogWithoutCancelButtonReachesTheMenuHandler) {
    auto* dialog = new ProbeDialog(IDD_NO_CANCEL, main);
    TimerScript script({[] {
                            HWND edit = GetDlgItem(g_dialog, IDC_EDIT);
                            SetFocus(edit);
                            PostMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
                        },
                        [] {}, [] { Click(IDOK); }});
    EXPECT_EQ(dialog->DoModal(), 1);
    const EventLog expected = {"AfterInitDialog", "OnMenuCommand 2", "OnOK"};
    EXPECT_EQ(g_events, expected);
}

TEST_F(WinlibDialog, ModelessDialogIsBoundSubclassedAndEndsWithItsWindow) {
    auto* dialog = new ProbeDialog;
    ASSERT_EQ(dialog->SetTemplate(IDD_SIMPLE, nullptr), 1);
    ASSERT_EQ(dialog->DoModeless(), 1);
    const HWND handle = dialog->Handle();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(dialog->IsModal(), 0);
    EXPECT_TRUE(CBasicWindow::IsLibraryWindow(handle));
    EXPECT_EQ(CBasicWindow::ObjectOf(handle), dialog);
    EXPECT_EQ(dialog->Parent(), main) << "a dialog without parent gets the main window";
    EXPECT_NE(GetWindowLongA(handle, GWL_STYLE) & DS_3DLOOK, 0);
    SendCommand(IDOK, BN_CLICKED, GetDlgItem(handle, IDOK));
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(g_deletedDialogs, 1);
    EXPECT_FALSE(PumpPending()) << "a dialog with a parent posts no quit";
}

TEST_F(WinlibDialog, ModelessDialogGetsTheKeyboardInterfaceThroughPreTranslate) {
    auto* dialog = new ProbeDialog(IDD_SIMPLE, main);
    ASSERT_EQ(dialog->DoModeless(), 1);
    const HWND handle = dialog->Handle();
    const HWND edit = GetDlgItem(handle, IDC_EDIT);
    SetForegroundWindow(GetAncestor(edit, GA_ROOT));
    PumpPending();
    SetFocus(edit);
    ASSERT_EQ(GetFocus(), edit);
    PressKey(app, edit, VK_TAB);
    EXPECT_EQ(GetFocus(), GetDlgItem(handle, IDC_LIST)) << "Tab moved on to the next control";
    DestroyWindow(handle);
}

TEST_F(WinlibDialog, MissingTemplateFailsSilently) {
    ProbeDialog dialog;
    dialog.SetAutoDelete(false);
    EXPECT_EQ(dialog.DoModal(), 0);
    EXPECT_EQ(dialog.DoModeless(), 0);
}

TEST_F(WinlibDialog, UnknownTemplateIsReportedAndHandsNothingOver) {
    ProbeDialog dialog(4711, main);
    dialog.SetAutoDelete(false);
    EXPECT_EQ(dialog.DoModeless(), 0);
    EXPECT_EQ(
        boxes.TakeTexts(),
        std::vector<std::string>{"Fehler beim Erzeugen des Dialogs in CDialog::DoModeless()(0)"});
    EXPECT_EQ(dialog.DoModal(), -1);
    // A library window created afterwards belongs to nobody.
    HWND raw = CreateWindowExA(0, "Brask32BasicWindow", "raw", WS_POPUP, 0, 0, 10, 10, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
    EXPECT_EQ(CBasicWindow::ObjectOf(raw), nullptr);
    DestroyWindow(raw);
}

TEST_F(WinlibDialog, DialogWithoutObjectIsReported) {
    HWND handle = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SIMPLE),
                                     main->Handle(), GlobalDialogProc, 0);
    ASSERT_NE(handle, nullptr);
    const auto texts = boxes.TakeTexts();
    ASSERT_FALSE(texts.empty());
    for (const std::string& text : texts) {
        EXPECT_EQ(text, "GlobalDialogProc-Aufruf ohne C-Objekt.(0)");
    }
    EXPECT_FALSE(CBasicWindow::IsLibraryWindow(handle));
    DestroyWindow(handle);
}

struct CentringCase {
    const char* name;
    CRectangle parent;
    int templateId;
    bool centred;  // else: pushed against the desktop's bottom-right, or at (0, 0)
};

TEST_F(WinlibDialog, CentringOverTheParentKeepsTheDialogOnTheDesktop) {
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    const CentringCase cases[] = {
        {"middle", CRectangle(200, 150, 800, 650), IDD_SIMPLE, true},
        {"near the bottom-right",
         CRectangle(desktop.right - 100, desktop.bottom - 80, desktop.right + 300,
                    desktop.bottom + 200),
         IDD_SIMPLE, false},
        {"larger than the desktop", CRectangle(100, 100, 500, 400), IDD_HUGE, false},
    };
    for (const CentringCase& c : cases) {
        SCOPED_TRACE(c.name);
        CFrameWindow* parent = MakeFrame(c.parent);
        ASSERT_NE(parent, nullptr);
        auto* dialog = new ProbeDialog(c.templateId, parent);
        ASSERT_EQ(dialog->DoModeless(), 1);
        RECT own;
        GetWindowRect(dialog->Handle(), &own);
        RECT parentRect;
        GetWindowRect(parent->Handle(), &parentRect);
        const long width = own.right - own.left;
        const long height = own.bottom - own.top;
        if (c.centred) {
            EXPECT_EQ(own.left, (parentRect.left + parentRect.right) / 2 - width / 2);
            EXPECT_EQ(own.top, (parentRect.top + parentRect.bottom) / 2 - height / 2);
        } else if (width > desktop.right) {
            EXPECT_EQ(own.left, 0);
            EXPECT_EQ(own.top, 0);
        } else {
            EXPECT_EQ(own.right, desktop.right);
            EXPECT_EQ(own.bottom, desktop.bottom);
        }
        DestroyWindow(parent->Handle());
    }
}

TEST_F(WinlibDialog, CentringCanBeSwitchedOff) {
    auto* dialog = new ProbeDialog(IDD_SIMPLE, main);
    dialog->SetCenterOnParent(0);
    ASSERT_EQ(dialog->DoModeless(), 1);
    RECT own;
    GetWindowRect(dialog->Handle(), &own);
    RECT parentRect;
    GetWindowRect(main->Handle(), &parentRect);
    const long width = own.right - own.left;
    EXPECT_NE(own.left, (parentRect.left + parentRect.right) / 2 - width / 2);
    DestroyWindow(dialog->Handle());
}

TEST_F(WinlibDialog, ModalDialogDisablesTheParentsOwnedLibraryWindowsWhileItRuns) {
    CFrameWindow* owned = MakeFrame(CRectangle(50, 50, 250, 200));  // owned by the main window
    ASSERT_NE(owned, nullptr);
    ASSERT_EQ(GetWindow(owned->Handle(), GW_OWNER), main->Handle());
    HWND foreign = CreateWindowExA(0, "STATIC", "foreign", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                   main->Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
    bool ownedEnabled = true;
    bool foreignEnabled = false;
    auto* dialog = new ProbeDialog(IDD_SIMPLE, main);
    TimerScript script({[&] {
                            ownedEnabled = IsWindowEnabled(owned->Handle()) != 0;
                            foreignEnabled = IsWindowEnabled(foreign) != 0;
                        },
                        [] { Click(IDOK); }});
    EXPECT_EQ(dialog->DoModal(), 1);
    EXPECT_FALSE(ownedEnabled);
    EXPECT_TRUE(foreignEnabled) << "only library windows are disabled";
    EXPECT_TRUE(IsWindowEnabled(owned->Handle())) << "enabled again when the dialog ended";
    DestroyWindow(foreign);
}

TEST_F(WinlibDialog, ControlWrapperIsReusedAndNeverDestroysAControl) {
    auto* dialog = new ProbeDialog(IDD_SIMPLE, main);
    ASSERT_EQ(dialog->DoModeless(), 1);
    CBasicWindow* first = dialog->Control(IDC_EDIT);
    EXPECT_EQ(first->Handle(), GetDlgItem(dialog->Handle(), IDC_EDIT));
    EXPECT_EQ(first->Parent(), dialog);
    CBasicWindow* second = dialog->Control(IDC_LIST);
    EXPECT_EQ(second, first);
    EXPECT_EQ(second->Handle(), GetDlgItem(dialog->Handle(), IDC_LIST));
    // Take the list out of the dialog: its end must not take the list with it.
    const HWND list = second->Handle();
    SetParent(list, main->Handle());
    DestroyWindow(dialog->Handle());
    EXPECT_TRUE(IsWindow(list));
    EXPECT_EQ(g_deletedDialogs, 1);
}

}  // namespace
