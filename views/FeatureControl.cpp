#include "views/FeatureControl.h"

#include <algorithm>
#include <cstdio>

#include "winlib/CDialog.h"

namespace feature_row {

Enabling EnablingFor(std::uint32_t inquiry, std::uint32_t value) {
    Enabling e;
    if ((inquiry & kInqPresent) == 0) {
        return e;
    }
    const bool switchable = (inquiry & kInqOnOff) != 0;
    const bool on = (value & kCtlOn) != 0;
    if (switchable) {
        e.fixedEnabled = true;
        e.fixedCheck = on ? 0 : 1;
        if (!on) {
            return e;
        }
    }
    const bool automatic = (value & kCtlAuto) != 0;
    e.autoEnabled = (inquiry & kInqAuto) != 0;
    e.checkAuto = automatic;
    e.onePushEnabled = (inquiry & kInqOnePush) != 0;
    e.slidersEnabled = (inquiry & kInqManual) != 0 && !automatic;
    return e;
}

// Computed on 64 bits: an inquiry word with its minimum above its maximum gives a page
// step near 2^29, which must not wrap into a value of the range or beyond 12 bits.
ScrollTarget Scroll(int request, std::uint32_t part, std::uint32_t thumb, std::uint32_t inquiry,
                    std::uint32_t step) {
    const std::int64_t v = part;
    const std::int64_t min = Minimum(inquiry);
    const std::int64_t max = Maximum(inquiry);
    const std::int64_t s = step;
    std::int64_t target = v;
    bool move = false;
    switch (request) {
        case TB_LINEUP:
            target = v > min ? v - 1 : v;
            break;
        case TB_LINEDOWN:
            target = v < max ? v + 1 : v;
            break;
        case TB_PAGEUP:
            target = v > min + s ? v - s : min;
            move = true;
            break;
        case TB_PAGEDOWN:
            target = v < max - s ? v + s : max;
            move = true;
            break;
        case TB_THUMBTRACK:
            target = thumb;
            break;
        case TB_TOP:
            target = min;
            break;
        case TB_BOTTOM:
            target = max;
            break;
        default:
            break;
    }
    target = std::clamp<std::int64_t>(target, 0, kPartMask);
    return ScrollTarget{static_cast<std::uint32_t>(target), move};
}

std::string Label(const std::string& name, std::uint32_t value, bool pair) {
    char text[96];
    if (pair) {
        std::snprintf(text, sizeof text, "%s(%d - %d)", name.c_str(),
                      static_cast<int>(SliderPart(value, false)),
                      static_cast<int>(SliderPart(value, true)));
    } else {
        std::snprintf(text, sizeof text, "%s(%d)", name.c_str(),
                      static_cast<int>(SliderPart(value, false)));
    }
    return text;
}

bool NeedsRefresh(std::uint32_t inquiry, std::uint32_t value) {
    const bool automatic = (inquiry & kInqAuto) != 0 && (value & kCtlAuto) != 0;
    const bool onePush = (inquiry & kInqOnePush) != 0 && (value & kCtlOnePush) != 0;
    return (automatic || onePush) && (inquiry & kInqReadOut) != 0;
}

}  // namespace feature_row

using namespace feature_row;

void FeatureControl::BindPair(IidcCamera* camera, Setter setter, Getter getter, CDialog* page,
                              int labelId, int fixedId, int autoId, int onePushId, int sliderId,
                              int secondSliderId) {
    m_secondSlider = page != nullptr ? GetDlgItem(page->Handle(), secondSliderId) : nullptr;
    Bind(camera, setter, getter, page, labelId, fixedId, autoId, onePushId, sliderId);
}

void FeatureControl::Bind(IidcCamera* camera, Setter setter, Getter getter, CDialog* page,
                          int labelId, int fixedId, int autoId, int onePushId, int sliderId) {
    m_camera = camera;
    m_setter = setter;
    m_getter = getter;
    m_page = page;
    const HWND dialog = page != nullptr ? page->Handle() : nullptr;
    m_label = GetDlgItem(dialog, labelId);
    m_fixed = GetDlgItem(dialog, fixedId);
    m_auto = GetDlgItem(dialog, autoId);
    m_onePush = GetDlgItem(dialog, onePushId);
    m_slider = GetDlgItem(dialog, sliderId);
    char name[50] = "";
    if (m_label != nullptr) {
        GetWindowTextA(m_label, name, sizeof name);
    }
    m_name = name;

    // A failed read leaves the row at 0: absent, every control disabled.
    std::uint32_t inquiry = 0;
    std::uint32_t value = 0;
    if (m_camera == nullptr || m_getter == nullptr || !(m_camera->*m_getter)(inquiry, value)) {
        inquiry = 0;
        value = 0;
    }
    m_inquiry = inquiry;
    m_value = value;
    m_pageStep = PageStep(m_inquiry);
    UpdateEnabling();
    for (HWND slider : {m_slider, m_secondSlider}) {
        if (slider != nullptr) {
            SendMessageA(slider, TBM_SETRANGE, TRUE,
                         MAKELPARAM(Minimum(m_inquiry), Maximum(m_inquiry)));
            SendMessageA(slider, TBM_SETPAGESIZE, 0, static_cast<LPARAM>(m_pageStep));
        }
    }
    UpdateLabel();
    UpdateSliders();
}

bool FeatureControl::OwnsSlider(HWND control) const {
    return control != nullptr && (control == m_slider || control == m_secondSlider);
}

void FeatureControl::UpdateEnabling() {
    const Enabling e = EnablingFor(m_inquiry, m_value);
    EnableWindow(m_fixed, e.fixedEnabled);
    if (e.fixedCheck >= 0) {
        SendMessageA(m_fixed, BM_SETCHECK, static_cast<WPARAM>(e.fixedCheck), 0);
    }
    EnableWindow(m_auto, e.autoEnabled);
    if (e.checkAuto) {
        SendMessageA(m_auto, BM_SETCHECK, BST_CHECKED, 0);
    }
    EnableWindow(m_onePush, e.onePushEnabled);
    EnableWindow(m_slider, e.slidersEnabled);
    if (m_secondSlider != nullptr) {
        EnableWindow(m_secondSlider, e.slidersEnabled);
    }
}

void FeatureControl::UpdateLabel() {
    SetWindowTextA(m_label, Label(m_name, m_value, m_secondSlider != nullptr).c_str());
}

void FeatureControl::UpdateSliders() {
    SendMessageA(m_slider, TBM_SETPOS, TRUE, static_cast<LPARAM>(SliderPart(m_value, false)));
    if (m_secondSlider != nullptr) {
        SendMessageA(m_secondSlider, TBM_SETPOS, TRUE,
                     static_cast<LPARAM>(SliderPart(m_value, true)));
    }
}

// A failed write is logged by the camera; the row keeps what the user chose.
void FeatureControl::WriteValue() {
    if (m_camera != nullptr && m_setter != nullptr) {
        static_cast<void>((m_camera->*m_setter)(m_value));
    }
}

void FeatureControl::OnScroll(HWND slider, int request, int thumb) {
    if (!OwnsSlider(slider)) {
        return;
    }
    const bool second = slider == m_secondSlider;
    const ScrollTarget target = Scroll(request, SliderPart(m_value, second),
                                       static_cast<std::uint32_t>(thumb), m_inquiry, m_pageStep);
    if (target.moveSlider) {
        SendMessageA(slider, TBM_SETPOS, TRUE, static_cast<LPARAM>(target.part));
    }
    m_value = WithSliderPart(m_value, second, target.part);
    WriteValue();
    UpdateLabel();
}

int FeatureControl::OnClick(HWND control, int code) {
    if (code != BN_CLICKED || control == nullptr) {
        return 1;
    }
    if (control == m_fixed) {
        if ((m_inquiry & kInqOnOff) != 0) {
            const bool checked = SendMessageA(m_fixed, BM_GETCHECK, 0, 0) == BST_CHECKED;
            m_value = WithBit(m_value, kCtlOn, !checked);
            WriteValue();
            UpdateEnabling();
            std::uint32_t inquiry = 0;
            std::uint32_t read = 0;
            if (m_camera != nullptr && m_getter != nullptr &&
                (m_camera->*m_getter)(inquiry, read)) {
                m_value = ValuesFrom(m_value, read);
            }
            UpdateLabel();
            UpdateSliders();
        }
        return 0;
    }
    if (control == m_auto) {
        if ((m_inquiry & kInqAuto) != 0) {
            const bool checked = SendMessageA(m_auto, BM_GETCHECK, 0, 0) == BST_CHECKED;
            m_value = WithBit(m_value, kCtlAuto, checked);
            WriteValue();
            UpdateEnabling();
        }
        return 0;
    }
    if (control == m_onePush) {
        // The bit stays in the row's value until Refresh reads it back cleared.
        if ((m_inquiry & kInqOnePush) != 0) {
            m_value |= kCtlOnePush;
            WriteValue();
        }
        return 0;
    }
    return 1;
}

void FeatureControl::Refresh() {
    if (!NeedsRefresh(m_inquiry, m_value) || m_camera == nullptr || m_getter == nullptr) {
        return;
    }
    std::uint32_t inquiry = 0;
    std::uint32_t read = 0;
    if (!(m_camera->*m_getter)(inquiry, read)) {
        return;
    }
    m_value = Refreshed(m_value, read);
    UpdateLabel();
    UpdateSliders();
}
