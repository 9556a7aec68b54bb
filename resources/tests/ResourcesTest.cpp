// Oriscope's resources as the program will see them: every dialog template is
// created for real and compared control by control with its table below; the
// camera menu and the icon are loaded and read back.
#include <gtest/gtest.h>
#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>

#include <array>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "resources/resource.h"

namespace {

// ---- Table types -------------------------------------------------------------

// Style bits a window must show: (style & mask) == value.
struct Style {
    DWORD mask = 0;
    DWORD value = 0;
};
constexpr Style Has(DWORD bits) {
    return {bits, bits};
}
constexpr Style Lacks(DWORD bits) {
    return {bits, 0};
}
constexpr Style ButtonType(DWORD type) {
    return {BS_TYPEMASK, type};
}
constexpr Style operator|(Style a, Style b) {
    return {a.mask | b.mask, a.value | b.value};
}

// A rectangle in dialog units; all zero when the layout is ours to choose.
struct Box {
    int x = 0, y = 0, cx = 0, cy = 0;
    bool Given() const { return cx != 0 || cy != 0; }
};

struct ControlSpec {
    int id;
    const char* className;
    const char* text;
    Style style;
    Box box;
};

struct DialogSpec {
    const char* name;
    int templateId;
    const char* title;
    int cx, cy;  // client size in dialog units
    Style style;
    std::vector<ControlSpec> controls;                  // in template (tab) order
    std::vector<std::pair<int, int>> intendedOverlaps;  // besides group boxes
};

constexpr const char* kButton = "Button";
constexpr const char* kStatic = "Static";
constexpr const char* kEdit = "Edit";
constexpr const char* kCombo = "ComboBox";
constexpr const char* kList = "ListBox";
constexpr const char* kTabs = "SysTabControl32";
constexpr const char* kSlider = "msctls_trackbar32";
constexpr const char* kSpin = "msctls_updown32";

constexpr Style kPopup = Has(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
constexpr Style kPage = Has(WS_CHILD | DS_CONTROL | WS_VISIBLE) | Lacks(WS_CAPTION);
constexpr Style kPush = ButtonType(BS_PUSHBUTTON);
constexpr Style kDefault = ButtonType(BS_DEFPUSHBUTTON);
constexpr Style kGroup = ButtonType(BS_GROUPBOX);
constexpr Style kCheck = ButtonType(BS_AUTOCHECKBOX);
constexpr Style kRadio = ButtonType(BS_AUTORADIOBUTTON);
constexpr Style kDropDown = {CBS_DROPDOWNLIST, CBS_DROPDOWNLIST};
constexpr Style kReadOnly = Has(ES_READONLY);
constexpr Style kUnsorted = Lacks(LBS_SORT);
constexpr Style kSliderStyle = Has(TBS_BOTH | TBS_NOTICKS) | Lacks(TBS_VERT);
constexpr Style kSpinStyle =
    Has(UDS_SETBUDDYINT | UDS_AUTOBUDDY | UDS_ALIGNRIGHT | UDS_NOTHOUSANDS);
constexpr Style kDisabled = Has(WS_DISABLED);
constexpr Style kAny = {};

// ---- The dialogs ---------------------------------------------------------------

DialogSpec MainWindow() {
    const Style list = Has(LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_BORDER | WS_VSCROLL) | kUnsorted;
    return {"MainWindow",
            IDD_MAIN_WINDOW,
            "",
            176,
            188,
            Has(WS_CHILD | DS_SETFONT) | Lacks(WS_CAPTION | WS_POPUP),
            {
                {IDC_STATIC, kButton, "Control", kGroup, {4, 4, 168, 60}},
                {IDC_STATIC, kStatic, "Card:", kAny, {8, 16, 24, 12}},
                {IDC_CARD_LIST, kCombo, "", kDropDown | Has(WS_TABSTOP), {36, 16, 72, 96}},
                {IDC_CONNECT, kButton, "&Connect", kPush, {120, 16, 48, 12}},
                {IDC_STATIC, kStatic, "Nodes:", kAny, {8, 32, 24, 12}},
                {IDC_NODE_LIST, kList, "", list, {36, 32, 132, 28}},
                {IDC_STATIC, kButton, "Status", kGroup, {4, 68, 168, 28}},
                {IDC_STATIC, kStatic, "Iso Payload:", kAny, {8, 80, 44, 12}},
                {IDC_ISO_PAYLOAD, kEdit, "", kReadOnly | Has(WS_BORDER), {56, 80, 28, 12}},
                {IDC_STATIC, kStatic, "Memory (MB):", kAny, {92, 80, 44, 12}},
                {IDC_MEMORY_MB, kEdit, "", kReadOnly | Has(WS_BORDER), {140, 80, 28, 12}},
                {IDC_STATIC, kButton, "Logging", kGroup, {4, 100, 168, 68}},
                {IDC_LOG_LIST, kList, "", list | Has(WS_HSCROLL), {8, 113, 160, 36}},
                {IDC_LOG_INFO, kButton, "&Info", kPush, {84, 152, 40, 12}},
                {IDC_LOG_CLEAR, kButton, "C&lear", kPush, {128, 152, 40, 12}},
                {IDC_ABOUT, kButton, "&About", kPush, {4, 172, 40, 12}},
                {IDC_STOP_ALL, kButton, "&Stop All", kPush, {46, 172, 40, 12}},
                {IDC_CLOSE_ALL, kButton, "Cl&ose All", kPush, {88, 172, 40, 12}},
                {IDC_UTILITIES, kButton, "&Utilities", kPush, {130, 172, 40, 12}},
            },
            {}};
}

DialogSpec About() {
    return {"About",
            IDD_ABOUT,
            "About this program",
            124,
            121,
            kPopup,
            {
                {IDC_ABOUT_TEXT,
                 kEdit,
                 "",
                 kReadOnly | Has(ES_MULTILINE | ES_CENTER),
                 {4, 4, 116, 100}},
                {IDOK, kButton, "&Close", kDefault, {}},
            },
            {}};
}

DialogSpec Message() {
    return {"Message",
            IDD_MESSAGE,
            "Message",
            140,
            81,
            kPopup,
            {
                {IDC_MESSAGE_TEXT,
                 kEdit,
                 "",
                 kReadOnly | Has(ES_MULTILINE | WS_VSCROLL),
                 {4, 4, 132, 60}},
                {IDOK, kButton, "OK", kDefault, {}},
                {IDCANCEL, kButton, "Cancel", kPush, {}},
            },
            {}};
}

DialogSpec ViewSize() {
    return {"ViewSize",
            IDD_VIEW_SIZE,
            "Set Viewsize",
            112,
            58,
            kPopup,
            {
                {IDC_STATIC, kStatic, "X-Size:", kAny, {}},
                {IDC_VIEW_WIDTH, kEdit, "", Has(ES_RIGHT), {}},
                {IDC_STATIC, kStatic, "Y-Size:", kAny, {}},
                {IDC_VIEW_HEIGHT, kEdit, "", Has(ES_RIGHT), {}},
                {IDOK, kButton, "OK", kDefault, {}},
                {IDCANCEL, kButton, "Cancel", kPush, {}},
            },
            {}};
}

DialogSpec DirectControl() {
    return {"DirectControl",
            IDD_DIRECT_CONTROL,
            "Directcontrol",
            172,
            103,
            kPopup,
            {
                {IDC_STATIC, kStatic, "Address (FFFF ...):", kAny, {}},
                {IDC_REGISTER_ADDRESS, kEdit, "", Has(ES_UPPERCASE), {}},
                {IDC_REGISTER_WRITE, kButton, "&Write", kDefault, {}},
                {IDC_STATIC, kStatic, "Data:", kAny, {}},
                {IDC_REGISTER_DATA, kEdit, "", Has(ES_UPPERCASE), {}},
                {IDC_REGISTER_READ, kButton, "&Read", kPush, {}},
                {IDC_STATIC, kStatic, "History:", kAny, {}},
                {IDC_REGISTER_HISTORY, kList, "", Has(LBS_NOTIFY | WS_VSCROLL) | kUnsorted, {}},
            },
            {}};
}

DialogSpec AutomaticMode() {
    return {"AutomaticMode",
            IDD_AUTOMATIC_MODE,
            "Automatic mode",
            167,
            119,
            kPopup,
            {
                {IDC_STATIC, kStatic, "Time between stored frames (s):", kAny, {}},
                {IDC_AUTO_INTERVAL, kEdit, "", Lacks(ES_READONLY), {}},
                {IDC_AUTO_INTERVAL_SPIN, kSpin, "", kSpinStyle, {}},
                {IDC_STATIC, kStatic, "Number of frames to store:", kAny, {}},
                {IDC_AUTO_FRAME_COUNT, kEdit, "", Lacks(ES_READONLY), {}},
                {IDC_AUTO_FRAME_COUNT_SPIN, kSpin, "", kSpinStyle, {}},
                {IDC_AUTO_TIMED, kButton, "&Automode", kRadio | Has(WS_GROUP), {}},
                {IDC_AUTO_TELNET, kButton, "Telnet (>trigger)", kRadio | Lacks(WS_GROUP), {}},
                {IDC_AUTO_CHOOSE_DIRECTORY, kButton, "Direc.:", kPush | Has(WS_GROUP), {}},
                {IDC_AUTO_DIRECTORY, kEdit, "", kReadOnly, {}},
                {IDC_STATIC, kStatic, "Last File:", kAny, {}},
                {IDC_AUTO_LAST_FILE, kEdit, "", kReadOnly, {}},
                {IDC_AUTO_START, kButton, "&Start", kPush, {}},
                {IDC_AUTO_STOP, kButton, "&Stop", kPush, {}},
            },
            // An up-down control sits on the edge of the field it counts in.
            {{IDC_AUTO_INTERVAL, IDC_AUTO_INTERVAL_SPIN},
             {IDC_AUTO_FRAME_COUNT, IDC_AUTO_FRAME_COUNT_SPIN}}};
}

DialogSpec CameraControl() {
    return {"CameraControl",
            IDD_CAMERA_CONTROL,
            "Camera Control",
            244,
            152,
            kPopup,
            {
                {IDC_PAGE_TABS, kTabs, "", Has(WS_TABSTOP | WS_CLIPSIBLINGS), {}},
                {IDOK, kButton, "&Ok", kDefault, {}},
            },
            {}};
}

DialogSpec Preferences() {
    return {"Preferences",
            IDD_PREFERENCES,
            "Camera View Preferences",
            244,
            152,
            kPopup,
            {
                {IDC_PAGE_TABS, kTabs, "", Has(WS_TABSTOP | WS_CLIPSIBLINGS), {}},
                {IDOK, kButton, "OK", kDefault, {}},
                {IDCANCEL, kButton, "Cancel", kPush, {}},
            },
            {}};
}

DialogSpec PreferencesCameraPage() {
    const Style edit = Lacks(ES_READONLY | WS_DISABLED);
    return {"PreferencesCameraPage",
            IDD_PREFERENCES_CAMERA_PAGE,
            "",
            224,
            106,
            kPage,
            {
                {IDC_STATIC, kStatic, "Video-Format:", kAny, {}},
                {IDC_VIDEO_FORMAT, kCombo, "", kDropDown, {}},
                {IDC_STATIC, kStatic, "Video-Mode:", kAny, {}},
                {IDC_VIDEO_MODE, kCombo, "", kDropDown, {}},
                {IDC_STATIC, kStatic, "X-Offset (Pixel):", kAny, {}},
                {IDC_X_OFFSET, kEdit, "", edit, {}},
                {IDC_X_OFFSET_UNIT, kStatic, "", kAny, {}},
                {IDC_STATIC, kStatic, "Y-Offset (Pixel):", kAny, {}},
                {IDC_Y_OFFSET, kEdit, "", edit, {}},
                {IDC_Y_OFFSET_UNIT, kStatic, "", kAny, {}},
                {IDC_STATIC, kStatic, "X-Size (Pixel):", kAny, {}},
                {IDC_X_SIZE, kEdit, "", edit, {}},
                {IDC_X_SIZE_UNIT, kStatic, "", kAny, {}},
                {IDC_STATIC, kStatic, "Y-Size (Pixel):", kAny, {}},
                {IDC_Y_SIZE, kEdit, "", edit, {}},
                {IDC_Y_SIZE_UNIT, kStatic, "", kAny, {}},
                {IDC_STATIC, kStatic, "Framerate:", kAny, {}},
                {IDC_FRAME_RATE, kCombo, "", kDropDown, {}},
                {IDC_STATIC, kStatic, "Packetpayload:", kAny, {}},
                {IDC_PACKET_PAYLOAD, kEdit, "", edit, {}},
                {IDC_STATIC, kStatic, "Colormode:", kAny, {}},
                {IDC_COLOUR_MODE, kCombo, "", kDropDown, {}},
                {IDC_STATIC, kStatic, "Payloadinfo:", kAny, {}},
                {IDC_PAYLOAD_INFO, kEdit, "", kDisabled, {}},
                {IDC_FORMAT7_QUERY, kButton, "?", kPush, {}},
                {IDC_STATIC, kStatic, "TX-Speed:", kAny, {}},
                {IDC_TX_SPEED, kCombo, "", kDropDown, {}},
                {IDC_STATIC, kStatic, "Triggermode:", kAny, {}},
                {IDC_TRIGGER_MODE, kCombo, "", kDropDown, {}},
            },
            {}};
}

DialogSpec PreferencesBusPage() {
    const Style edit = Lacks(ES_READONLY | WS_DISABLED);
    return {"PreferencesBusPage",
            IDD_PREFERENCES_BUS_PAGE,
            "",
            224,
            106,
            kPage,
            {
                {IDC_STATIC, kStatic, "ISO-Channel:", kAny, {}},
                {IDC_ISO_CHANNEL, kCombo, "", kDropDown, {}},
                {IDC_STATIC, kStatic, "Framebuffers:", kAny, {}},
                {IDC_FRAME_BUFFERS, kEdit, "", edit, {}},
                {IDC_STATIC, kStatic, "Dma-IsoChn-Enbl.:", kAny, {}},
                {IDC_DMA_CHANNEL_ENABLE, kEdit, "", edit, {}},
                {IDC_STATIC, kStatic, "Dma-IsoChn-Value:", kAny, {}},
                {IDC_DMA_CHANNEL_VALUE, kEdit, "", edit, {}},
                {IDC_STATIC, kStatic, "First-Packet-Enbl.:", kAny, {}},
                {IDC_FIRST_PACKET_ENABLE, kEdit, "", edit, {}},
                {IDC_STATIC, kStatic, "First-Packet-Value:", kAny, {}},
                {IDC_FIRST_PACKET_VALUE, kEdit, "", edit, {}},
                {IDC_INVERT_Y16, kButton, "Invert Y-16 Byteorder", kCheck | Lacks(WS_DISABLED), {}},
                {IDC_RAW_Y16, kButton, "Y-16 is Raw-Mode", kCheck | kDisabled, {}},
                {IDC_STATIC, kButton, "Bayer-Pattern", kGroup, {}},
                {IDC_BAYER_RG_GB, kButton, "R-G G-B", kRadio | kDisabled | Has(WS_GROUP), {}},
                {IDC_BAYER_BG_GR, kButton, "B-G G-R", kRadio | kDisabled, {}},
                {IDC_BAYER_GR_BG, kButton, "G-R B-G", kRadio | kDisabled, {}},
                {IDC_BAYER_GB_RG, kButton, "G-B R-G", kRadio | kDisabled, {}},
            },
            {}};
}

// The controls of one feature row of a camera control page, before its slider.
void AddFeatureRow(std::vector<ControlSpec>& controls, const char* name, int label, int fixed,
                   int automatic, int onePush) {
    controls.push_back({IDC_STATIC, kButton, "", kGroup, {}});
    controls.push_back({label, kStatic, name, kAny, {}});
    controls.push_back({fixed, kButton, "Fixed", kCheck, {}});
    controls.push_back({automatic, kButton, "Auto", kCheck, {}});
    controls.push_back({onePush, kButton, "1x", kPush, {}});
}

void AddSlider(std::vector<ControlSpec>& controls, int slider) {
    controls.push_back({slider, kSlider, "", kSliderStyle, {}});
}

void AddMarkedSlider(std::vector<ControlSpec>& controls, int slider, const char* left,
                     const char* right) {
    controls.push_back({IDC_STATIC, kStatic, left, kAny, {}});
    AddSlider(controls, slider);
    controls.push_back({IDC_STATIC, kStatic, right, kAny, {}});
}

DialogSpec FeaturePage(const char* name, int templateId, std::vector<ControlSpec> controls) {
    return {name, templateId, "", 224, 106, kPage, std::move(controls), {}};
}

DialogSpec CommonPage() {
    std::vector<ControlSpec> c;
    AddFeatureRow(c, "Auto-Exposure", IDC_AUTO_EXPOSURE_LABEL, IDC_AUTO_EXPOSURE_FIXED,
                  IDC_AUTO_EXPOSURE_AUTO, IDC_AUTO_EXPOSURE_ONE_PUSH);
    AddSlider(c, IDC_AUTO_EXPOSURE_SLIDER);
    AddFeatureRow(c, "Gain", IDC_GAIN_LABEL, IDC_GAIN_FIXED, IDC_GAIN_AUTO, IDC_GAIN_ONE_PUSH);
    AddSlider(c, IDC_GAIN_SLIDER);
    AddFeatureRow(c, "Shutter", IDC_SHUTTER_LABEL, IDC_SHUTTER_FIXED, IDC_SHUTTER_AUTO,
                  IDC_SHUTTER_ONE_PUSH);
    AddSlider(c, IDC_SHUTTER_SLIDER);
    return FeaturePage("CommonPage", IDD_CONTROL_COMMON_PAGE, std::move(c));
}

DialogSpec PicturePage() {
    std::vector<ControlSpec> c;
    AddFeatureRow(c, "Brightness", IDC_BRIGHTNESS_LABEL, IDC_BRIGHTNESS_FIXED, IDC_BRIGHTNESS_AUTO,
                  IDC_BRIGHTNESS_ONE_PUSH);
    AddSlider(c, IDC_BRIGHTNESS_SLIDER);
    AddFeatureRow(c, "Sharpness", IDC_SHARPNESS_LABEL, IDC_SHARPNESS_FIXED, IDC_SHARPNESS_AUTO,
                  IDC_SHARPNESS_ONE_PUSH);
    AddSlider(c, IDC_SHARPNESS_SLIDER);
    AddFeatureRow(c, "Gamma", IDC_GAMMA_LABEL, IDC_GAMMA_FIXED, IDC_GAMMA_AUTO, IDC_GAMMA_ONE_PUSH);
    AddSlider(c, IDC_GAMMA_SLIDER);
    return FeaturePage("PicturePage", IDD_CONTROL_PICTURE_PAGE, std::move(c));
}

DialogSpec ColorPage() {
    std::vector<ControlSpec> c;
    AddFeatureRow(c, "Hue", IDC_HUE_LABEL, IDC_HUE_FIXED, IDC_HUE_AUTO, IDC_HUE_ONE_PUSH);
    AddSlider(c, IDC_HUE_SLIDER);
    AddFeatureRow(c, "Saturation", IDC_SATURATION_LABEL, IDC_SATURATION_FIXED, IDC_SATURATION_AUTO,
                  IDC_SATURATION_ONE_PUSH);
    AddSlider(c, IDC_SATURATION_SLIDER);
    AddFeatureRow(c, "White-Bal.", IDC_WHITE_BALANCE_LABEL, IDC_WHITE_BALANCE_FIXED,
                  IDC_WHITE_BALANCE_AUTO, IDC_WHITE_BALANCE_ONE_PUSH);
    AddSlider(c, IDC_WHITE_BALANCE_U_SLIDER);
    c.push_back({IDC_STATIC, kStatic, "U", kAny, {}});
    AddSlider(c, IDC_WHITE_BALANCE_V_SLIDER);
    c.push_back({IDC_STATIC, kStatic, "V", kAny, {}});
    return FeaturePage("ColorPage", IDD_CONTROL_COLOR_PAGE, std::move(c));
}

DialogSpec LensePage() {
    std::vector<ControlSpec> c;
    AddFeatureRow(c, "Iris", IDC_IRIS_LABEL, IDC_IRIS_FIXED, IDC_IRIS_AUTO, IDC_IRIS_ONE_PUSH);
    AddMarkedSlider(c, IDC_IRIS_SLIDER, "C", "O");
    AddFeatureRow(c, "Focus", IDC_FOCUS_LABEL, IDC_FOCUS_FIXED, IDC_FOCUS_AUTO, IDC_FOCUS_ONE_PUSH);
    AddMarkedSlider(c, IDC_FOCUS_SLIDER, "N", "F");
    AddFeatureRow(c, "Zoom", IDC_ZOOM_LABEL, IDC_ZOOM_FIXED, IDC_ZOOM_AUTO, IDC_ZOOM_ONE_PUSH);
    AddMarkedSlider(c, IDC_ZOOM_SLIDER, "W", "T");
    return FeaturePage("LensePage", IDD_CONTROL_LENSE_PAGE, std::move(c));
}

std::vector<DialogSpec> AllDialogs() {
    return {MainWindow(),         About(),         Message(),
            ViewSize(),           DirectControl(), AutomaticMode(),
            CameraControl(),      Preferences(),   PreferencesCameraPage(),
            PreferencesBusPage(), CommonPage(),    PicturePage(),
            ColorPage(),          LensePage()};
}

// ---- Helpers -------------------------------------------------------------------

INT_PTR CALLBACK TrivialDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

std::string ClassOf(HWND window) {
    std::array<char, 128> name{};
    GetClassNameA(window, name.data(), static_cast<int>(name.size()));
    return name.data();
}

std::string TextOf(HWND window) {
    std::array<char, 256> text{};
    GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
    return text.data();
}

DWORD StyleOf(HWND window) {
    return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
}

// The style as far as a template can set it: edits and list boxes trade their
// WS_BORDER for a sunken client edge when they are created.
DWORD TemplateStyleOf(HWND window) {
    const auto exStyle = static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
    return StyleOf(window) | ((exStyle & WS_EX_CLIENTEDGE) != 0 ? WS_BORDER : 0);
}

// A list box shows only the scroll bars it needs: give it more lines, and
// wider ones, than it can show, so every scroll bar of its template appears.
void Overfill(HWND listBox) {
    for (int i = 0; i < 40; ++i) {
        SendMessageA(listBox, LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>("a line of text longer than the box"));
    }
    SendMessageA(listBox, LB_SETHORIZONTALEXTENT, 4000, 0);
}

// A control's rectangle in the client coordinates of its dialog.
RECT RectIn(HWND dialog, HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Converted the way the dialog manager places a control: position and size
// each on their own (so right = left + width, not the converted right edge).
RECT DialogUnitsToPixels(HWND dialog, const Box& box) {
    RECT r{box.x, box.y, box.cx, box.cy};
    MapDialogRect(dialog, &r);
    return {r.left, r.top, r.left + r.right, r.top + r.bottom};
}

std::string Describe(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
           std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

std::string Describe(const ControlSpec& spec) {
    return "control " + std::to_string(spec.id) + " \"" + spec.text + "\"";
}

bool IsGroupBox(HWND control) {
    return lstrcmpiA(ClassOf(control).c_str(), kButton) == 0 &&
           (StyleOf(control) & BS_TYPEMASK) == BS_GROUPBOX;
}

std::vector<HWND> ChildrenOf(HWND dialog) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

// Owns one created dialog (and the top-level host a child template needs).
class CreatedDialog {
public:
    explicit CreatedDialog(int templateId) {
        InitCommonControls();
        HINSTANCE instance = GetModuleHandleA(nullptr);
        host_ = CreateWindowA("Static", "host", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr,
                              nullptr, instance, nullptr);
        dialog_ =
            CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), host_, TrivialDialogProc, 0);
    }
    ~CreatedDialog() {
        if (dialog_ != nullptr)
            DestroyWindow(dialog_);
        if (host_ != nullptr)
            DestroyWindow(host_);
    }
    CreatedDialog(const CreatedDialog&) = delete;
    CreatedDialog& operator=(const CreatedDialog&) = delete;

    HWND Get() const { return dialog_; }

private:
    HWND host_ = nullptr;
    HWND dialog_ = nullptr;
};

// ---- Dialog templates ------------------------------------------------------------

void PrintTo(const DialogSpec& spec, std::ostream* out) {
    *out << spec.name;
}

class DialogTemplate : public testing::TestWithParam<DialogSpec> {};

TEST_P(DialogTemplate, MatchesItsTable) {
    const DialogSpec& spec = GetParam();
    CreatedDialog created(spec.templateId);
    HWND dialog = created.Get();
    ASSERT_NE(dialog, nullptr) << "template " << spec.templateId << " not created, error "
                               << GetLastError();

    EXPECT_EQ(TextOf(dialog), spec.title);
    EXPECT_EQ(StyleOf(dialog) & spec.style.mask, spec.style.value)
        << std::hex << "dialog style 0x" << StyleOf(dialog);

    RECT client{};
    GetClientRect(dialog, &client);
    const RECT size = DialogUnitsToPixels(dialog, {0, 0, spec.cx, spec.cy});
    EXPECT_EQ(client.right, size.right) << "client width for " << spec.cx << " dialog units";
    EXPECT_EQ(client.bottom, size.bottom) << "client height for " << spec.cy << " dialog units";

    auto font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr) << "the template sets no font";
    LOGFONTA logFont{};
    ASSERT_NE(GetObjectA(font, sizeof logFont, &logFont), 0);
    EXPECT_STREQ(logFont.lfFaceName, "MS Sans Serif");
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(logFont.lfHeight, -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72))
        << "an 8 point font";
    ReleaseDC(nullptr, screen);

    const std::vector<HWND> children = ChildrenOf(dialog);
    ASSERT_EQ(children.size(), spec.controls.size()) << "number of controls";

    for (size_t i = 0; i < children.size(); ++i) {
        const ControlSpec& want = spec.controls[i];
        HWND control = children[i];
        SCOPED_TRACE("position " + std::to_string(i) + ": " + Describe(want));

        EXPECT_EQ(GetDlgCtrlID(control) & 0xFFFF, want.id & 0xFFFF) << "id";
        EXPECT_EQ(lstrcmpiA(ClassOf(control).c_str(), want.className), 0)
            << "class: expected " << want.className << ", got " << ClassOf(control);
        EXPECT_EQ(TextOf(control), want.text) << "text";
        if (lstrcmpiA(want.className, kList) == 0)
            Overfill(control);
        EXPECT_EQ(TemplateStyleOf(control) & want.style.mask, want.style.value)
            << std::hex << "style 0x" << TemplateStyleOf(control);

        const RECT got = RectIn(dialog, control);
        if (want.box.Given()) {
            const RECT expected = DialogUnitsToPixels(dialog, want.box);
            EXPECT_EQ(got.left, expected.left)
                << Describe(got) << " expected " << Describe(expected);
            EXPECT_EQ(got.top, expected.top) << Describe(got) << " expected " << Describe(expected);
            EXPECT_EQ(got.right, expected.right)
                << Describe(got) << " expected " << Describe(expected);
            // A drop-down list's window is its closed part; the template height includes the list.
            if (lstrcmpA(want.className, kCombo) != 0) {
                EXPECT_EQ(got.bottom, expected.bottom)
                    << Describe(got) << " expected " << Describe(expected);
            }
        }
        EXPECT_TRUE(got.left >= 0 && got.top >= 0 && got.right <= client.right &&
                    got.bottom <= client.bottom)
            << Describe(got) << " leaves the client area " << Describe(client);
    }

    for (size_t i = 0; i < children.size(); ++i) {
        for (size_t j = i + 1; j < children.size(); ++j) {
            const ControlSpec& a = spec.controls[i];
            const ControlSpec& b = spec.controls[j];
            if (a.id != IDC_STATIC) {
                EXPECT_NE(a.id, b.id) << "identifier used twice";
            }
            const RECT ra = RectIn(dialog, children[i]);
            const RECT rb = RectIn(dialog, children[j]);
            RECT common{};
            if (!IntersectRect(&common, &ra, &rb))
                continue;
            // A group box frames whole controls, never a part of one.
            if (IsGroupBox(children[i]) || IsGroupBox(children[j])) {
                const RECT& inner = IsGroupBox(children[i]) ? rb : ra;
                EXPECT_TRUE(EqualRect(&common, &inner))
                    << Describe(a) << " " << Describe(ra) << " and " << Describe(b) << " "
                    << Describe(rb) << ": cut by a group box";
                continue;
            }
            bool intended = false;
            for (const auto& [first, second] : spec.intendedOverlaps) {
                intended |= (a.id == first && b.id == second) || (a.id == second && b.id == first);
            }
            EXPECT_TRUE(intended) << Describe(a) << " " << Describe(ra) << " overlaps "
                                  << Describe(b) << " " << Describe(rb);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Oriscope, DialogTemplate, testing::ValuesIn(AllDialogs()),
                         [](const testing::TestParamInfo<DialogSpec>& param) {
                             return std::string(param.param.name);
                         });

// ---- Tab dialogs and their pages ---------------------------------------------------

struct TabDialogSpec {
    const char* name;
    int templateId;
    std::vector<std::pair<const char*, int>> pages;  // tab text, page template
};

void PrintTo(const TabDialogSpec& spec, std::ostream* out) {
    *out << spec.name;
}

class TabDialogPages : public testing::TestWithParam<TabDialogSpec> {};

// Every page fits the display area of the tab control, where the library
// centres it, and so stays clear of the buttons below.
TEST_P(TabDialogPages, FitTheTabDisplayArea) {
    const TabDialogSpec& spec = GetParam();
    CreatedDialog created(spec.templateId);
    HWND dialog = created.Get();
    ASSERT_NE(dialog, nullptr);
    HWND tabs = GetDlgItem(dialog, IDC_PAGE_TABS);
    ASSERT_NE(tabs, nullptr);

    for (size_t i = 0; i < spec.pages.size(); ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(spec.pages[i].first);
        item.iImage = -1;
        ASSERT_EQ(SendMessageA(tabs, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item)),
                  static_cast<LRESULT>(i));
    }
    RECT area{};
    GetWindowRect(tabs, &area);
    SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&area), 2);

    for (const auto& [tabText, pageTemplate] : spec.pages) {
        SCOPED_TRACE(std::string("page \"") + tabText + "\"");
        HWND page = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(pageTemplate),
                                       dialog, TrivialDialogProc, 0);
        ASSERT_NE(page, nullptr) << "page template " << pageTemplate;
        EXPECT_EQ(GetParent(page), dialog);
        RECT pageRect{};
        GetClientRect(page, &pageRect);
        EXPECT_LE(pageRect.right, area.right - area.left)
            << "page width against display area " << Describe(area);
        EXPECT_LE(pageRect.bottom, area.bottom - area.top)
            << "page height against display area " << Describe(area);
        DestroyWindow(page);
    }
    for (int button : {IDOK, IDCANCEL}) {
        HWND control = GetDlgItem(dialog, button);
        if (control == nullptr)
            continue;
        RECT r = RectIn(dialog, control);
        RECT common{};
        EXPECT_FALSE(IntersectRect(&common, &r, &area))
            << "button " << button << " within the page area";
    }
}

INSTANTIATE_TEST_SUITE_P(Oriscope, TabDialogPages,
                         testing::Values(TabDialogSpec{"CameraControl",
                                                       IDD_CAMERA_CONTROL,
                                                       {{"Common", IDD_CONTROL_COMMON_PAGE},
                                                        {"Picture", IDD_CONTROL_PICTURE_PAGE},
                                                        {"Color", IDD_CONTROL_COLOR_PAGE},
                                                        {"Lense", IDD_CONTROL_LENSE_PAGE}}},
                                         TabDialogSpec{"Preferences",
                                                       IDD_PREFERENCES,
                                                       {{"Camera", IDD_PREFERENCES_CAMERA_PAGE},
                                                        {"1394-Bus", IDD_PREFERENCES_BUS_PAGE}}}),
                         [](const testing::TestParamInfo<TabDialogSpec>& param) {
                             return std::string(param.param.name);
                         });

// ---- Camera frame menu -------------------------------------------------------------

struct MenuItemSpec {
    UINT id;           // 0 for a separator
    const char* text;  // nullptr for a separator
};

struct PopupSpec {
    const char* text;
    std::vector<MenuItemSpec> items;
};

TEST(CameraMenu, HasThePopupsItemsAndCommands) {
    const std::vector<PopupSpec> popups = {
        {"&Disk", {{IDM_SAVE_BITMAP, "&Save Bitmap..."}}},
        {"&View",
         {{IDM_TOGGLE_ACQUISITION, "&Start Acquisition"},
          {0, nullptr},
          {IDM_VIEW_160X120, "Set to &160x120"},
          {IDM_VIEW_320X240, "Set to 3&20x240"},
          {IDM_VIEW_640X480, "Set to 6&40x480"},
          {IDM_VIEW_800X600, "Set to 800x&600"},
          {IDM_VIEW_1024X768, "Set to 1024x&768"},
          {IDM_VIEW_1280X960, "Set to 12&80x960"},
          {0, nullptr},
          {IDM_USER_SIZE, "&Usersize..."},
          {0, nullptr},
          {IDM_SCROLL_MODE, "Scrollmode"}}},
        {"&Others",
         {{IDM_EDIT_SETTINGS, "&Edit Settings..."},
          {IDM_LIVE_CONTROL, "&Live Control..."},
          {IDM_DIRECT_CONTROL, "&Direct Control..."},
          {0, nullptr},
          {IDM_AUTOMATIC_MODE, "&Automatic mode"}}},
    };

    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_CAMERA_MENU));
    ASSERT_NE(menu, nullptr) << "menu " << IDR_CAMERA_MENU << ", error " << GetLastError();
    ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(popups.size()));

    auto readItem = [](HMENU owner, UINT position, MENUITEMINFOA& info,
                       std::array<char, 64>& text) {
        info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU;
        info.dwTypeData = text.data();
        info.cch = static_cast<UINT>(text.size());
        text.fill(0);
        return GetMenuItemInfoA(owner, position, TRUE, &info) != FALSE;
    };

    for (size_t p = 0; p < popups.size(); ++p) {
        SCOPED_TRACE(std::string("popup ") + popups[p].text);
        MENUITEMINFOA info{};
        std::array<char, 64> text{};
        ASSERT_TRUE(readItem(menu, static_cast<UINT>(p), info, text));
        EXPECT_STREQ(text.data(), popups[p].text);
        ASSERT_NE(info.hSubMenu, nullptr);

        const auto& items = popups[p].items;
        ASSERT_EQ(GetMenuItemCount(info.hSubMenu), static_cast<int>(items.size()));
        for (size_t i = 0; i < items.size(); ++i) {
            SCOPED_TRACE("item " + std::to_string(i));
            MENUITEMINFOA item{};
            std::array<char, 64> itemText{};
            ASSERT_TRUE(readItem(info.hSubMenu, static_cast<UINT>(i), item, itemText));
            if (items[i].text == nullptr) {
                EXPECT_TRUE(item.fType & MFT_SEPARATOR)
                    << "expected a separator, got \"" << itemText.data() << "\"";
                continue;
            }
            EXPECT_EQ(item.fType & MFT_SEPARATOR, 0u);
            EXPECT_STREQ(itemText.data(), items[i].text);
            EXPECT_EQ(item.wID, items[i].id);
            EXPECT_EQ(item.hSubMenu, nullptr);
            // Everything starts enabled; "Scrollmode" starts unchecked (scroll mode 0).
            EXPECT_EQ(item.fState & (MFS_CHECKED | MFS_DISABLED), 0u);
        }
    }
    DestroyMenu(menu);
}

// ---- Icon ------------------------------------------------------------------------

#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct IconGroupHeader {
    WORD reserved, type, count;
};
#pragma pack(pop)

TEST(MainIcon, LoadsInBothSizes) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HICON icon = LoadIconA(instance, ORISCOPE_MAIN_ICON_NAME);
    EXPECT_NE(icon, nullptr) << "LoadIconA error " << GetLastError();

    HRSRC found =
        FindResourceA(instance, ORISCOPE_MAIN_ICON_NAME, MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
    ASSERT_NE(found, nullptr);
    const auto* header =
        static_cast<const IconGroupHeader*>(LockResource(LoadResource(instance, found)));
    ASSERT_NE(header, nullptr);
    ASSERT_EQ(header->count, 2);
    const auto* entries = reinterpret_cast<const IconGroupEntry*>(header + 1);
    EXPECT_EQ(entries[0].width, 32);
    EXPECT_EQ(entries[0].height, 32);
    EXPECT_EQ(entries[1].width, 16);
    EXPECT_EQ(entries[1].height, 16);

    for (int size : {16, 32}) {
        auto image = static_cast<HICON>(
            LoadImageA(instance, ORISCOPE_MAIN_ICON_NAME, IMAGE_ICON, size, size, 0));
        ASSERT_NE(image, nullptr) << size << "x" << size;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(image, &info));
        BITMAP colour{};
        ASSERT_NE(GetObjectA(info.hbmColor, sizeof colour, &colour), 0);
        EXPECT_EQ(colour.bmWidth, size);
        EXPECT_EQ(colour.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(image);
    }
}

}  // namespace
