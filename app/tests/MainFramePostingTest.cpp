// The main frame's posts reach the form's window as WM_USER notifications.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "app/MainFrame.h"

namespace {

struct Notification {
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Notification&) const = default;
};

// A stand-in for the form: a message-only window whose queue the test reads.
class PostTarget {
public:
    PostTarget() {
        m_window = CreateWindowA("STATIC", "form", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    }
    ~PostTarget() { DestroyWindow(m_window); }
    HWND Handle() const { return m_window; }

    std::vector<Notification> Take() {
        std::vector<Notification> taken;
        MSG message;
        while (PeekMessageA(&message, m_window, WM_USER, WM_USER, PM_REMOVE)) {
            taken.push_back({message.wParam, message.lParam});
        }
        return taken;
    }

private:
    HWND m_window = nullptr;
};

TEST(MainFramePosting, EachOperationPostsItsNotification) {
    PostTarget form;
    MainFrame frame;
    frame.SetPostTarget(form.Handle());
    frame.PostNodesChanged();
    frame.PostViewClosed(reinterpret_cast<CameraView*>(0x1234));
    frame.PostPayloadDelta(-4096);
    frame.PostMemoryDelta(1572864);
    const std::vector<Notification> expected = {
        {0x12340001, 0},
        {0x12340002, 0x1234},
        {0x12340004, -4096},
        {0x12340005, 1572864},
    };
    EXPECT_EQ(expected, form.Take());
}

TEST(MainFramePosting, LogPostsStopAtFiftyPendingAndResumeWhenOneIsHandled) {
    PostTarget form;
    MainFrame frame;
    frame.SetPostTarget(form.Handle());
    LogEntry entry{};
    for (int i = 0; i < 60; ++i) {
        frame.PostLogEntry(&entry);
    }
    EXPECT_EQ(50, frame.pendingLogPosts.load());
    EXPECT_EQ(50u, form.Take().size());

    frame.pendingLogPosts.fetch_sub(1);
    frame.PostLogEntry(&entry);
    const std::vector<Notification> expected = {{0x12340000, reinterpret_cast<LPARAM>(&entry)}};
    EXPECT_EQ(expected, form.Take());
    EXPECT_EQ(50, frame.pendingLogPosts.load());
}

TEST(MainFramePosting, WithoutAFormNothingIsPostedOrCounted) {
    MainFrame frame;
    LogEntry entry{};
    frame.PostLogEntry(&entry);
    EXPECT_EQ(0, frame.pendingLogPosts.load());
    EXPECT_FALSE(frame.Post(0x12340001, 0));
}

}  // namespace
