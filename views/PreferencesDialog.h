// Classes: CameraPreferencesPage, BusPreferencesPage, PreferencesDialog
//
// The camera view preferences: a tab dialog (template 107) with the page
// "Camera" (103: format, mode, rate, colour coding, geometry, payload, speed,
// trigger) and the page "1394-Bus" (101: channel, frame buffers, the driver's
// match values, Y-16 options). The pages fill from and store into a working
// copy of the camera's VideoSettings; applying the copy to the camera is the
// caller's business. Only the "?" button talks to the camera (SetupFormat7).
#pragma once

#include <cstdint>

#include "camera/IidcCamera.h"
#include "camera/VideoSettings.h"
#include "winlib/TabDialog.h"

// Page "Camera".
class CameraPreferencesPage : public CDialog {
public:
    CameraPreferencesPage(IidcCamera& camera, VideoSettings& settings);

    int AfterInitDialog() override;
    // Checks the page and stores it into the working copy; 0 at the first bad edit.
    int OnOK() override;
    LRESULT OnControlCommand(HWND control, int id, int code) override;

private:
    void FillFormatList();
    void BuildModeList();
    void BuildRateList();
    void FillDerivedFields();
    void QueryFormat7();
    bool SelectedFormatIs7();
    void ShowFormat7Units(bool format7);

    IidcCamera& m_camera;
    VideoSettings& m_settings;
};

// Page "1394-Bus".
class BusPreferencesPage : public CDialog {
public:
    explicit BusPreferencesPage(VideoSettings& settings);

    int AfterInitDialog() override;
    int OnOK() override;

private:
    VideoSettings& m_settings;
};

class PreferencesDialog : public TabDialog {
public:
    // The pages are set up here; run the dialog with DoModal. `settings` is the working
    // copy and must outlive the dialog.
    PreferencesDialog(CBasicWindow* owner, IidcCamera& camera, VideoSettings& settings);
    // False when the page table could not be set up (the dialog is then not to be run).
    bool Ready() const { return m_ready; }

    int AfterInitDialog() override;
    // The current page's check, then the payload checks of a fixed format.
    int OnOK() override;

private:
    IidcCamera& m_camera;
    VideoSettings& m_settings;
    bool m_ready = false;
};

// Outcome of the payload checks of a fixed format on OK.
enum class PayloadCheck {
    Accepted,
    NotMultipleOfFour,  // "'Packetpayload' must be a multiple of 4."
    NotWholeFraction,   // the image does not split into whole packets (or the payload is 0)
};

// Checks the payload of the settings against the image size; on acceptance of a fixed
// format stores packetsPerFrame. Format 7 is accepted unchecked (the camera checks it).
PayloadCheck CheckPacketPayload(VideoSettings& settings);

// Bytes of one image of the settings' geometry and colour coding (32 bits, unsigned).
std::uint32_t BytesPerImage(const VideoSettings& settings);

// Runs the preferences dialog modally on the calling thread, owned by `owner`.
// `settings` is the working copy: filled into the pages, and on OK checked and
// stored back. Returns 1 when confirmed with OK, 0 otherwise (settings then unchanged).
int RunPreferencesDialog(CBasicWindow* owner, IidcCamera& camera, VideoSettings& settings);
