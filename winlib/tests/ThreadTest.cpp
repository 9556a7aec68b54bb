// Windows and dialogs created by several threads at once each bind to the
// object their own thread handed over.
#include <windows.h>

#include <atomic>
#include <latch>
#include <thread>
#include <vector>

#include "TestResources.h"
#include "WinlibTestSupport.h"
#include "winlib/CDialog.h"
#include "winlib/CFrameWindow.h"

namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 10;

struct Counts {
    std::atomic<int> created{0};
    std::atomic<int> misbound{0};
    std::atomic<int> failed{0};
    std::atomic<int> finished{0};
};

// One thread: frames and modeless dialogs, each checked against the object that made it.
void CreateAndCheck(Counts& counts, std::latch& start) {
    start.arrive_and_wait();
    for (int round = 0; round < kRounds; ++round) {
        auto* frame = new CFrameWindow;
        const CRectangle place(0, 0, 120, 80);
        if (!frame->CreateFrame(nullptr, "thread frame", WS_POPUP, &place, nullptr, nullptr, 0,
                                nullptr)) {
            ++counts.failed;
            continue;
        }
        const HWND frameHandle = frame->Handle();
        auto* dialog = new CDialog(IDD_SIMPLE, frame);
        if (!dialog->DoModeless()) {
            ++counts.failed;
        } else if (CBasicWindow::ObjectOf(dialog->Handle()) != dialog ||
                   dialog->Parent() != frame) {
            ++counts.misbound;
        }
        if (CBasicWindow::ObjectOf(frameHandle) != frame ||
            GetWindowThreadProcessId(frameHandle, nullptr) != GetCurrentThreadId()) {
            ++counts.misbound;
        }
        ++counts.created;
        DestroyWindow(frameHandle);  // takes the dialog with it
        PumpPending();
    }
    ++counts.finished;
}

TEST_F(WinlibTest, WindowsCreatedOnSeveralThreadsBindToTheirOwnObjects) {
    Counts counts;
    std::latch start(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back(CreateAndCheck, std::ref(counts), std::ref(start));
    }
    // A GUI thread never blocks without serving the messages other threads send it.
    while (counts.finished.load() < kThreads) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        PumpPending();
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(counts.failed.load(), 0);
    EXPECT_EQ(counts.misbound.load(), 0);
    EXPECT_EQ(counts.created.load(), kThreads * kRounds);
}

}  // namespace
