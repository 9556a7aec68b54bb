// Classes: CameraView
//
// One open camera: a top-level frame window on a thread of its own, with an
// image view above a status line, and the camera it shows. The main window
// creates at most four, starts their threads, closes and deletes them.
//
// Frames travel from the bus monitor thread (OnIsoEvent) through a ring of
// 128 entries to the view thread (ProcessNext, ProcessFrame), which shows
// them and gives their buffers back to the driver. Everything that touches
// the camera, the stream or the image view runs on the view thread: requests
// from the main window's thread (stop, toggle, reattach) are handed to it and
// wait there, so they never overlap a frame being processed.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "buslib/TK.h"
#include "camera/IidcCamera.h"
#include "imaging/FrameEntry.h"
#include "views/AcquisitionRules.h"
#include "winlib/CFrameWindow.h"

class CTextFieldBar;
class DisplayBitmap;
class ImageView;

// Posted to the window that asked for a frame in capture mode 1 once that
// frame is shown; lParam is the image view.
inline constexpr UINT kFrameShownMessage = 0x802;

class CameraView : public CFrameWindow, public IsoFrameHandler {
public:
    // Status line fields.
    enum Field { kSeenField = 0, kSkippedField, kRateField, kStatusField };

    // The view copies the record; with none it has no camera on the bus yet.
    CameraView(std::uint32_t viewNumber, const NodeRecord* node);
    ~CameraView() override;

    // --- Main window's operations (main thread) -----------------------------
    // 0 when the thread exists already or cannot be created; else creates the view
    // thread, which opens the frame window at (x, y), and returns 1.
    int StartThread(int x, int y);
    // Stops acquisition, ends the view thread and waits for it.
    void CloseView();
    // After a node list refresh: 1 when the camera is among the records (the record's
    // view field then names this view), else 0 and the title says IDLE.
    int ReattachCamera(std::uint32_t count, NodeRecord* records);

    // --- Any thread; carried out on the view thread ---------------------------
    // Nothing when acquisition is not running.
    void StopAcquisition();
    // Stops when running, else starts showing every frame; the menu item follows.
    void ToggleAcquisition();

    // --- View thread ------------------------------------------------------------
    // mode 0 shows every frame, mode 1 only frames asked for with ArmStore. 1 started;
    // 0 when already running or the driver refused. With Shift held, one frame after
    // a ten-second countdown.
    int StartAcquisition(int mode);
    // The preferences dialog and the application of its settings.
    void EditSettings();
    // Capture mode 1: the next frame is shown and `target` told with kFrameShownMessage.
    void ArmStore(HWND target);
    // Makes the image view's client area exactly width x height.
    void SetClientSize(int width, int height);
    ImageView* View() const { return m_imageView; }

    // --- Bus monitor thread -----------------------------------------------------
    void OnIsoEvent() override;

    // --- Window side ----------------------------------------------------------------
    LRESULT OnClose() override;
    LRESULT OnUser() override;
    LRESULT OnTimer() override;
    LRESULT OnMenuCommand(int id) override;
    LRESULT OnUnlistedMessage() override;

    std::uint32_t ViewNumber() const { return viewNumber; }
    // The frame window once the view thread has created it, else null.
    HWND WindowHandle() const { return m_window.load(); }

    IidcCamera camera;
    FrameEntry ring[acquisition::kRingSize];
    std::uint32_t writeIndex = 0;  // ringLock
    std::uint32_t readIndex = 0;   // ringLock
    std::uint32_t queued = 0;      // ringLock
    std::uint32_t viewNumber;
    std::atomic<std::uint32_t> seen{0};     // written by the view thread
    std::atomic<std::uint32_t> skipped{0};  // written by the bus monitor thread
    std::uint32_t startTick = 0;
    std::atomic<std::uint32_t> threadRunning{0};
    std::atomic<std::uint32_t> running{0};
    std::uint32_t context = 0;
    std::atomic<std::uint8_t> captureMode{0};
    std::atomic<HWND> storeTarget{nullptr};
    std::mutex ringLock;

private:
    // Requests handed to the view thread (wParam of kViewRequest).
    enum Request : WPARAM { kStopRequest = 1, kToggleRequest, kReattachRequest };
    struct Reattachment {
        const NodeRecord* record;  // null: the camera was not found
    };

    static DWORD WINAPI ThreadEntry(void* parameter);
    void ThreadMain();
    bool CreateCameraWindow();
    // Runs a request on the view thread and waits for it; directly when called there.
    void RunOnViewThread(Request request, LPARAM parameter);
    void CarryOut(Request request, LPARAM parameter);

    void StopOnViewThread();
    void ToggleOnViewThread();
    void Reattach(const NodeRecord* record);
    void ProcessNext();
    void ProcessFrame(FrameEntry* entry);
    void GiveBack(std::uint32_t bufferHandle);
    void UpdateRate();
    void UpdateTitle();
    void SetField(Field field, const char* text);
    void SetCountField(Field field, std::uint32_t value);
    // + or - the payload and frame memory of the current settings, to the main window.
    void PostUsage(int sign);
    // A new display bitmap for the current settings, told to the user when it has no memory.
    void InstallDisplayBitmap();
    void ToggleScrollMode();
    void AskUserSize();
    void SaveBitmap();
    void SetToggleItemText();
    int StatusLineHeight() const;

    ImageView* m_imageView = nullptr;
    CTextFieldBar* m_statusLine = nullptr;
    bool m_onBus = true;
    int m_x = 0;
    int m_y = 0;
    HANDLE m_thread = INVALID_HANDLE_VALUE;
    DWORD m_threadId = 0;
    HANDLE m_windowReady = nullptr;
    std::atomic<HWND> m_window{nullptr};
    // The stream's card while running, for the bus monitor thread.
    std::atomic<std::uint32_t> m_streamCard{0};
    // Frame events are taken only while accepting; a stop waits for the event
    // being handled to finish, so none runs once the view is stopped or gone.
    std::atomic<bool> m_accepting{false};
    std::atomic<int> m_dispatching{0};
};

// The one bus monitor of the program, for the open card.
WorkThread& ProgramWorkThread();
