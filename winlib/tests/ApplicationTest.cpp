// CApplication: the program entry, the message loop and the PreTranslate walk.
#include <windows.h>

#include <string>

#include "WinlibTestSupport.h"
#include "winlib/CBasicWindow.h"
#include "winlib/DebugMessage.h"

namespace {

EventLog g_events;

// A window whose PreTranslate is recorded and may consume.
class WalkWindow : public CBasicWindow {
public:
    WalkWindow(const char* name, bool consume) : m_name(name), m_consume(consume) {}

    int CreateTopLevel() {
        return CreateBoundWindow(0, nullptr, m_name, WS_OVERLAPPEDWINDOW, 0, 0, 200, 150, nullptr,
                                 nullptr, nullptr);
    }
    int PreTranslate(MSG* message) override {
        if (message->message == kProbe) {
            g_events.push_back(std::string("PreTranslate ") + m_name);
        }
        return m_consume ? 1 : 0;
    }
    LRESULT OnUnlistedMessage() override {
        if (Message() == kProbe) {
            g_events.push_back(std::string("dispatched to ") + m_name);
            return 0;
        }
        return CBasicWindow::OnUnlistedMessage();
    }

    static constexpr UINT kProbe = WM_APP + 3;

private:
    const char* m_name;
    bool m_consume;
};

class WinlibApplication : public WinlibTest {
protected:
    void SetUp() override {
        WinlibTest::SetUp();
        g_events.clear();
    }
};

TEST_F(WinlibApplication, PumpMessageDispatchesAndReturnsZeroAtQuit) {
    auto* window = new WalkWindow("window", false);
    ASSERT_EQ(window->CreateTopLevel(), 1);
    PumpPending();
    PostMessageA(window->Handle(), WalkWindow::kProbe, 0, 0);
    PostQuitMessage(0);
    EXPECT_EQ(app.PumpMessage(), 1);
    EXPECT_EQ(app.PumpMessage(), 0);
    const EventLog expected = {"PreTranslate window", "dispatched to window"};
    EXPECT_EQ(g_events, expected);
    DestroyWindow(window->Handle());
    PumpPending();
}

// Walk: control (not a library window) -> child (library) -> main window; stops there.
TEST_F(WinlibApplication, PreTranslateWalksUpToTheMainWindowAndStops) {
    auto* main = new WalkWindow("main", false);
    ASSERT_EQ(main->CreateTopLevel(), 1);
    app.SetMainWindow(main);
    auto* child = new WalkWindow("child", false);
    ASSERT_EQ(child->CreateChild(nullptr, nullptr, WS_VISIBLE, nullptr, main, nullptr, nullptr, 0),
              1);
    HWND control = CreateWindowExA(0, "BUTTON", "b", WS_CHILD, 0, 0, 10, 10, child->Handle(),
                                   nullptr, GetModuleHandleA(nullptr), nullptr);
    MSG message{};
    message.hwnd = control;
    message.message = WalkWindow::kProbe;
    EXPECT_EQ(app.PreTranslate(&message), 0);
    const EventLog expected = {"PreTranslate child", "PreTranslate main"};
    EXPECT_EQ(g_events, expected);
    DestroyWindow(main->Handle());
    PumpPending();
}

TEST_F(WinlibApplication, ConsumedMessageIsNeitherTranslatedNorDispatched) {
    auto* main = new WalkWindow("main", false);
    ASSERT_EQ(main->CreateTopLevel(), 1);
    app.SetMainWindow(main);
    auto* child = new WalkWindow("child", true);
    ASSERT_EQ(child->CreateChild(nullptr, nullptr, WS_VISIBLE, nullptr, main, nullptr, nullptr, 0),
              1);
    PumpPending();
    PostMessageA(child->Handle(), WalkWindow::kProbe, 0, 0);
    EXPECT_EQ(app.PumpMessage(), 1);
    EXPECT_EQ(g_events, EventLog{"PreTranslate child"});
    DestroyWindow(main->Handle());
    PumpPending();
}

TEST_F(WinlibApplication, WindowOutsideTheMainWindowEndsTheWalkWithTheMainWindow) {
    auto* main = new WalkWindow("main", false);
    ASSERT_EQ(main->CreateTopLevel(), 1);
    app.SetMainWindow(main);
    auto* lone = new WalkWindow("lone", false);
    ASSERT_EQ(lone->CreateTopLevel(), 1);
    MSG message{};
    message.hwnd = lone->Handle();
    message.message = WalkWindow::kProbe;
    EXPECT_EQ(app.PreTranslate(&message), 0);
    const EventLog expected = {"PreTranslate lone", "PreTranslate main"};
    EXPECT_EQ(g_events, expected);
    DestroyWindow(lone->Handle());
    DestroyWindow(main->Handle());
    PumpPending();
}

class IdleApplication : public CApplication {
public:
    int OnIdle() override {
        ++idleCalls;
        if (idleCalls == 3) {
            PostQuitMessage(0);
            return 0;
        }
        return 1;
    }
    int idleCalls = 0;
};

TEST(WinlibApplicationLoop, RunCallsOnIdleWhileItAsksForMoreAndEndsAtQuit) {
    IdleApplication idle;
    EXPECT_EQ(idle.Run(), 0);
    EXPECT_EQ(idle.idleCalls, 3);
}

// The program entry's order of calls and results.
class EntryApplication : public CApplication {
public:
    int InitApplication() override {
        g_events.push_back("InitApplication");
        return initApplication;
    }
    int InitInstance() override {
        g_events.push_back("InitInstance");
        if (initInstance) {
            PostQuitMessage(0);
        }
        return initInstance;
    }
    int Run() override {
        g_events.push_back("Run");
        return CApplication::Run();
    }
    int ExitInstance() override {
        g_events.push_back("ExitInstance");
        return 7;
    }
    int initApplication = 1;
    int initInstance = 1;
};

struct EntryCase {
    const char* name;
    int initApplication;
    int initInstance;
    bool previousInstance;
    int result;
    EventLog events;
};

TEST(WinlibProgramEntry, RunsInitialisationLoopAndExitInOrder) {
    const EntryCase cases[] = {
        {"normal start",
         1,
         1,
         false,
         0,
         {"InitApplication", "InitInstance", "Run", "ExitInstance"}},
        {"InitInstance fails", 1, 0, false, 7, {"InitApplication", "InitInstance", "ExitInstance"}},
        {"InitApplication fails", 0, 1, false, -1, {"InitApplication"}},
        {"second instance", 0, 1, true, 0, {"InitInstance", "Run", "ExitInstance"}},
    };
    for (const EntryCase& c : cases) {
        SCOPED_TRACE(c.name);
        EntryApplication entry;
        entry.initApplication = c.initApplication;
        entry.initInstance = c.initInstance;
        g_events.clear();
        UnregisterLibraryClasses();
        static char commandLine[] = "-x";
        const HINSTANCE instance = GetModuleHandleA(nullptr);
        const HINSTANCE previous = c.previousInstance ? instance : nullptr;
        EXPECT_EQ(CApplication::ProgramEntry(instance, previous, commandLine, SW_SHOW), c.result);
        EXPECT_EQ(g_events, c.events);
        EXPECT_EQ(entry.InstanceHandle(), instance);
        EXPECT_STREQ(entry.CommandLine(), "-x");
        EXPECT_EQ(entry.ShowCommand(), SW_SHOW);
        WNDCLASSA info{};
        EXPECT_EQ(GetClassInfoA(instance, "Brask32FrameOrViewWindow", &info) != 0,
                  !c.previousInstance)
            << "a previous instance skips the registration";
    }
}

TEST(WinlibProgramEntry, ClassAlreadyRegisteredFailsTheStart) {
    EntryApplication entry;
    RegisterClassesFor(entry);
    g_events.clear();
    static char commandLine[] = "";
    EXPECT_EQ(CApplication::ProgramEntry(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOW),
              -1);
    EXPECT_EQ(g_events, EventLog{});
}

TEST(WinlibProgramEntry, WithoutApplicationObjectShowsTheBoxAndFails) {
    ASSERT_EQ(CApplication::Instance(), nullptr);
    DebugBoxCatcher boxes;
    static char commandLine[] = "";
    EXPECT_EQ(CApplication::ProgramEntry(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOW),
              -1);
    EXPECT_EQ(boxes.TakeTexts(), std::vector<std::string>{"NO APPLICATION OBJECT(0)"});
}

TEST(WinlibDebugMessage, FormatsTextAndNumberAndCutsLongTexts) {
    DebugBoxCatcher boxes;
    DebugMessage("Kurz", 0);
    DebugMessage("Zahl", -12);
    const std::string longText(300, 'x');
    DebugMessage(longText.c_str(), 0);
    const auto texts = boxes.TakeTexts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], "Kurz(0)");
    EXPECT_EQ(texts[1], "Zahl(-12)");
    EXPECT_EQ(texts[2], std::string(119, 'x'));
}

}  // namespace
