// CBasicWindow: window classes, binding, the dispatch table, nested dispatch and
// self-deletion, the end of a window, and the small per-message behaviours.
#include <windows.h>

#include <algorithm>
#include <string>

#include "WinlibTestSupport.h"
#include "winlib/CBasicWindow.h"
#include "winlib/CViewWindow.h"

namespace {

// A top-level test window that records what reaches its handlers.
class ProbeWindow : public CBasicWindow {
public:
    explicit ProbeWindow(bool* deleted = nullptr) : m_deleted(deleted) {}
    ~ProbeWindow() override {
        if (m_deleted != nullptr) {
            *m_deleted = true;
        }
    }

    int CreateTopLevel(const char* className = nullptr, CBasicWindow* owner = nullptr) {
        m_parent = owner;
        return CreateBoundWindow(0, className, "probe", WS_OVERLAPPEDWINDOW, 10, 10, 240, 160,
                                 owner != nullptr ? owner->Handle() : nullptr, nullptr, nullptr);
    }

    LRESULT OnUnlistedMessage() override {
        unlisted.push_back(Message());
        return CBasicWindow::OnUnlistedMessage();
    }
    LRESULT OnNcCreate() override {
        events.push_back("OnNcCreate bound=" + std::to_string(ObjectOf(Handle()) == this));
        return CBasicWindow::OnNcCreate();
    }
    LRESULT OnUser() override {
        events.push_back("OnUser " + std::to_string(WParam()));
        if (WParam() == 1) {
            // A nested message to the own window must not disturb this handler's record.
            SendMessageA(Handle(), WM_USER, 2, 0);
            events.push_back("OnUser after nested send sees " + std::to_string(WParam()));
        }
        return 77;
    }
    LRESULT DockInParent() override {
        events.push_back("DockInParent");
        return 0;
    }
    LRESULT OnSizeInner() override {
        events.push_back("OnSizeInner " + std::to_string(LParamLow()) + "x" +
                         std::to_string(LParamHigh()));
        return 0;
    }
    LRESULT OnMenuCommand(int id) override {
        events.push_back("OnMenuCommand " + std::to_string(id));
        return 0;
    }
    LRESULT OnControlCommand(HWND control, int id, int code) override {
        events.push_back("OnControlCommand " + std::to_string(id) + " " + std::to_string(code) +
                         (control != nullptr ? " with control" : ""));
        if (id == kDestroySelf) {
            DestroyWindow(Handle());
            // Still a whole object: its fields may be used until the handler returns.
            events.push_back("after DestroyWindow handle=" + std::to_string(Handle() == nullptr) +
                             " deleted=" + std::to_string(m_deleted != nullptr && *m_deleted));
        }
        return 0;
    }
    LRESULT OnCreate() override { return failCreate ? -1 : CBasicWindow::OnCreate(); }

    static constexpr int kDestroySelf = 99;
    bool failCreate = false;
    std::vector<UINT> unlisted;
    EventLog events;

private:
    bool* m_deleted;
};

bool Contains(const std::vector<UINT>& messages, UINT message) {
    return std::find(messages.begin(), messages.end(), message) != messages.end();
}

class WinlibBasicWindow : public WinlibTest {};

struct ClassExpectation {
    const char* name;
    UINT style;
    HBRUSH background;
};

TEST_F(WinlibBasicWindow, RegistersTheFourClassesWithTheirStylesAndBrushes) {
    const ClassExpectation expected[] = {
        {"Brask32BasicWindow", 0x000B, nullptr},
        {"Brask32ControlWindow", 0, reinterpret_cast<HBRUSH>(16)},
        {"Brask32MDIFraemWindow", 0x0008, nullptr},
        {"Brask32FrameOrViewWindow", 0x000B, reinterpret_cast<HBRUSH>(6)},
    };
    for (const ClassExpectation& e : expected) {
        SCOPED_TRACE(e.name);
        WNDCLASSA info{};
        ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), e.name, &info));
        EXPECT_EQ(info.style, e.style);
        EXPECT_EQ(info.hbrBackground, e.background);
        EXPECT_EQ(info.cbWndExtra, 12);
        EXPECT_EQ(info.cbClsExtra, 0);
        EXPECT_EQ(reinterpret_cast<void*>(info.lpfnWndProc),
                  reinterpret_cast<void*>(BasicWindowProc));
        EXPECT_EQ(info.hCursor, LoadCursorA(nullptr, IDC_ARROW));
    }
}

TEST_F(WinlibBasicWindow, FirstMessageBindsTheObjectToItsWindow) {
    auto* window = new ProbeWindow;
    ASSERT_EQ(window->CreateTopLevel(), 1);
    EXPECT_EQ(CBasicWindow::ObjectOf(window->Handle()), window);
    EXPECT_TRUE(CBasicWindow::IsLibraryWindow(window->Handle()));
    ASSERT_FALSE(window->events.empty());
    EXPECT_EQ(window->events.front(), "OnNcCreate bound=1");
    DestroyWindow(window->Handle());
}

TEST_F(WinlibBasicWindow, UnlistedMessagesReachTheDefaultHandler) {
    auto* window = new ProbeWindow;
    ASSERT_EQ(window->CreateTopLevel(), 1);
    const HWND handle = window->Handle();
    window->unlisted.clear();
    for (UINT message : {static_cast<UINT>(WM_USER + 1), 0x7FFFu, static_cast<UINT>(WM_SETFONT),
                         static_cast<UINT>(WM_INITDIALOG)}) {
        SendMessageA(handle, message, 0, 0);
        EXPECT_TRUE(Contains(window->unlisted, message)) << "message 0x" << std::hex << message;
    }
    // Default processing is DefWindowProcA's: an unlisted WM_GETTEXTLENGTH answers the title.
    EXPECT_EQ(SendMessageA(handle, WM_GETTEXTLENGTH, 0, 0), 5);
    // WM_USER itself has its own handler.
    window->unlisted.clear();
    EXPECT_EQ(SendMessageA(handle, WM_USER, 0, 0), 77);
    EXPECT_FALSE(Contains(window->unlisted, WM_USER));
    DestroyWindow(handle);
}

TEST_F(WinlibBasicWindow, NestedDispatchRestoresTheOuterMessage) {
    auto* window = new ProbeWindow;
    ASSERT_EQ(window->CreateTopLevel(), 1);
    window->events.clear();
    SendMessageA(window->Handle(), WM_USER, 1, 0);
    const EventLog expected = {"OnUser 1", "OnUser 2", "OnUser after nested send sees 1"};
    EXPECT_EQ(window->events, expected);
    DestroyWindow(window->Handle());
}

TEST_F(WinlibBasicWindow, DockRequestOnlyDocksAndLeavesTheClientRectangle) {
    auto* window = new ProbeWindow;
    ASSERT_EQ(window->CreateTopLevel(), 1);
    SendMessageA(window->Handle(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(200, 100));
    window->events.clear();
    SendMessageA(window->Handle(), WM_SIZE, 0xFFFFFFFF, MAKELPARAM(10, 10));
    EXPECT_EQ(window->events, EventLog{"DockInParent"});
    EXPECT_EQ(window->ClientRectangle(), CRectangle(0, 0, 200, 100));
    DestroyWindow(window->Handle());
}

TEST_F(WinlibBasicWindow, HandlerDestroyingItsOwnWindowKeepsItsObjectUntilDispatchReturns) {
    bool deleted = false;
    auto* window = new ProbeWindow(&deleted);
    ASSERT_EQ(window->CreateTopLevel(), 1);
    const HWND handle = window->Handle();
    EventLog* events = &window->events;
    events->clear();
    SendMessageA(handle, WM_COMMAND, MAKEWPARAM(ProbeWindow::kDestroySelf, BN_CLICKED),
                 reinterpret_cast<LPARAM>(handle));
    // The log went with the object; what was recorded before is checked through a copy.
    EXPECT_TRUE(deleted);
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_TRUE(PumpPending()) << "a parentless window's end posts WM_QUIT";
}

TEST_F(WinlibBasicWindow, ObjectIsDeletedOnlyAfterTheOutermostDispatch) {
    // Recorded from inside the handler, after DestroyWindow but before it returns.
    bool deleted = false;
    struct Recorder : ProbeWindow {
        using ProbeWindow::ProbeWindow;
        LRESULT OnControlCommand(HWND control, int id, int code) override {
            ProbeWindow::OnControlCommand(control, id, code);
            *copy = events;
            return 0;
        }
        EventLog* copy = nullptr;
    };
    EventLog copy;
    auto* window = new Recorder(&deleted);
    window->copy = &copy;
    ASSERT_EQ(window->CreateTopLevel(), 1);
    window->events.clear();
    const HWND handle = window->Handle();
    SendMessageA(handle, WM_COMMAND, MAKEWPARAM(ProbeWindow::kDestroySelf, 0),
                 reinterpret_cast<LPARAM>(handle));
    const EventLog expected = {"OnControlCommand 99 0 with control",
                               "after DestroyWindow handle=1 deleted=0"};
    EXPECT_EQ(copy, expected);
    EXPECT_TRUE(deleted);
    PumpPending();
}

TEST_F(WinlibBasicWindow, ParentlessWindowPostsQuitAndClearsTheMainWindow) {
    auto* main = new ProbeWindow;
    ASSERT_EQ(main->CreateTopLevel(), 1);
    app.SetMainWindow(main);
    auto* other = new ProbeWindow;
    ASSERT_EQ(other->CreateTopLevel(), 1);
    PumpPending();

    DestroyWindow(other->Handle());
    EXPECT_TRUE(PumpPending()) << "a parentless window that is not the main window";
    EXPECT_EQ(app.MainWindow(), main);

    DestroyWindow(main->Handle());
    EXPECT_TRUE(PumpPending());
    EXPECT_EQ(app.MainWindow(), nullptr);
}

TEST_F(WinlibBasicWindow, WindowWithAParentPostsNoQuit) {
    auto* owner = new ProbeWindow;
    ASSERT_EQ(owner->CreateTopLevel(), 1);
    auto* owned = new ProbeWindow;
    ASSERT_EQ(owned->CreateTopLevel(nullptr, owner), 1);
    PumpPending();
    DestroyWindow(owned->Handle());
    EXPECT_FALSE(PumpPending());
    DestroyWindow(owner->Handle());
    PumpPending();
}

TEST_F(WinlibBasicWindow, ForeignClassIsBoundByHandleOnlyAndNeverDispatched) {
    auto* parent = new ProbeWindow;
    ASSERT_EQ(parent->CreateTopLevel(), 1);
    ProbeWindow child;
    child.SetAutoDelete(false);
    EXPECT_EQ(child.CreateChild("STATIC", "text", WS_VISIBLE, nullptr, parent, nullptr, nullptr, 0),
              1);
    ASSERT_NE(child.Handle(), nullptr);
    EXPECT_FALSE(CBasicWindow::IsLibraryWindow(child.Handle()));
    EXPECT_TRUE(child.events.empty());
    EXPECT_TRUE(child.unlisted.empty());
    // The handover ended with the creation: a raw library window later is nobody's.
    HWND raw = CreateWindowExA(0, "Brask32BasicWindow", "raw", WS_POPUP, 0, 0, 10, 10, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(CBasicWindow::ObjectOf(raw), nullptr);
    DestroyWindow(raw);
    DestroyWindow(parent->Handle());
    PumpPending();
}

TEST_F(WinlibBasicWindow, CreateChildWithoutRectangleFillsTheParentClientArea) {
    auto* parent = new ProbeWindow;
    ASSERT_EQ(parent->CreateTopLevel(), 1);
    auto* child = new ProbeWindow;
    ASSERT_EQ(
        child->CreateChild(nullptr, nullptr, WS_VISIBLE, nullptr, parent, nullptr, nullptr, 0), 1);
    EXPECT_EQ(child->Parent(), parent);
    EXPECT_NE(GetWindowLongA(child->Handle(), GWL_STYLE) & WS_CHILD, 0);
    RECT parentClient;
    RECT childRect;
    GetClientRect(parent->Handle(), &parentClient);
    GetClientRect(child->Handle(), &childRect);
    EXPECT_EQ(childRect.right, parentClient.right);
    EXPECT_EQ(childRect.bottom, parentClient.bottom);
    DestroyWindow(parent->Handle());
    PumpPending();
}

TEST_F(WinlibBasicWindow, FailedCreationShowsTheBoxAndLeavesTheObjectToItsCaller) {
    ProbeWindow window;
    window.SetAutoDelete(true);
    EXPECT_EQ(window.CreateTopLevel("NoSuchWindowClass"), 0);
    EXPECT_EQ(boxes.TakeTexts(),
              std::vector<std::string>{
                  "Speichermangel: Fehler bei Fenstererzeugung. Windowhandle falsch.(0)"});

    // A window that ends inside CreateWindowExA (WM_CREATE fails) does not delete the object.
    bool deleted = false;
    auto* failing = new ProbeWindow(&deleted);
    failing->failCreate = true;
    EXPECT_EQ(failing->CreateTopLevel(), 0);
    EXPECT_FALSE(deleted);
    EXPECT_EQ(failing->Handle(), nullptr);
    delete failing;
    EXPECT_TRUE(deleted);
    boxes.TakeTexts();
    PumpPending();
}

TEST_F(WinlibBasicWindow, ClassWithoutRoomForTheObjectIsReported) {
    WNDCLASSA narrow{};
    narrow.lpfnWndProc = BasicWindowProc;
    narrow.cbWndExtra = 4;
    narrow.hInstance = GetModuleHandleA(nullptr);
    narrow.lpszClassName = "WinlibNarrowClass";
    ASSERT_NE(RegisterClassA(&narrow), 0);
    ProbeWindow window;
    window.SetAutoDelete(false);
    EXPECT_EQ(window.CreateTopLevel("WinlibNarrowClass"), 0);
    EXPECT_EQ(boxes.TakeTexts(),
              std::vector<std::string>{
                  "Fehler bei Fenstererzeugung. Objektpointer im Window falsch.(0)"});
    window.Destroy();
    UnregisterClassA("WinlibNarrowClass", GetModuleHandleA(nullptr));
    PumpPending();
}

TEST_F(WinlibBasicWindow, DeletingAnObjectDestroysItsWindowOnce) {
    bool deleted = false;
    auto* window = new ProbeWindow(&deleted);
    ASSERT_EQ(window->CreateTopLevel(), 1);
    const HWND handle = window->Handle();
    delete window;
    EXPECT_TRUE(deleted);
    EXPECT_FALSE(IsWindow(handle));
    PumpPending();
}

TEST_F(WinlibBasicWindow, CommandWithoutControlGoesToTheMenuHandler) {
    auto* window = new ProbeWindow;
    ASSERT_EQ(window->CreateTopLevel(), 1);
    const HWND handle = window->Handle();
    window->events.clear();
    SendMessageA(handle, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    SendMessageA(handle, WM_COMMAND, MAKEWPARAM(1234, 1), 0);
    SendMessageA(handle, WM_COMMAND, MAKEWPARAM(55, EN_CHANGE), reinterpret_cast<LPARAM>(handle));
    const EventLog expected = {"OnMenuCommand 1", "OnMenuCommand 1234",
                               "OnControlCommand 55 768 with control"};
    EXPECT_EQ(window->events, expected);
    DestroyWindow(handle);
}

TEST_F(WinlibBasicWindow, MinimumAndMaximumSizesFillTheMinMaxInfo) {
    auto* window = new ProbeWindow;
    ASSERT_EQ(window->CreateTopLevel(), 1);
    MINMAXINFO info{};
    info.ptMinTrackSize = {1, 2};
    info.ptMaxTrackSize = {3, 4};
    info.ptMaxSize = {5, 6};
    SendMessageA(window->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 1) << "no limit set: left alone";
    EXPECT_EQ(info.ptMaxSize.x, 5);

    window->SetMinimumSize(300, 200);
    window->SetMaximumSize(800, 600);
    SendMessageA(window->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 300);
    EXPECT_EQ(info.ptMinTrackSize.y, 200);
    EXPECT_EQ(info.ptMaxTrackSize.x, 800);
    EXPECT_EQ(info.ptMaxTrackSize.y, 600);
    EXPECT_EQ(info.ptMaxSize.x, 800);
    EXPECT_EQ(info.ptMaxSize.y, 600);
    DestroyWindow(window->Handle());
}

TEST_F(WinlibBasicWindow, ClientCursorIsSetOnlyOverTheClientArea) {
    auto* window = new ProbeWindow;
    ASSERT_EQ(window->CreateTopLevel(), 1);
    const HWND handle = window->Handle();
    HCURSOR cross = LoadCursorA(nullptr, IDC_CROSS);
    window->SetClientCursor(cross);
    EXPECT_EQ(SendMessageA(handle, WM_SETCURSOR, reinterpret_cast<WPARAM>(handle),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              1);
    EXPECT_EQ(GetCursor(), cross);
    window->unlisted.clear();
    DestroyWindow(handle);
}

TEST_F(WinlibBasicWindow, RelayoutSendsTheCurrentClientSize) {
    auto* window = new ProbeWindow;
    ASSERT_EQ(window->CreateTopLevel(), 1);
    RECT client;
    GetClientRect(window->Handle(), &client);
    window->events.clear();
    window->Relayout();
    EXPECT_EQ(window->events, EventLog{"OnSizeInner " + std::to_string(client.right) + "x" +
                                       std::to_string(client.bottom)});
    EXPECT_EQ(window->ClientRectangle(), CRectangle(0, 0, client.right, client.bottom));
    DestroyWindow(window->Handle());
}

class HelpApplication : public CApplication {
public:
    int HelpHook(HELPINFO* info) override {
        seen = info;
        return 1;
    }
    HELPINFO* seen = nullptr;
};

TEST(WinlibBasicWindowHelp, HelpHookThatHandlesTheRequestEndsIt) {
    HelpApplication helpApp;
    RegisterClassesFor(helpApp);
    auto* window = new ProbeWindow;
    ASSERT_EQ(window->CreateTopLevel(), 1);
    HELPINFO info{};
    info.cbSize = sizeof info;
    window->unlisted.clear();
    EXPECT_EQ(SendMessageA(window->Handle(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info)), 0);
    EXPECT_EQ(helpApp.seen, &info);
    DestroyWindow(window->Handle());
    PumpPending();
}

}  // namespace
