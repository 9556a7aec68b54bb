// Classes: AutoCaptureTarget, AutoModeDialog
//
// The automatic capture mode (dialog 115): stores frames of one camera as
// bitmap files, once per interval ("&Automode") or once per "trigger" line of
// a telnet client ("Telnet (>trigger)"), until the number of frames is
// reached or the user stops it. It runs modally on the camera's thread; the
// timer, the socket events and the file writing all run there too.
#pragma once

#include <windows.h>

#include <string>

#include "capture/AutoModeRun.h"
#include "capture/AutoModeSettings.h"
#include "capture/TelnetServer.h"
#include "winlib/CDialog.h"

class CameraView;

// What the automatic mode needs of a camera view.
class AutoCaptureTarget {
public:
    virtual ~AutoCaptureTarget() = default;
    // Starts acquisition showing only requested frames; 1 started, 0 failed.
    virtual int StartRequestedFrames() = 0;
    virtual void StopAcquisition() = 0;
    // The next frame shown is reported to `window` with AutoModeDialog::kFrameShownMessage.
    virtual void ArmStore(HWND window) = 0;
    // Writes the shown image of the image view named by the message's lParam; 1 written.
    virtual int SaveShownFrame(LPARAM imageView, const char* path) = 0;
};

class AutoModeDialog : public CDialog {
public:
    static constexpr UINT kSocketMessage = TelnetServer::kSocketMessage;    // 0x0800
    static constexpr UINT kTriggerMessage = TelnetServer::kTriggerMessage;  // 0x0801
    static constexpr UINT kFrameShownMessage = 0x0802;
    static constexpr UINT_PTR kTimerId = 0x1234;

    // The target must outlive the dialog; the parent is the camera's frame window.
    AutoModeDialog(AutoCaptureTarget& target, CBasicWindow* parent);
    ~AutoModeDialog() override;

    bool Running() const { return m_run.Running(); }

    int AfterInitDialog() override;
    LRESULT OnControlCommand(HWND control, int id, int code) override;
    // Escape (a cancel without a Cancel button) is taken like the close box.
    LRESULT OnMenuCommand(int id) override;
    LRESULT OnClose() override;
    LRESULT OnTimer() override;
    LRESULT OnUnlistedMessage() override;
    LRESULT OnDestroy() override;

private:
    void StartRun();
    void StopRun();
    void ChooseDirectory();
    void RequestFrame();
    void StoreShownFrame(LPARAM imageView);
    // The settings controls are locked while running.
    void EnableControls(bool running);
    void EndUnlessRunning();

    AutoCaptureTarget& m_target;
    capture::AutoModeRun m_run;
    bool m_automatic = true;
    TelnetServer m_telnet;
};

// Runs the automatic mode modally for the camera, owned by its frame, on the camera's thread.
// Acquisition must be stopped. The dialog's result (0; -1 when it could not be shown).
int RunAutoModeDialog(CameraView& view);
