// Helpers for the window class library's tests: a fresh application object with
// the window classes registered, a catcher for the library's "DEBUGOUT" boxes,
// a script of steps run from a timer while a modal loop runs, and an event log
// for recorded message sequences.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "winlib/CApplication.h"

// Registers the library's window classes anew for this application object.
void RegisterClassesFor(CApplication& app);
// Unregisters them (no window of them may exist).
void UnregisterLibraryClasses();

// Dispatches every message already queued for this thread; true when WM_QUIT was among them.
bool PumpPending();

// Posts a key press to a window and runs the application's loop until it has been handled.
void PressKey(CApplication& app, HWND window, WPARAM key);

// Texts of the "DEBUGOUT" boxes shown on this thread while it lives; each box is closed
// as soon as it appears.
class DebugBoxCatcher {
public:
    DebugBoxCatcher();
    ~DebugBoxCatcher();
    DebugBoxCatcher(const DebugBoxCatcher&) = delete;
    DebugBoxCatcher& operator=(const DebugBoxCatcher&) = delete;

    std::vector<std::string> TakeTexts();

private:
    HHOOK m_hook;
};

// Runs steps one per timer tick on this thread, for example while DoModal runs.
// A script whose steps are done but whose modal loop still runs ends the active
// dialog after a while and records a failure, so that a test never hangs.
class TimerScript {
public:
    explicit TimerScript(std::vector<std::function<void()>> steps);
    ~TimerScript();
    TimerScript(const TimerScript&) = delete;
    TimerScript& operator=(const TimerScript&) = delete;

    bool Done() const;

    struct State;

private:
    State* m_state;
    State* m_outer;
};

// Sequences of events recorded by test windows, compared as a whole.
using EventLog = std::vector<std::string>;

// Every test: a fresh application object with the classes registered; no stray box.
class WinlibTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    CApplication app;
    DebugBoxCatcher boxes;
};
