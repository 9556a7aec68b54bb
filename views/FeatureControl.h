// Classes: FeatureControl
//
// One row of the camera control dialog: the controls of one camera feature
// (label with name and value, "Fixed", "Auto", "1x", one slider or two for
// white balance) bound to the feature's setter and getter of IidcCamera. The
// row keeps its own copy of the feature's control word and writes it whole on
// every change.
//
// The row's decisions are plain functions on the inquiry and control words
// (namespace feature_row), so they can be checked without any window.
#pragma once

#include <cstdint>
#include <string>

#include "camera/IidcCamera.h"
#include "winlib/CControlWindow.h"

class CDialog;

namespace feature_row {

// Inquiry word.
inline constexpr std::uint32_t kInqPresent = 1u << 31;
inline constexpr std::uint32_t kInqOnePush = 1u << 28;
inline constexpr std::uint32_t kInqReadOut = 1u << 27;
inline constexpr std::uint32_t kInqOnOff = 1u << 26;
inline constexpr std::uint32_t kInqAuto = 1u << 25;
inline constexpr std::uint32_t kInqManual = 1u << 24;
// Control word.
inline constexpr std::uint32_t kCtlOnePush = 1u << 26;
inline constexpr std::uint32_t kCtlOn = 1u << 25;
inline constexpr std::uint32_t kCtlAuto = 1u << 24;
inline constexpr std::uint32_t kValueBits = 0xFFFFFF;  // both slider values
inline constexpr std::uint32_t kPartMask = 0xFFF;
inline constexpr int kSecondShift = 12;

constexpr std::uint32_t Minimum(std::uint32_t inquiry) {
    return (inquiry >> 12) & kPartMask;
}
constexpr std::uint32_t Maximum(std::uint32_t inquiry) {
    return inquiry & kPartMask;
}
// An eighth of the range, on unsigned 32 bits (a minimum above the maximum wraps).
constexpr std::uint32_t PageStep(std::uint32_t inquiry) {
    return (Maximum(inquiry) - Minimum(inquiry)) >> 3;
}

// What a slider shows: bits 11..0 for the first, 23..12 for the second.
constexpr std::uint32_t SliderPart(std::uint32_t value, bool second) {
    return second ? (value >> kSecondShift) & kPartMask : value & kPartMask;
}
constexpr std::uint32_t WithSliderPart(std::uint32_t value, bool second, std::uint32_t part) {
    const int shift = second ? kSecondShift : 0;
    return (value & ~(kPartMask << shift)) | ((part & kPartMask) << shift);
}

struct Enabling {
    bool fixedEnabled = false;
    int fixedCheck = -1;  // -1: the box keeps its state
    bool autoEnabled = false;
    bool checkAuto = false;  // the box is checked; it is never unchecked by the row
    bool onePushEnabled = false;
    bool slidersEnabled = false;
};
Enabling EnablingFor(std::uint32_t inquiry, std::uint32_t value);

// The new slider value for a trackbar request, kept within 0..0xFFF; `moveSlider` when
// the row puts the slider there itself (page steps).
struct ScrollTarget {
    std::uint32_t part;
    bool moveSlider;
};
ScrollTarget Scroll(int request, std::uint32_t part, std::uint32_t thumb, std::uint32_t inquiry,
                    std::uint32_t step);

// "%s(%d)", or "%s(%d - %d)" for a row with two sliders.
std::string Label(const std::string& name, std::uint32_t value, bool pair);

// Whether the camera may be changing the value by itself and can tell.
bool NeedsRefresh(std::uint32_t inquiry, std::uint32_t value);
// The row's value after a read back by Refresh: values and the one-push bit from the camera.
constexpr std::uint32_t Refreshed(std::uint32_t value, std::uint32_t read) {
    const std::uint32_t taken = kValueBits | kCtlOnePush;
    return (value & ~taken) | (read & taken);
}
// After a "Fixed" click only the values are taken from the camera.
constexpr std::uint32_t ValuesFrom(std::uint32_t value, std::uint32_t read) {
    return (value & ~kValueBits) | (read & kValueBits);
}
constexpr std::uint32_t WithBit(std::uint32_t value, std::uint32_t bit, bool set) {
    return set ? value | bit : value & ~bit;
}

}  // namespace feature_row

class FeatureControl : public CControlWindow {
public:
    using Setter = bool (IidcCamera::*)(std::uint32_t& control);
    using Getter = bool (IidcCamera::*)(std::uint32_t& inquiry, std::uint32_t& control);

    // Rows live inside their page object.
    FeatureControl() { SetAutoDelete(false); }

    // Looks up the controls in the page, reads the feature and sets the controls up.
    void Bind(IidcCamera* camera, Setter setter, Getter getter, CDialog* page, int labelId,
              int fixedId, int autoId, int onePushId, int sliderId);
    void BindPair(IidcCamera* camera, Setter setter, Getter getter, CDialog* page, int labelId,
                  int fixedId, int autoId, int onePushId, int sliderId, int secondSliderId);

    bool OwnsSlider(HWND control) const;
    // A trackbar request (low half of WM_HSCROLL's wParam) from one of this row's sliders.
    void OnScroll(HWND slider, int request, int thumb);
    // 0 when the command came from one of this row's buttons and was handled, else 1.
    int OnClick(HWND control, int code);
    // Reads the feature back while the camera may be changing it.
    void Refresh();

    const std::string& Name() const { return m_name; }
    std::uint32_t Inquiry() const { return m_inquiry; }
    std::uint32_t Value() const { return m_value; }
    std::uint32_t Step() const { return m_pageStep; }

private:
    void UpdateEnabling();
    void UpdateLabel();
    void UpdateSliders();
    void WriteValue();

    IidcCamera* m_camera = nullptr;
    CDialog* m_page = nullptr;
    HWND m_label = nullptr;
    HWND m_fixed = nullptr;
    HWND m_auto = nullptr;
    HWND m_onePush = nullptr;
    HWND m_slider = nullptr;
    HWND m_secondSlider = nullptr;
    std::string m_name;
    std::uint32_t m_inquiry = 0;
    std::uint32_t m_value = 0;
    std::uint32_t m_pageStep = 0;
    Setter m_setter = nullptr;
    Getter m_getter = nullptr;
};
