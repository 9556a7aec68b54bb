// MainWindowLink: how the library's threads reach the main window. The
// Windows program implements it with PostMessageA(WM_USER, ...); tests record
// the posts. Callable from any thread.
#pragma once

#include <atomic>
#include <cstdint>

namespace tk {

// wParam of the WM_USER notifications to the main window.
inline constexpr std::uint32_t kNotifyLogEntry = 0x12340000u;         // lParam: the LogEntry slot
inline constexpr std::uint32_t kNotifyNodeListChanged = 0x12340001u;  // lParam: 0

class MainWindowLink {
public:
    virtual ~MainWindowLink() = default;

    // Posts WM_USER with these values to the main window; false when it could
    // not be posted (no window, queue full).
    virtual bool Post(std::uint32_t wParam, std::intptr_t lParam) = 0;

    // Log notifications posted and not yet handled. The log ring increments
    // it; the main window decrements it when it handles one.
    virtual std::atomic<std::int32_t>& PendingLogPosts() = 0;
};

// The main window the library's threads notify; nullptr (the start) = none.
// Not owned.
void SetMainWindowLink(MainWindowLink* link);
MainWindowLink* CurrentMainWindowLink();

}  // namespace tk
