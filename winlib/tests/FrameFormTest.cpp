// CFrameWindow with CFormView: frame creation and ownership, the frame fitted to
// the form, focus kept across deactivation, keyboard interface, and the rule
// that a click in a library window closes an open drop-down list.
#include <windows.h>

#include <string>

#include "TestResources.h"
#include "WinlibTestSupport.h"
#include "winlib/CFormView.h"
#include "winlib/CFrameWindow.h"

namespace {

class WinlibFrameForm : public WinlibTest {
protected:
    void TearDown() override {
        for (HWND window : created) {
            if (IsWindow(window)) {
                DestroyWindow(window);
            }
        }
        WinlibTest::TearDown();
    }

    CFrameWindow* MakeFrame(CFormView* form, DWORD style, const char* menu = nullptr,
                            CBasicWindow* parent = nullptr) {
        auto* frame = new CFrameWindow;
        const CRectangle place(40, 40, 300, 200);
        if (!frame->CreateFrame(nullptr, "form frame", style, &place, parent, menu, 0, form)) {
            return nullptr;
        }
        created.push_back(frame->Handle());
        return frame;
    }

    std::vector<HWND> created;
};

TEST_F(WinlibFrameForm, FrameWithoutParentAndWithoutMainWindowHasNoOwner) {
    CFrameWindow* frame = MakeFrame(nullptr, WS_OVERLAPPEDWINDOW);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->Parent(), nullptr);
    EXPECT_EQ(GetWindow(frame->Handle(), GW_OWNER), nullptr);
    EXPECT_NE(GetWindowLongA(frame->Handle(), GWL_STYLE) & WS_CLIPCHILDREN, 0);
    char className[64] = "";
    GetClassNameA(frame->Handle(), className, sizeof className);
    EXPECT_STREQ(className, "Brask32FrameOrViewWindow");
}

TEST_F(WinlibFrameForm, OtherFramesAreOwnedByTheMainWindow) {
    CFrameWindow* main = MakeFrame(nullptr, WS_OVERLAPPEDWINDOW);
    ASSERT_NE(main, nullptr);
    app.SetMainWindow(main);
    CFrameWindow* other = MakeFrame(nullptr, WS_OVERLAPPEDWINDOW);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->Parent(), main);
    EXPECT_EQ(GetWindow(other->Handle(), GW_OWNER), main->Handle());
}

TEST_F(WinlibFrameForm, MenuIsLoadedOrReported) {
    CFrameWindow* withMenu = MakeFrame(nullptr, WS_OVERLAPPEDWINDOW, MAKEINTRESOURCEA(IDM_FRAME));
    ASSERT_NE(withMenu, nullptr);
    EXPECT_NE(withMenu->Menu(), nullptr);
    EXPECT_EQ(GetMenu(withMenu->Handle()), withMenu->Menu());

    CFrameWindow* without = MakeFrame(nullptr, WS_OVERLAPPEDWINDOW, "NOSUCHMENU");
    ASSERT_NE(without, nullptr) << "created without the menu";
    EXPECT_EQ(GetMenu(without->Handle()), nullptr);
    EXPECT_EQ(boxes.TakeTexts(),
              std::vector<std::string>{"Fehler beim laden der Frame-Window-Menu-Resource.(0)"});
}

struct FitCase {
    const char* name;
    const char* menu;
};

TEST_F(WinlibFrameForm, FrameIsFittedAroundTheForm) {
    const FitCase cases[] = {{"without menu", nullptr}, {"with menu", MAKEINTRESOURCEA(IDM_FRAME)}};
    for (const FitCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto* form = new CFormView(IDD_FORM);
        CFrameWindow* frame = MakeFrame(form, WS_OVERLAPPEDWINDOW | WS_VISIBLE, c.menu);
        ASSERT_NE(frame, nullptr);
        ASSERT_NE(form->Handle(), nullptr);
        EXPECT_EQ(frame->AttachedView(), form);
        EXPECT_EQ(form->Parent(), frame);
        EXPECT_TRUE(CBasicWindow::IsLibraryWindow(form->Handle()));
        RECT formRect;
        GetWindowRect(form->Handle(), &formRect);
        RECT client;
        GetClientRect(frame->Handle(), &client);
        EXPECT_EQ(client.right, formRect.right - formRect.left);
        EXPECT_EQ(client.bottom, formRect.bottom - formRect.top);
        RECT frameRect;
        GetWindowRect(frame->Handle(), &frameRect);
        EXPECT_EQ(frameRect.left, 40) << "the frame keeps its corner";
        EXPECT_EQ(frameRect.top, 40);
    }
}

TEST_F(WinlibFrameForm, FormThatCannotBeCreatedFailsTheFrame) {
    auto* form = new CFormView(4711);
    auto* frame = new CFrameWindow;
    const CRectangle place(0, 0, 100, 100);
    EXPECT_EQ(
        frame->CreateFrame(nullptr, "f", WS_OVERLAPPEDWINDOW, &place, nullptr, nullptr, 0, form),
        0);
    const std::vector<std::string> expected = {"Fehler bei CreateDialog in CFormView::Create().(0)",
                                               "Fehler bei Erzeugung eines Framewindows.(0)"};
    EXPECT_EQ(boxes.TakeTexts(), expected);
    EXPECT_EQ(frame->AttachedView(), nullptr);
    DestroyWindow(frame->Handle());
    delete form;
}

TEST_F(WinlibFrameForm, FocusInTheFormIsKeptAcrossDeactivation) {
    auto* form = new CFormView(IDD_FORM);
    CFrameWindow* frame = MakeFrame(form, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    ASSERT_NE(frame, nullptr);
    const HWND edit = GetDlgItem(form->Handle(), IDC_FORM_EDIT);
    SetFocus(edit);
    EXPECT_EQ(form->DeactivationNotice(1), 1) << "activation: nothing remembered";
    EXPECT_EQ(form->DeactivationNotice(0), 1);
    EXPECT_EQ(form->RememberedFocus(), edit);
    SetFocus(frame->Handle());  // the frame passes its focus on to the form's remembered window
    EXPECT_EQ(GetFocus(), edit);
}

TEST_F(WinlibFrameForm, FormGetsTheKeyboardInterfaceThroughTheLoop) {
    auto* form = new CFormView(IDD_FORM);
    CFrameWindow* frame = MakeFrame(form, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    ASSERT_NE(frame, nullptr);
    app.SetMainWindow(frame);
    const HWND edit = GetDlgItem(form->Handle(), IDC_FORM_EDIT);
    SetForegroundWindow(GetAncestor(edit, GA_ROOT));
    PumpPending();
    SetFocus(edit);
    ASSERT_EQ(GetFocus(), edit);
    PressKey(app, edit, VK_TAB);
    EXPECT_EQ(GetFocus(), GetDlgItem(form->Handle(), IDC_FORM_COMBO));
    CBasicWindow* control = form->Control(IDC_FORM_BUTTON);
    EXPECT_EQ(control, form->Control(IDC_FORM_EDIT));
    EXPECT_EQ(control->Handle(), edit);
}

TEST_F(WinlibFrameForm, ClickInALibraryWindowClosesTheMainWindowsOpenDropDown) {
    for (bool withMainWindow : {true, false}) {
        SCOPED_TRACE(withMainWindow ? "main window set" : "no main window");
        auto* form = new CFormView(IDD_FORM);
        CFrameWindow* frame = MakeFrame(form, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        ASSERT_NE(frame, nullptr);
        app.SetMainWindow(withMainWindow ? frame : nullptr);
        const HWND combo = GetDlgItem(form->Handle(), IDC_FORM_COMBO);
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("one"));
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("two"));
        SetFocus(combo);
        SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
        ASSERT_EQ(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0), 1);
        SendMessageA(frame->Handle(), WM_LBUTTONDOWN, 0, MAKELPARAM(1, 1));
        EXPECT_EQ(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0), withMainWindow ? 0 : 1);
        SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
        app.SetMainWindow(nullptr);
        DestroyWindow(frame->Handle());
        PumpPending();
    }
}

}  // namespace
