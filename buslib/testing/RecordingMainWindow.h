// RecordingMainWindow: a MainWindowLink for tests that keeps every post and
// can refuse them, as a main window whose queue is full would.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <utility>
#include <vector>

#include "buslib/MainWindowLink.h"

namespace tk::testing {

class RecordingMainWindow final : public MainWindowLink {
public:
    struct PostedMessage {
        std::uint32_t wParam;
        std::intptr_t lParam;
    };

    bool Post(std::uint32_t wParam, std::intptr_t lParam) override {
        std::lock_guard lock(mutex_);
        if (!accept_) {
            return false;
        }
        posts_.push_back({wParam, lParam});
        posted_.notify_all();
        return true;
    }

    std::atomic<std::int32_t>& PendingLogPosts() override { return pending_; }

    void SetAcceptPosts(bool accept) {
        std::lock_guard lock(mutex_);
        accept_ = accept;
    }
    std::vector<PostedMessage> Posts() const {
        std::lock_guard lock(mutex_);
        return posts_;
    }
    std::vector<PostedMessage> PostsOf(std::uint32_t wParam) const {
        std::lock_guard lock(mutex_);
        std::vector<PostedMessage> matching;
        for (const auto& p : posts_) {
            if (p.wParam == wParam) {
                matching.push_back(p);
            }
        }
        return matching;
    }
    // Waits until `count` posts of `wParam` arrived (or a generous safety
    // limit passed); true when they did.
    bool WaitForPosts(std::uint32_t wParam, std::size_t count) {
        std::unique_lock lock(mutex_);
        return posted_.wait_for(lock, std::chrono::seconds(20), [&] {
            std::size_t n = 0;
            for (const auto& p : posts_) {
                n += p.wParam == wParam ? 1 : 0;
            }
            return n >= count;
        });
    }
    // The main window handled one log notification.
    void HandleLogPost() { pending_.fetch_sub(1); }

private:
    mutable std::mutex mutex_;
    std::condition_variable posted_;
    bool accept_ = true;
    std::vector<PostedMessage> posts_;
    std::atomic<std::int32_t> pending_{0};
};

// Installs a main window link for a scope.
class ScopedMainWindow {
public:
    explicit ScopedMainWindow(MainWindowLink& link) { SetMainWindowLink(&link); }
    ~ScopedMainWindow() { SetMainWindowLink(nullptr); }
    ScopedMainWindow(const ScopedMainWindow&) = delete;
    ScopedMainWindow& operator=(const ScopedMainWindow&) = delete;
};

}  // namespace tk::testing
