// The camera control and direct register dialogs of the real program, opened
// from a camera window's menu and driven through their windows against the
// simulated colour camera. The camera's registers are read back through the
// direct register dialog, as a user would check them.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/tests/support/CameraWindows.h"
#include "app/tests/support/ProgramUnderTest.h"
#include "resources/resource.h"

namespace {

using oriscope_test::FindDescendant;
using oriscope_test::ProgramUnderTest;
using oriscope_test::TemporaryFile;
using oriscope_test::WaitUntil;

constexpr DWORD kNodeListTimeoutMs = 15000;
constexpr DWORD kWindowTimeoutMs = 10000;
// The camera keeps moving an automatic value; the dialog reads it every 500 ms.
constexpr DWORD kFollowTimeoutMs = 8000;

constexpr char kScenario[] =
    "[card]\n"
    "slot = 0\n"
    "link = \\DosDevices\\TKSIMC\n"
    "systemid = 0x01020301\n"
    "[camera]\n"
    "preset = colour\n"
    "name = colour\n"
    "card = 0\n"
    "vendor = ACME Vision\n"
    "model = Model C\n"
    "uniqueid = 0x0030530012345678\n";

constexpr char kControlTitle[] = "Camera Control for ACME Vision Model C";
constexpr char kDirectTitle[] = "Directcontrol";
constexpr char kPreferencesTitle[] = "Preferences for ACME Vision Model C";

// What the colour preset offers: label, minimum, maximum, power-on value (white
// balance: V and U), and which controls are enabled.
struct Feature {
    int page;
    const char* name;
    int label;
    int fixed;
    int automatic;
    int onePush;
    int slider;
    int secondSlider;
    int min;
    int max;
    int value;
    int second;
    bool switchable;
    bool automaticOffered;
    bool onePushOffered;
};

const Feature kFeatures[] = {
    {0, "Auto-Exposure", IDC_AUTO_EXPOSURE_LABEL, IDC_AUTO_EXPOSURE_FIXED, IDC_AUTO_EXPOSURE_AUTO,
     IDC_AUTO_EXPOSURE_ONE_PUSH, IDC_AUTO_EXPOSURE_SLIDER, 0, 0, 1023, 512, 0, true, true, true},
    {0, "Gain", IDC_GAIN_LABEL, IDC_GAIN_FIXED, IDC_GAIN_AUTO, IDC_GAIN_ONE_PUSH, IDC_GAIN_SLIDER,
     0, 0, 1023, 64, 0, true, true, true},
    {0, "Shutter", IDC_SHUTTER_LABEL, IDC_SHUTTER_FIXED, IDC_SHUTTER_AUTO, IDC_SHUTTER_ONE_PUSH,
     IDC_SHUTTER_SLIDER, 0, 1, 3000, 750, 0, true, true, true},
    {1, "Brightness", IDC_BRIGHTNESS_LABEL, IDC_BRIGHTNESS_FIXED, IDC_BRIGHTNESS_AUTO,
     IDC_BRIGHTNESS_ONE_PUSH, IDC_BRIGHTNESS_SLIDER, 0, 0, 255, 96, 0, true, true, true},
    {1, "Sharpness", IDC_SHARPNESS_LABEL, IDC_SHARPNESS_FIXED, IDC_SHARPNESS_AUTO,
     IDC_SHARPNESS_ONE_PUSH, IDC_SHARPNESS_SLIDER, 0, 0, 7, 2, 0, false, true, false},
    {1, "Gamma", IDC_GAMMA_LABEL, IDC_GAMMA_FIXED, IDC_GAMMA_AUTO, IDC_GAMMA_ONE_PUSH,
     IDC_GAMMA_SLIDER, 0, 0, 2, 1, 0, true, false, false},
    {2, "Hue", IDC_HUE_LABEL, IDC_HUE_FIXED, IDC_HUE_AUTO, IDC_HUE_ONE_PUSH, IDC_HUE_SLIDER, 0, 0,
     255, 128, 0, true, false, false},
    {2, "Saturation", IDC_SATURATION_LABEL, IDC_SATURATION_FIXED, IDC_SATURATION_AUTO,
     IDC_SATURATION_ONE_PUSH, IDC_SATURATION_SLIDER, 0, 0, 511, 256, 0, false, true, false},
    {2, "White-Bal.", IDC_WHITE_BALANCE_LABEL, IDC_WHITE_BALANCE_FIXED, IDC_WHITE_BALANCE_AUTO,
     IDC_WHITE_BALANCE_ONE_PUSH, IDC_WHITE_BALANCE_U_SLIDER, IDC_WHITE_BALANCE_V_SLIDER, 0, 1023,
     440, 600, true, true, true},
    {3, "Iris", IDC_IRIS_LABEL, IDC_IRIS_FIXED, IDC_IRIS_AUTO, IDC_IRIS_ONE_PUSH, IDC_IRIS_SLIDER,
     0, 0, 15, 8, 0, false, true, false},
    {3, "Focus", IDC_FOCUS_LABEL, IDC_FOCUS_FIXED, IDC_FOCUS_AUTO, IDC_FOCUS_ONE_PUSH,
     IDC_FOCUS_SLIDER, 0, 0, 1000, 500, 0, false, true, true},
    {3, "Zoom", IDC_ZOOM_LABEL, IDC_ZOOM_FIXED, IDC_ZOOM_AUTO, IDC_ZOOM_ONE_PUSH, IDC_ZOOM_SLIDER,
     0, 40, 400, 40, 0, false, false, false},
};

const Feature& Named(const std::string& name) {
    for (const Feature& f : kFeatures) {
        if (name == f.name) {
            return f;
        }
    }
    ADD_FAILURE() << "no feature " << name;
    return kFeatures[0];
}

std::string Label(const Feature& f, int value, int second) {
    char text[96];
    if (f.secondSlider != 0) {
        std::snprintf(text, sizeof text, "%s(%d - %d)", f.name, value, second);
    } else {
        std::snprintf(text, sizeof text, "%s(%d)", f.name, value);
    }
    return text;
}

class ControlDialogsEndToEnd : public ::testing::Test {
protected:
    // The program with the colour camera's window open and its settings accepted.
    void OpenCameraWindow() {
        std::string error;
        ASSERT_TRUE(program.Start("/simulate:" + scenario.Path(), &error)) << error;
        program.DropDownCombo(IDC_CARD_LIST);
        program.SelectComboItem(IDC_CARD_LIST, 1);
        ASSERT_TRUE(WaitUntil([&] { return program.ListLines(IDC_NODE_LIST).size() == 1; },
                              kNodeListTimeoutMs));
        program.SelectListItem(IDC_NODE_LIST, 0);
        program.ClickButton(IDC_CONNECT);
        ASSERT_TRUE(
            WaitUntil([&] { return program.OtherWindows().size() == 1; }, kWindowTimeoutMs));
        cameraWindow = program.OtherWindows().front();
        // A new camera window asks for its settings first; the defaults will do.
        HWND preferences = program.WaitForDialog(kPreferencesTitle, kWindowTimeoutMs);
        ASSERT_NE(nullptr, preferences);
        program.ClickButtonIn(preferences, IDOK);
        ASSERT_TRUE(WaitUntil([&] { return IsWindow(preferences) == FALSE; }, kWindowTimeoutMs));
    }

    HWND OpenFromMenu(int command, const char* title) {
        PostMessageA(cameraWindow, WM_COMMAND, MAKEWPARAM(command, 0), 0);
        return program.WaitForDialog(title, kWindowTimeoutMs);
    }

    // A control of the dialog or of one of its pages.
    HWND Item(HWND dialog, int id) {
        const HWND found = FindDescendant(dialog, id);
        EXPECT_NE(nullptr, found) << "no control " << id;
        return found;
    }
    std::string TextOf(HWND dialog, int id) { return program.Text(Item(dialog, id)); }
    bool Enabled(HWND dialog, int id) { return IsWindowEnabled(Item(dialog, id)) != FALSE; }

    // The next tab, as the arrow key on the tab control selects it.
    void NextTab(HWND dialog) {
        SendMessageA(Item(dialog, IDC_PAGE_TABS), WM_KEYDOWN, VK_RIGHT, 0);
    }

    void Key(HWND dialog, int id, WPARAM key) {
        SendMessageA(Item(dialog, id), WM_KEYDOWN, key, 0);
        SendMessageA(Item(dialog, id), WM_KEYUP, key, 0);
    }

    void Close(HWND dialog) {
        SendMessageA(dialog, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitUntil([&] { return IsWindow(dialog) == FALSE; }, kWindowTimeoutMs));
    }

    // Wine carries list lines between processes in their wide form only.
    std::vector<std::string> History(HWND dialog) {
        const HWND list = Item(dialog, IDC_REGISTER_HISTORY);
        std::vector<std::string> lines;
        const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t wide[128] = L"";
            SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide));
            char line[128] = "";
            WideCharToMultiByte(CP_ACP, 0, wide, -1, line, sizeof line - 1, nullptr, nullptr);
            lines.emplace_back(line);
        }
        return lines;
    }

    // A register read with the direct register dialog: its history line.
    std::string ReadRegister(const char* address) {
        HWND direct = OpenFromMenu(IDM_DIRECT_CONTROL, kDirectTitle);
        EXPECT_NE(nullptr, direct);
        if (direct == nullptr) {
            return "";
        }
        SendMessageA(Item(direct, IDC_REGISTER_ADDRESS), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(address));
        SendMessageA(Item(direct, IDC_REGISTER_READ), BM_CLICK, 0, 0);
        WaitUntil([&] { return !History(direct).empty(); }, kWindowTimeoutMs);
        const std::vector<std::string> lines = History(direct);
        Close(direct);
        return lines.empty() ? "" : lines.back();
    }

    void ExpectShowsTheCamera(HWND dialog, const Feature& f) {
        SCOPED_TRACE(f.name);
        EXPECT_EQ(Label(f, f.value, f.second), TextOf(dialog, f.label));
        for (int slider : {f.slider, f.secondSlider}) {
            if (slider == 0) {
                continue;
            }
            const HWND s = Item(dialog, slider);
            EXPECT_EQ(f.min, SendMessageA(s, TBM_GETRANGEMIN, 0, 0));
            EXPECT_EQ(f.max, SendMessageA(s, TBM_GETRANGEMAX, 0, 0));
            EXPECT_EQ((f.max - f.min) >> 3, SendMessageA(s, TBM_GETPAGESIZE, 0, 0));
            EXPECT_EQ(slider == f.slider ? f.value : f.second, SendMessageA(s, TBM_GETPOS, 0, 0));
            EXPECT_TRUE(IsWindowEnabled(s));
        }
        EXPECT_EQ(f.switchable, Enabled(dialog, f.fixed));
        EXPECT_EQ(f.automaticOffered, Enabled(dialog, f.automatic));
        EXPECT_EQ(f.onePushOffered, Enabled(dialog, f.onePush));
    }

    TemporaryFile scenario{"oriscope-control-dialogs.ini", kScenario};
    ProgramUnderTest program;
    HWND cameraWindow = nullptr;
};

TEST_F(ControlDialogsEndToEnd, EveryRowShowsTheCameraAndASliderChangesItsRegister) {
    OpenCameraWindow();
    HWND dialog = OpenFromMenu(IDM_LIVE_CONTROL, kControlTitle);
    ASSERT_NE(nullptr, dialog);
    for (int page = 0; page < 4; ++page) {
        if (page > 0) {
            NextTab(dialog);
        }
        for (const Feature& f : kFeatures) {
            if (f.page == page) {
                ExpectShowsTheCamera(dialog, f);
            }
        }
    }
    // Brightness on "Picture", one page step up from 96: 96 + 255 / 8.
    const Feature& brightness = Named("Brightness");
    SendMessageA(Item(dialog, IDC_PAGE_TABS), WM_KEYDOWN, VK_LEFT, 0);
    SendMessageA(Item(dialog, IDC_PAGE_TABS), WM_KEYDOWN, VK_LEFT, 0);
    Key(dialog, brightness.slider, VK_NEXT);
    EXPECT_EQ("Brightness(127)", TextOf(dialog, brightness.label));
    program.ClickButtonIn(dialog, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return IsWindow(dialog) == FALSE; }, kWindowTimeoutMs));

    // Present, on, manual, 127.
    EXPECT_EQ("R F0F00800:8200007F", ReadRegister("F0F00800"));
}

TEST_F(ControlDialogsEndToEnd, AutoFollowsTheCameraAndOnePushIsClearedByIt) {
    OpenCameraWindow();
    HWND dialog = OpenFromMenu(IDM_LIVE_CONTROL, kControlTitle);
    ASSERT_NE(nullptr, dialog);
    const Feature& gain = Named("Gain");
    SendMessageA(Item(dialog, gain.automatic), BM_CLICK, 0, 0);
    EXPECT_FALSE(Enabled(dialog, gain.slider));
    std::vector<std::string> seen{TextOf(dialog, gain.label)};
    // Two changes of the label, each a value the camera moved to by itself.
    EXPECT_TRUE(WaitUntil(
        [&] {
            const std::string now = TextOf(dialog, gain.label);
            if (now != seen.back()) {
                seen.push_back(now);
            }
            return seen.size() >= 3;
        },
        kFollowTimeoutMs))
        << "the label stayed at " << seen.back();

    // Focus on "Lense": away from the middle, then one-push; the camera settles on 500.
    const Feature& focus = Named("Focus");
    NextTab(dialog);
    NextTab(dialog);
    NextTab(dialog);
    Key(dialog, focus.slider, VK_HOME);
    EXPECT_EQ("Focus(0)", TextOf(dialog, focus.label));
    SendMessageA(Item(dialog, focus.onePush), BM_CLICK, 0, 0);
    EXPECT_TRUE(
        WaitUntil([&] { return TextOf(dialog, focus.label) == "Focus(500)"; }, kFollowTimeoutMs))
        << TextOf(dialog, focus.label);
    EXPECT_EQ(500, SendMessageA(Item(dialog, focus.slider), TBM_GETPOS, 0, 0));
    Close(dialog);

    // One-push done and cleared: present, on, manual, 500.
    EXPECT_EQ("R F0F00828:820001F4", ReadRegister("F0F00828"));
    // Gain still automatic.
    const std::string gainLine = ReadRegister("F0F00820");
    EXPECT_EQ("R F0F00820:83", gainLine.substr(0, 13)) << gainLine;
}

TEST_F(ControlDialogsEndToEnd, DirectDialogSeesTheStreamStartAndReportsAMissingRegister) {
    OpenCameraWindow();
    HWND direct = OpenFromMenu(IDM_DIRECT_CONTROL, kDirectTitle);
    ASSERT_NE(nullptr, direct);
    EXPECT_EQ("F0F00614", TextOf(direct, IDC_REGISTER_ADDRESS));
    EXPECT_EQ("00000000", TextOf(direct, IDC_REGISTER_DATA));
    SendMessageA(Item(direct, IDC_REGISTER_READ), BM_CLICK, 0, 0);
    EXPECT_EQ(std::vector<std::string>{"R F0F00614:00000000"}, History(direct));
    Close(direct);

    PostMessageA(cameraWindow, WM_COMMAND, MAKEWPARAM(IDM_TOGGLE_ACQUISITION, 0), 0);
    EXPECT_TRUE(WaitUntil([&] { return ReadRegister("F0F00614") == "R F0F00614:80000000"; },
                          kWindowTimeoutMs));

    direct = OpenFromMenu(IDM_DIRECT_CONTROL, kDirectTitle);
    ASSERT_NE(nullptr, direct);
    SendMessageA(Item(direct, IDC_REGISTER_ADDRESS), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>("00001000"));
    SendMessageA(Item(direct, IDC_REGISTER_WRITE), BM_CLICK, 0, 0);
    const std::vector<std::string> lines = History(direct);
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("W 00001000:00000000 Error(", lines[0].substr(0, 26)) << lines[0];
    EXPECT_EQ(')', lines[0].back()) << lines[0];
    Close(direct);
}

}  // namespace
