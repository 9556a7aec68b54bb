#include "app/MainFrame.h"

#include "winlib/CViewWindow.h"

namespace {

std::atomic<MainFrame*> g_mainFrame{nullptr};

}  // namespace

MainFrame* MainFramePointer() {
    return g_mainFrame.load();
}

void SetMainFramePointer(MainFrame* frame) {
    g_mainFrame.store(frame);
}

MainFrame::MainFrame() {
    // The frame lives until the program ends, beyond its window.
    SetAutoDelete(false);
}

bool MainFrame::Post(std::uint32_t wParam, std::intptr_t lParam) {
    const HWND target = m_postTarget.load();
    if (target == nullptr) {
        return false;
    }
    return PostMessageA(target, WM_USER, wParam, static_cast<LPARAM>(lParam)) != FALSE;
}

void MainFrame::PostLogEntry(const LogEntry* entry) {
    if (pendingLogPosts.load() >= TK_LOG_MAX_PENDING_POSTS) {
        return;
    }
    pendingLogPosts.fetch_add(1);
    if (!Post(kNotifyLogEntry, reinterpret_cast<std::intptr_t>(entry))) {
        // A post that never arrived is never handled.
        pendingLogPosts.fetch_sub(1);
    }
}

void MainFrame::PostNodesChanged() {
    Post(kNotifyNodesChanged, 0);
}

void MainFrame::PostViewClosed(CameraView* view) {
    Post(kNotifyViewClosed, reinterpret_cast<std::intptr_t>(view));
}

void MainFrame::PostPayloadDelta(std::int32_t delta) {
    Post(kNotifyPayloadDelta, delta);
}

void MainFrame::PostMemoryDelta(std::int32_t delta) {
    Post(kNotifyMemoryDelta, delta);
}

// The form shuts everything down first; default processing then destroys the frame.
LRESULT MainFrame::OnClose() {
    if (AttachedView() != nullptr) {
        static_cast<CBasicWindow*>(AttachedView())->OnClose();
    }
    m_postTarget.store(nullptr);
    return DefWindowProcA(Handle(), WM_CLOSE, WParam(), LParam());
}
