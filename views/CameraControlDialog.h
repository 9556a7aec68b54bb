// Classes: FeaturePage, CameraControlDialog
//
// The camera control dialog: the twelve features of one camera on four tab
// pages, three FeatureControl rows each. Every change is written to the camera
// at once; a 500 ms timer reads back what the camera changes by itself.
#pragma once

#include "camera/IidcCamera.h"
#include "views/FeatureControl.h"
#include "winlib/TabDialog.h"

// One tab page: three rows, chosen by the page's dialog template.
class FeaturePage : public CDialog {
public:
    FeaturePage(IidcCamera* camera, int templateId) : m_camera(camera), m_templateId(templateId) {}

    int AfterInitDialog() override;
    LRESULT OnHScroll() override;
    LRESULT OnControlCommand(HWND control, int id, int code) override;
    LRESULT OnTimer() override;

    static constexpr int kRows = 3;
    FeatureControl& Row(int index) { return m_rows[index]; }

private:
    IidcCamera* m_camera;
    int m_templateId;
    FeatureControl m_rows[kRows];
};

class CameraControlDialog : public TabDialog {
public:
    static constexpr UINT_PTR kRefreshTimer = 0x1234;
    static constexpr UINT kRefreshMilliseconds = 500;
    static constexpr int kPageCount = 4;

    explicit CameraControlDialog(IidcCamera& camera);

    // Creates the page objects and sets the dialog up for DoModal over `owner`.
    int Setup(CBasicWindow* owner);

    int AfterInitDialog() override;
    LRESULT OnTimer() override;
    LRESULT OnClose() override;
    int OnOK() override;

private:
    IidcCamera& m_camera;
};

// Modal on the calling thread, owned by `owner` (the camera frame). Returns when closed.
int RunCameraControlDialog(CBasicWindow* owner, IidcCamera& camera);
