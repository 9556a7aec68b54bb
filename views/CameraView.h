// Classes: CameraView
//
// One open camera: a top-level frame window on a thread of its own, created
// by the main window for a node of the bus (or, with Shift, for the adapter's
// neighbour without a node record). The main window owns the object: it
// starts the thread, closes the view and deletes it.
//
// What is here is what the main window works with: construction, the view
// thread with its frame window and message loop, closing, stopping, and
// following the camera across bus resets. The acquisition engine, the image
// view, the status line, the camera menu and the settings dialog build on it.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "buslib/TK.h"
#include "winlib/CFrameWindow.h"

class CameraView : public CFrameWindow {
public:
    // The view copies the record; with none it has no camera on the bus yet.
    CameraView(std::uint32_t viewNumber, const NodeRecord* node);
    ~CameraView() override;

    // --- Main window's operations (main thread) -----------------------------
    // 0 when the thread exists already or cannot be created; else creates the view
    // thread, which opens the frame window at (x, y), and returns 1.
    int StartThread(int x, int y);
    // Stops acquisition, ends the view thread and waits for it. Messages sent to the
    // calling thread meanwhile are handled, so the view thread never waits on it in vain.
    void CloseView();
    // Nothing when acquisition is not running.
    void StopAcquisition();
    // Stops a running acquisition. Starting one needs the acquisition engine.
    void ToggleAcquisition();
    // After a node list refresh: 1 when the camera is among the records (the record's
    // view field then names this view), else 0.
    int ReattachCamera(std::uint32_t count, NodeRecord* records);

    // --- Window side (view thread) ------------------------------------------
    // The close box asks the main window to close the view.
    LRESULT OnClose() override;
    LRESULT OnUnlistedMessage() override;
    // Makes the client area exactly width x height.
    void SetClientSize(int width, int height);

    std::uint32_t ViewNumber() const { return viewNumber; }
    bool HasNode() const { return m_hasNode; }
    const NodeRecord& NodeInfo() const { return m_node; }
    // The frame window once the view thread has created it, else null.
    HWND WindowHandle() const { return m_window.load(); }

    std::uint32_t viewNumber;
    std::atomic<std::uint32_t> threadRunning{0};
    std::atomic<std::uint32_t> running{0};

private:
    static DWORD WINAPI ThreadEntry(void* parameter);
    void ThreadMain();
    // The title for the current node state; "IDLE" while the camera is off the bus.
    std::string TitleText();
    // Asks the view thread to show the current title.
    void RequestTitleUpdate();

    NodeRecord m_node{};
    bool m_hasNode = false;
    std::mutex m_nodeLock;  // m_node's card and node, m_onBus: main and view thread
    bool m_onBus = true;
    int m_x = 0;
    int m_y = 0;
    HANDLE m_thread = INVALID_HANDLE_VALUE;
    DWORD m_threadId = 0;
    HANDLE m_queueReady = nullptr;
    std::atomic<HWND> m_window{nullptr};
};

// The one bus monitor of the program, for the open card.
WorkThread& ProgramWorkThread();
