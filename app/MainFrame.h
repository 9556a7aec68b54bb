// Classes: MainFrame
//
// The fixed-size top-level frame of the main window. Its view is the form
// MainWindow. Other threads reach the form only through the posting
// operations here, by way of the main frame pointer.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "buslib/MainWindowLink.h"
#include "buslib/TK.h"
#include "winlib/CFrameWindow.h"

class CameraView;

// wParam values of the WM_USER notifications to the main window's form.
inline constexpr WPARAM kNotifyLogEntry = 0x12340000;
inline constexpr WPARAM kNotifyNodesChanged = 0x12340001;
inline constexpr WPARAM kNotifyViewClosed = 0x12340002;
inline constexpr WPARAM kNotifyPayloadDelta = 0x12340004;
inline constexpr WPARAM kNotifyMemoryDelta = 0x12340005;
static_assert(kNotifyLogEntry == tk::kNotifyLogEntry);
static_assert(kNotifyNodesChanged == tk::kNotifyNodeListChanged);

class MainFrame : public CFrameWindow, public tk::MainWindowLink {
public:
    MainFrame();

    // --- Posting operations: any thread -------------------------------------
    // Only while fewer than 50 log posts are pending.
    void PostLogEntry(const LogEntry* entry);
    void PostNodesChanged();
    void PostViewClosed(CameraView* view);
    void PostPayloadDelta(std::int32_t delta);
    void PostMemoryDelta(std::int32_t delta);

    // --- tk::MainWindowLink -------------------------------------------------
    bool Post(std::uint32_t wParam, std::intptr_t lParam) override;
    std::atomic<std::int32_t>& PendingLogPosts() override { return pendingLogPosts; }

    // The form the posts go to; set once it exists, cleared before it goes away.
    void SetPostTarget(HWND form) { m_postTarget.store(form); }
    HWND PostTarget() const { return m_postTarget.load(); }

    LRESULT OnClose() override;

    std::uint32_t reserved = 0;
    std::atomic<std::int32_t> pendingLogPosts{0};

private:
    std::atomic<HWND> m_postTarget{nullptr};
};

// The main frame pointer: set right after the frame object is constructed,
// before its window exists. Null before start-up and after the end.
MainFrame* MainFramePointer();
void SetMainFramePointer(MainFrame* frame);
