#include "WinlibTestSupport.h"

#include <commctrl.h>

#include <deque>
#include <memory>

#include "winlib/CBasicWindow.h"

namespace {

const char* const kLibraryClasses[] = {"Brask32BasicWindow", "Brask32ControlWindow",
                                       "Brask32MDIFraemWindow", "Brask32FrameOrViewWindow"};

thread_local std::vector<std::string>* t_boxTexts = nullptr;

LRESULT CALLBACK CatchDebugBoxes(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && t_boxTexts != nullptr) {
        const HWND box = reinterpret_cast<HWND>(wParam);
        char title[64] = "";
        GetWindowTextA(box, title, sizeof title);
        if (std::string(title) == "DEBUGOUT") {
            char text[256] = "";
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            t_boxTexts->push_back(text);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

struct TimerScript::State {
    std::deque<std::function<void()>> steps;
    UINT_PTR timer = 0;
    int idleTicks = 0;
};

namespace {

// The innermost script of this thread: the one whose steps the timer runs.
thread_local TimerScript::State* t_script = nullptr;

void CALLBACK RunNextStep(HWND, UINT, UINT_PTR, DWORD) {
    TimerScript::State* script = t_script;
    if (script == nullptr) {
        return;
    }
    if (!script->steps.empty()) {
        auto step = std::move(script->steps.front());
        script->steps.pop_front();
        step();
        return;
    }
    // Steps done but still called: a modal loop that should have ended still runs.
    if (++script->idleTicks == 200) {
        ADD_FAILURE() << "a modal loop outlived its script; ending the active dialog";
        if (HWND active = GetActiveWindow()) {
            EndDialog(active, -2);
        }
    }
}

}  // namespace

void UnregisterLibraryClasses() {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    for (const char* name : kLibraryClasses) {
        UnregisterClassA(name, instance);
    }
}

void RegisterClassesFor(CApplication& /*app*/) {
    UnregisterLibraryClasses();
    static char commandLine[] = "";
    ASSERT_EQ(CApplication::RegisterWindowClasses(GetModuleHandleA(nullptr), nullptr, commandLine,
                                                  SW_SHOWNORMAL),
              1);
}

bool PumpPending() {
    bool quit = false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit = true;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return quit;
}

void PressKey(CApplication& app, HWND window, WPARAM key) {
    PumpPending();
    PostMessageA(window, WM_KEYDOWN, key, 0x00000001);
    MSG pending;
    while (PeekMessageA(&pending, window, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE)) {
        app.PumpMessage();
    }
}

DebugBoxCatcher::DebugBoxCatcher()
    : m_hook(SetWindowsHookExA(WH_CBT, CatchDebugBoxes, nullptr, GetCurrentThreadId())) {
    t_boxTexts = new std::vector<std::string>;
}

DebugBoxCatcher::~DebugBoxCatcher() {
    UnhookWindowsHookEx(m_hook);
    delete t_boxTexts;
    t_boxTexts = nullptr;
}

std::vector<std::string> DebugBoxCatcher::TakeTexts() {
    std::vector<std::string> texts;
    texts.swap(*t_boxTexts);
    return texts;
}

TimerScript::TimerScript(std::vector<std::function<void()>> steps)
    : m_state(new State), m_outer(t_script) {
    for (auto& step : steps) {
        m_state->steps.push_back(std::move(step));
    }
    t_script = m_state;
    m_state->timer = SetTimer(nullptr, 0, 10, RunNextStep);
}

TimerScript::~TimerScript() {
    KillTimer(nullptr, m_state->timer);
    t_script = m_outer;
    delete m_state;
}

bool TimerScript::Done() const {
    return m_state->steps.empty();
}

void WinlibTest::SetUp() {
    InitCommonControls();
    RegisterClassesFor(app);
    PumpPending();
}

void WinlibTest::TearDown() {
    PumpPending();
    EXPECT_EQ(boxes.TakeTexts(), std::vector<std::string>{}) << "unexpected DEBUGOUT boxes";
}
