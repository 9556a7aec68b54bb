#include "views/CameraControlDialog.h"

#include <cstdio>
#include <new>

#include "resources/resource.h"

namespace {

struct RowSpec {
    FeatureControl::Setter setter;
    FeatureControl::Getter getter;
    int label;
    int fixed;
    int automatic;
    int onePush;
    int slider;
    int secondSlider;  // 0: one slider
};

struct PageSpec {
    const char* tab;
    int templateId;
    RowSpec rows[FeaturePage::kRows];
};

// In tab order.
const PageSpec kPages[CameraControlDialog::kPageCount] = {
    {"Common",
     IDD_CONTROL_COMMON_PAGE,
     {{&IidcCamera::SetAutoExposure, &IidcCamera::GetAutoExposure, IDC_AUTO_EXPOSURE_LABEL,
       IDC_AUTO_EXPOSURE_FIXED, IDC_AUTO_EXPOSURE_AUTO, IDC_AUTO_EXPOSURE_ONE_PUSH,
       IDC_AUTO_EXPOSURE_SLIDER, 0},
      {&IidcCamera::SetGain, &IidcCamera::GetGain, IDC_GAIN_LABEL, IDC_GAIN_FIXED, IDC_GAIN_AUTO,
       IDC_GAIN_ONE_PUSH, IDC_GAIN_SLIDER, 0},
      {&IidcCamera::SetShutter, &IidcCamera::GetShutter, IDC_SHUTTER_LABEL, IDC_SHUTTER_FIXED,
       IDC_SHUTTER_AUTO, IDC_SHUTTER_ONE_PUSH, IDC_SHUTTER_SLIDER, 0}}},
    {"Picture",
     IDD_CONTROL_PICTURE_PAGE,
     {{&IidcCamera::SetBrightness, &IidcCamera::GetBrightness, IDC_BRIGHTNESS_LABEL,
       IDC_BRIGHTNESS_FIXED, IDC_BRIGHTNESS_AUTO, IDC_BRIGHTNESS_ONE_PUSH, IDC_BRIGHTNESS_SLIDER,
       0},
      {&IidcCamera::SetSharpness, &IidcCamera::GetSharpness, IDC_SHARPNESS_LABEL,
       IDC_SHARPNESS_FIXED, IDC_SHARPNESS_AUTO, IDC_SHARPNESS_ONE_PUSH, IDC_SHARPNESS_SLIDER, 0},
      {&IidcCamera::SetGamma, &IidcCamera::GetGamma, IDC_GAMMA_LABEL, IDC_GAMMA_FIXED,
       IDC_GAMMA_AUTO, IDC_GAMMA_ONE_PUSH, IDC_GAMMA_SLIDER, 0}}},
    {"Color",
     IDD_CONTROL_COLOR_PAGE,
     {{&IidcCamera::SetHue, &IidcCamera::GetHue, IDC_HUE_LABEL, IDC_HUE_FIXED, IDC_HUE_AUTO,
       IDC_HUE_ONE_PUSH, IDC_HUE_SLIDER, 0},
      {&IidcCamera::SetSaturation, &IidcCamera::GetSaturation, IDC_SATURATION_LABEL,
       IDC_SATURATION_FIXED, IDC_SATURATION_AUTO, IDC_SATURATION_ONE_PUSH, IDC_SATURATION_SLIDER,
       0},
      {&IidcCamera::SetWhiteBalance, &IidcCamera::GetWhiteBalance, IDC_WHITE_BALANCE_LABEL,
       IDC_WHITE_BALANCE_FIXED, IDC_WHITE_BALANCE_AUTO, IDC_WHITE_BALANCE_ONE_PUSH,
       IDC_WHITE_BALANCE_U_SLIDER, IDC_WHITE_BALANCE_V_SLIDER}}},
    {"Lense",
     IDD_CONTROL_LENSE_PAGE,
     {{&IidcCamera::SetIris, &IidcCamera::GetIris, IDC_IRIS_LABEL, IDC_IRIS_FIXED, IDC_IRIS_AUTO,
       IDC_IRIS_ONE_PUSH, IDC_IRIS_SLIDER, 0},
      {&IidcCamera::SetFocusFeature, &IidcCamera::GetFocusFeature, IDC_FOCUS_LABEL, IDC_FOCUS_FIXED,
       IDC_FOCUS_AUTO, IDC_FOCUS_ONE_PUSH, IDC_FOCUS_SLIDER, 0},
      {&IidcCamera::SetZoom, &IidcCamera::GetZoom, IDC_ZOOM_LABEL, IDC_ZOOM_FIXED, IDC_ZOOM_AUTO,
       IDC_ZOOM_ONE_PUSH, IDC_ZOOM_SLIDER, 0}}},
};

const PageSpec* PageSpecFor(int templateId) {
    for (const PageSpec& page : kPages) {
        if (page.templateId == templateId) {
            return &page;
        }
    }
    return nullptr;
}

}  // namespace

int FeaturePage::AfterInitDialog() {
    CenterInTab(IDC_PAGE_TABS);
    const PageSpec* spec = PageSpecFor(m_templateId);
    if (spec == nullptr) {
        return 1;
    }
    for (int i = 0; i < kRows; ++i) {
        const RowSpec& r = spec->rows[i];
        if (r.secondSlider != 0) {
            m_rows[i].BindPair(m_camera, r.setter, r.getter, this, r.label, r.fixed, r.automatic,
                               r.onePush, r.slider, r.secondSlider);
        } else {
            m_rows[i].Bind(m_camera, r.setter, r.getter, this, r.label, r.fixed, r.automatic,
                           r.onePush, r.slider);
        }
    }
    return 1;
}

LRESULT FeaturePage::OnHScroll() {
    const auto slider = reinterpret_cast<HWND>(LParam());
    for (FeatureControl& row : m_rows) {
        if (row.OwnsSlider(slider)) {
            row.OnScroll(slider, WParamLow(), WParamHigh());
            return 0;
        }
    }
    return DefaultProcess();
}

LRESULT FeaturePage::OnControlCommand(HWND control, int /*id*/, int code) {
    for (FeatureControl& row : m_rows) {
        if (row.OnClick(control, code) == 0) {
            return 0;
        }
    }
    return DefaultProcess();
}

LRESULT FeaturePage::OnTimer() {
    for (FeatureControl& row : m_rows) {
        row.Refresh();
    }
    return 0;
}

CameraControlDialog::CameraControlDialog(IidcCamera& camera) : m_camera(camera) {}

int CameraControlDialog::Setup(CBasicWindow* owner) {
    TabPage table[kPageCount] = {};
    for (int i = 0; i < kPageCount; ++i) {
        table[i].text = kPages[i].tab;
        table[i].templateId = static_cast<uint32_t>(kPages[i].templateId);
        // Pages delete themselves with their window, or are deleted by this dialog.
        table[i].dialog = new (std::nothrow) FeaturePage(&m_camera, kPages[i].templateId);
        if (table[i].dialog == nullptr) {
            for (int j = 0; j < i; ++j) {
                delete table[j].dialog;
            }
            return 0;
        }
    }
    if (SetupTabs(IDD_CAMERA_CONTROL, owner, IDC_PAGE_TABS, table, kPageCount) == 0) {
        for (TabPage& page : table) {
            delete page.dialog;
        }
        return 0;
    }
    return 1;
}

int CameraControlDialog::AfterInitDialog() {
    char title[300];
    std::snprintf(title, sizeof title, "Camera Control for %.128s %.128s",
                  m_camera.nodeInfo.vendorName, m_camera.nodeInfo.modelName);
    SetText(title);
    SetTimer(m_hwnd, kRefreshTimer, kRefreshMilliseconds, nullptr);
    return TabDialog::AfterInitDialog();
}

// Pages that were never selected have no rows to refresh; hidden ones do.
LRESULT CameraControlDialog::OnTimer() {
    if (WParam() != kRefreshTimer) {
        return DefaultProcess();
    }
    for (int i = 0; i < PageCount(); ++i) {
        CDialog* page = PageByIndex(i);
        if (PageCreated(i) && page != nullptr && page->Handle() != nullptr) {
            SendMessageA(page->Handle(), WM_TIMER, kRefreshTimer, 0);
        }
    }
    return 0;
}

LRESULT CameraControlDialog::OnClose() {
    KillTimer(m_hwnd, kRefreshTimer);
    EndWith(0);
    return 0;
}

int CameraControlDialog::OnOK() {
    const int result = TabDialog::OnOK();
    if (result != 0) {
        KillTimer(m_hwnd, kRefreshTimer);
    }
    return result;
}

int RunCameraControlDialog(CBasicWindow* owner, IidcCamera& camera) {
    CameraControlDialog dialog(camera);
    // The object outlives its window here; it is not deleted by the window's end.
    dialog.SetAutoDelete(false);
    if (dialog.Setup(owner) == 0) {
        return 0;
    }
    return static_cast<int>(dialog.DoModal());
}
