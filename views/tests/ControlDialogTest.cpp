// The camera control and direct register dialogs run modally on the test
// thread against the simulated colour camera, reached through the real bus
// access library. Steps run from a thread timer inside the modal loop; time
// of the simulation stands still except where a step advances it, so the
// camera's automatic and one-push changes happen exactly when a step says.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "buslib/TK.h"
#include "buslib/testing/ManualClock.h"
#include "camera/IidcCamera.h"
#include "camera/tests/TracingDriver.h"
#include "resources/resource.h"
#include "sim/SimRegisters.h"
#include "sim/SimulatedBus.h"
#include "views/CameraControlDialog.h"
#include "views/DirectControlDialog.h"
#include "winlib/CFrameWindow.h"
#include "winlib/tests/WinlibTestSupport.h"

namespace {

using camera_testing::RegisterAccess;

constexpr std::uint32_t kIsoEn = 0x614;
constexpr std::uint32_t kControlDistance = 0x300;

// One feature row as the dialog lays it out.
struct Row {
    int page;  // tab index
    const char* name;
    std::uint32_t offset;  // inquiry register
    int label;
    int fixed;
    int automatic;
    int onePush;
    int slider;
    int secondSlider;
};

const Row kRows[] = {
    {0, "Auto-Exposure", 0x504, IDC_AUTO_EXPOSURE_LABEL, IDC_AUTO_EXPOSURE_FIXED,
     IDC_AUTO_EXPOSURE_AUTO, IDC_AUTO_EXPOSURE_ONE_PUSH, IDC_AUTO_EXPOSURE_SLIDER, 0},
    {0, "Gain", 0x520, IDC_GAIN_LABEL, IDC_GAIN_FIXED, IDC_GAIN_AUTO, IDC_GAIN_ONE_PUSH,
     IDC_GAIN_SLIDER, 0},
    {0, "Shutter", 0x51C, IDC_SHUTTER_LABEL, IDC_SHUTTER_FIXED, IDC_SHUTTER_AUTO,
     IDC_SHUTTER_ONE_PUSH, IDC_SHUTTER_SLIDER, 0},
    {1, "Brightness", 0x500, IDC_BRIGHTNESS_LABEL, IDC_BRIGHTNESS_FIXED, IDC_BRIGHTNESS_AUTO,
     IDC_BRIGHTNESS_ONE_PUSH, IDC_BRIGHTNESS_SLIDER, 0},
    {1, "Sharpness", 0x508, IDC_SHARPNESS_LABEL, IDC_SHARPNESS_FIXED, IDC_SHARPNESS_AUTO,
     IDC_SHARPNESS_ONE_PUSH, IDC_SHARPNESS_SLIDER, 0},
    {1, "Gamma", 0x518, IDC_GAMMA_LABEL, IDC_GAMMA_FIXED, IDC_GAMMA_AUTO, IDC_GAMMA_ONE_PUSH,
     IDC_GAMMA_SLIDER, 0},
    {2, "Hue", 0x510, IDC_HUE_LABEL, IDC_HUE_FIXED, IDC_HUE_AUTO, IDC_HUE_ONE_PUSH, IDC_HUE_SLIDER,
     0},
    {2, "Saturation", 0x514, IDC_SATURATION_LABEL, IDC_SATURATION_FIXED, IDC_SATURATION_AUTO,
     IDC_SATURATION_ONE_PUSH, IDC_SATURATION_SLIDER, 0},
    {2, "White-Bal.", 0x50C, IDC_WHITE_BALANCE_LABEL, IDC_WHITE_BALANCE_FIXED,
     IDC_WHITE_BALANCE_AUTO, IDC_WHITE_BALANCE_ONE_PUSH, IDC_WHITE_BALANCE_U_SLIDER,
     IDC_WHITE_BALANCE_V_SLIDER},
    {3, "Iris", 0x524, IDC_IRIS_LABEL, IDC_IRIS_FIXED, IDC_IRIS_AUTO, IDC_IRIS_ONE_PUSH,
     IDC_IRIS_SLIDER, 0},
    {3, "Focus", 0x528, IDC_FOCUS_LABEL, IDC_FOCUS_FIXED, IDC_FOCUS_AUTO, IDC_FOCUS_ONE_PUSH,
     IDC_FOCUS_SLIDER, 0},
    {3, "Zoom", 0x580, IDC_ZOOM_LABEL, IDC_ZOOM_FIXED, IDC_ZOOM_AUTO, IDC_ZOOM_ONE_PUSH,
     IDC_ZOOM_SLIDER, 0},
};

const Row& RowNamed(const std::string& name) {
    for (const Row& row : kRows) {
        if (name == row.name) {
            return row;
        }
    }
    ADD_FAILURE() << "no row " << name;
    return kRows[0];
}

// The camera frame that owns the dialogs under test.
HWND g_owner = nullptr;

BOOL CALLBACK TakeShownDialog(HWND window, LPARAM parameter) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof(name));
    // Not yet necessarily visible: a modal dialog shows when its loop first idles.
    if (std::string(name) == "#32770" && GetWindow(window, GW_OWNER) == g_owner) {
        *reinterpret_cast<HWND*>(parameter) = window;
        return FALSE;
    }
    return TRUE;
}

// The modal dialog of this thread.
HWND ShownDialog() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &TakeShownDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

struct ItemSearch {
    int id;
    HWND found;
};

BOOL CALLBACK TakeItem(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<ItemSearch*>(parameter);
    char name[16] = {};
    GetClassNameA(window, name, sizeof(name));
    if (GetDlgCtrlID(window) == search->id && std::string(name) != "#32770") {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// A control of the dialog or of one of its pages.
HWND Item(int id) {
    ItemSearch search{id, nullptr};
    EnumChildWindows(ShownDialog(), &TakeItem, reinterpret_cast<LPARAM>(&search));
    EXPECT_NE(nullptr, search.found) << "no control " << id;
    return search.found;
}

std::string TextOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

bool Enabled(int id) {
    return IsWindowEnabled(Item(id)) != FALSE;
}

bool Checked(int id) {
    return SendMessageA(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Click(int id) {
    SendMessageA(Item(id), BM_CLICK, 0, 0);
}

// A real click on a tab, as the user makes it.
void ClickTab(int index) {
    const HWND tabs = Item(IDC_PAGE_TABS);
    RECT item;
    SendMessageA(tabs, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
    const LPARAM where = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    SendMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, where);
    SendMessageA(tabs, WM_LBUTTONUP, 0, where);
}

// A key pressed on a slider; the slider tells its page.
void PressKey(int sliderId, WPARAM key) {
    const HWND slider = Item(sliderId);
    SendMessageA(slider, WM_KEYDOWN, key, 0);
    SendMessageA(slider, WM_KEYUP, key, 0);
}

// The thumb dragged to a position: the request the slider sends its page while tracking.
void DragTo(int sliderId, int position) {
    const HWND slider = Item(sliderId);
    SendMessageA(slider, TBM_SETPOS, TRUE, position);
    SendMessageA(GetParent(slider), WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, position),
                 reinterpret_cast<LPARAM>(slider));
}

LRESULT SliderPosition(int id) {
    return SendMessageA(Item(id), TBM_GETPOS, 0, 0);
}

// What the dialog's 500 ms timer does, at the moment the step chooses.
void RefreshTick() {
    SendMessageA(ShownDialog(), WM_TIMER, CameraControlDialog::kRefreshTimer, 0);
}

std::string LabelFor(const char* name, std::uint32_t control, bool pair) {
    char text[96];
    if (pair) {
        std::snprintf(text, sizeof text, "%s(%u - %u)", name, control & 0xFFF,
                      (control >> 12) & 0xFFF);
    } else {
        std::snprintf(text, sizeof text, "%s(%u)", name, control & 0xFFF);
    }
    return text;
}

class ControlDialogs : public WinlibTest {
protected:
    void SetUp() override {
        WinlibTest::SetUp();
        owner = new CFrameWindow;
        const CRectangle place(40, 40, 680, 520);
        ASSERT_EQ(1, owner->CreateFrame(nullptr, "camera", WS_OVERLAPPEDWINDOW | WS_VISIBLE, &place,
                                        nullptr, nullptr, 0, nullptr));
        app.SetMainWindow(owner);
        g_owner = owner->Handle();
    }

    void TearDown() override {
        TKCloseCard(0);
        TKExitModule();
        tk::SetDriverPlatform(nullptr);
        if (IsWindow(owner->Handle())) {
            DestroyWindow(owner->Handle());
        }
        WinlibTest::TearDown();
    }

    // The colour camera on a bus made from the scenario, as a camera view holds it.
    void Connect(sim::Scenario scenario = sim::DefaultScenario()) {
        bus = std::make_unique<sim::SimulatedBus>(std::move(scenario));
        tracer = std::make_unique<camera_testing::TracingDriver>(*bus);
        tk::SetDriverPlatform(tracer.get());
        ASSERT_EQ(0u, TKInitModule());
        ASSERT_EQ(0u, TKOpenCard(0));
        ASSERT_EQ(0u, TKOpenBus(0, 16, 64, 8, 32));
        const auto node = bus->NodeNumber("colour");
        ASSERT_TRUE(node.has_value());
        nodeNumber = static_cast<std::uint32_t>(*node);
        base = bus->CommandBase("colour");
        camera.settings.card = 0;
        camera.settings.node = static_cast<std::uint8_t>(*node);
        camera.settings.speed = 2;
        camera.nodeInfo.commandRegisterBase = base;
        std::strcpy(camera.nodeInfo.vendorName, "Oriscope Simulation");
        std::strcpy(camera.nodeInfo.modelName, "SIM-C1024 Colour");
        tracer->ClearTrace();
    }

    std::uint32_t Register(std::uint32_t offset) {
        const auto value = bus->CameraRegister("colour", offset);
        EXPECT_TRUE(value.has_value()) << std::hex << offset;
        return value.value_or(0xDEADBEEF);
    }
    std::uint32_t Control(const Row& row) { return Register(row.offset + kControlDistance); }
    std::uint32_t Inquiry(const Row& row) { return Register(row.offset); }

    // The value last read from, or written to, a feature's control register.
    std::optional<std::uint32_t> Last(RegisterAccess::Kind kind, const Row& row) {
        const std::uint32_t address = base + row.offset + kControlDistance;
        std::optional<std::uint32_t> found;
        for (const RegisterAccess& a : tracer->Trace()) {
            if (a.kind == kind && a.address == address && a.status == 0) {
                found = a.value;
            }
        }
        return found;
    }
    std::optional<std::uint32_t> LastRead(const Row& row) {
        return Last(RegisterAccess::Kind::Read, row);
    }
    std::optional<std::uint32_t> LastWrite(const Row& row) {
        return Last(RegisterAccess::Kind::Write, row);
    }

    // Runs the dialog with the steps; the last step must close it.
    int RunControl(std::vector<std::function<void()>> steps) {
        TimerScript script(std::move(steps));
        const int result = RunCameraControlDialog(owner, camera);
        EXPECT_TRUE(script.Done()) << "the dialog ended before its steps";
        return result;
    }
    int RunDirect(std::vector<std::function<void()>> steps) {
        TimerScript script(std::move(steps));
        const int result = RunDirectControlDialog(owner, camera);
        EXPECT_TRUE(script.Done()) << "the dialog ended before its steps";
        return result;
    }

    void ExpectRowShowsTheCamera(const Row& row) {
        SCOPED_TRACE(row.name);
        const std::uint32_t inquiry = Inquiry(row);
        const std::uint32_t control = Control(row);
        const LRESULT min = (inquiry >> 12) & 0xFFF;
        const LRESULT max = inquiry & 0xFFF;
        const bool on = (inquiry & (1u << 26)) == 0 || (control & (1u << 25)) != 0;
        const bool automatic = (control & (1u << 24)) != 0;
        EXPECT_EQ(LabelFor(row.name, control, row.secondSlider != 0), TextOf(Item(row.label)));
        for (int slider : {row.slider, row.secondSlider}) {
            if (slider == 0) {
                continue;
            }
            const HWND s = Item(slider);
            EXPECT_EQ(min, SendMessageA(s, TBM_GETRANGEMIN, 0, 0));
            EXPECT_EQ(max, SendMessageA(s, TBM_GETRANGEMAX, 0, 0));
            EXPECT_EQ((max - min) >> 3, SendMessageA(s, TBM_GETPAGESIZE, 0, 0));
            EXPECT_EQ(on && !automatic && (inquiry & (1u << 24)) != 0, IsWindowEnabled(s) != FALSE);
        }
        EXPECT_EQ(static_cast<LRESULT>(control & 0xFFF), SliderPosition(row.slider));
        if (row.secondSlider != 0) {
            EXPECT_EQ(static_cast<LRESULT>((control >> 12) & 0xFFF),
                      SliderPosition(row.secondSlider));
        }
        EXPECT_EQ((inquiry & (1u << 26)) != 0, Enabled(row.fixed));
        EXPECT_EQ(on && (inquiry & (1u << 25)) != 0, Enabled(row.automatic));
        EXPECT_EQ(on && (inquiry & (1u << 28)) != 0, Enabled(row.onePush));
    }

    void ExpectRowDisabled(const Row& row) {
        SCOPED_TRACE(row.name);
        for (int id : {row.fixed, row.automatic, row.onePush, row.slider}) {
            EXPECT_FALSE(Enabled(id)) << "control " << id;
        }
        EXPECT_EQ(std::string(row.name) + "(0)", TextOf(Item(row.label)));
    }

    tk::testing::ManualClock clock;
    tk::testing::ScopedClock scopedClock{clock};
    std::unique_ptr<sim::SimulatedBus> bus;
    std::unique_ptr<camera_testing::TracingDriver> tracer;
    IidcCamera camera;
    std::uint32_t nodeNumber = 0;
    std::uint32_t base = 0;
    CFrameWindow* owner = nullptr;
};

// ---- camera control dialog --------------------------------------------------------

TEST_F(ControlDialogs, EveryRowShowsTheCameraRangesAndValues) {
    Connect();
    const int result = RunControl({
        [&] {
            EXPECT_EQ("Camera Control for Oriscope Simulation SIM-C1024 Colour",
                      TextOf(ShownDialog()));
            const HWND tabs = Item(IDC_PAGE_TABS);
            ASSERT_EQ(4, SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
            const char* const names[] = {"Common", "Picture", "Color", "Lense"};
            for (int i = 0; i < 4; ++i) {
                char text[32] = "";
                TCITEMA item{};
                item.mask = TCIF_TEXT;
                item.pszText = text;
                item.cchTextMax = sizeof text;
                SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
                EXPECT_STREQ(names[i], text);
            }
            EXPECT_EQ(0, SendMessageA(tabs, TCM_GETCURSEL, 0, 0));
        },
        [&] { ClickTab(1); },
        [&] { ClickTab(2); },
        [&] { ClickTab(3); },
        [&] {
            for (const Row& row : kRows) {
                ExpectRowShowsTheCamera(row);
            }
            Click(IDOK);
        },
    });
    EXPECT_EQ(1, result);
    EXPECT_FALSE(IsWindow(ShownDialog()));
}

TEST_F(ControlDialogs, SliderRequestsWriteTheCameraRegister) {
    Connect();
    const Row& gain = RowNamed("Gain");        // 0..1023, step 127, at 64
    const Row& shutter = RowNamed("Shutter");  // 1..3000, step 374
    RunControl({
        [&] {
            PressKey(gain.slider, VK_NEXT);
            EXPECT_EQ(64u + 127u, Control(gain) & 0xFFF);
            EXPECT_EQ("Gain(191)", TextOf(Item(gain.label)));
            EXPECT_EQ(191, SliderPosition(gain.slider));

            DragTo(gain.slider, 700);
            EXPECT_EQ(700u, Control(gain) & 0xFFF);
            PressKey(gain.slider, VK_LEFT);
            EXPECT_EQ(699u, Control(gain) & 0xFFF);
            PressKey(gain.slider, VK_HOME);
            EXPECT_EQ(0u, Control(gain) & 0xFFF);
            PressKey(gain.slider, VK_LEFT);
            EXPECT_EQ(0u, Control(gain) & 0xFFF) << "no step below the minimum";
            PressKey(gain.slider, VK_END);
            EXPECT_EQ(1023u, Control(gain) & 0xFFF);
            EXPECT_EQ("Gain(1023)", TextOf(Item(gain.label)));
            // The whole word goes to the camera: present, on, manual, the value.
            EXPECT_EQ(std::optional<std::uint32_t>(0x82000000u | 1023u), LastWrite(gain));
        },
        [&] {
            // Page steps near the bounds end on the bound, and the slider is put there.
            DragTo(shutter.slider, 375);  // minimum + step: not above it
            PressKey(shutter.slider, VK_PRIOR);
            EXPECT_EQ(1u, Control(shutter) & 0xFFF);
            EXPECT_EQ(1, SliderPosition(shutter.slider));
            DragTo(shutter.slider, 376);
            PressKey(shutter.slider, VK_PRIOR);
            EXPECT_EQ(2u, Control(shutter) & 0xFFF);
            DragTo(shutter.slider, 2626);  // maximum - step: not below it
            PressKey(shutter.slider, VK_NEXT);
            EXPECT_EQ(3000u, Control(shutter) & 0xFFF);
            EXPECT_EQ(3000, SliderPosition(shutter.slider));
            EXPECT_EQ("Shutter(3000)", TextOf(Item(shutter.label)));
            Click(IDOK);
        },
    });
}

TEST_F(ControlDialogs, WhiteBalanceSlidersEachChangeTheirHalf) {
    Connect();
    const Row& balance = RowNamed("White-Bal.");  // U 600 in bits 23..12, V 440 in 11..0
    RunControl({
        [&] { ClickTab(2); },
        [&] {
            EXPECT_EQ("White-Bal.(440 - 600)", TextOf(Item(balance.label)));
            DragTo(balance.secondSlider, 900);
            EXPECT_EQ((900u << 12) | 440u, Control(balance) & 0xFFFFFF);
            EXPECT_EQ("White-Bal.(440 - 900)", TextOf(Item(balance.label)));
            PressKey(balance.slider, VK_RIGHT);
            EXPECT_EQ((900u << 12) | 441u, Control(balance) & 0xFFFFFF);
            EXPECT_EQ("White-Bal.(441 - 900)", TextOf(Item(balance.label)));
            Click(IDOK);
        },
    });
}

TEST_F(ControlDialogs, AutoRowFollowsTheCameraAlsoOnAHiddenPage) {
    Connect();
    const Row& gain = RowNamed("Gain");
    const Row& brightness = RowNamed("Brightness");
    std::string before;
    RunControl({
        [&] {
            Click(gain.automatic);
            EXPECT_NE(0u, Control(gain) & (1u << 24)) << "automatic mode written";
            EXPECT_TRUE(Checked(gain.automatic));
            EXPECT_FALSE(Enabled(gain.slider));
            EXPECT_TRUE(Enabled(gain.onePush));
            before = TextOf(Item(gain.label));
        },
        [&] {
            clock.Advance(1000);
            tracer->ClearTrace();
            RefreshTick();
            const auto read = LastRead(gain);
            ASSERT_TRUE(read.has_value()) << "an automatic feature is read back";
            EXPECT_EQ(LabelFor("Gain", *read, false), TextOf(Item(gain.label)));
            EXPECT_NE(before, TextOf(Item(gain.label))) << "the camera moved the value";
            EXPECT_EQ(static_cast<LRESULT>(*read & 0xFFF), SliderPosition(gain.slider));
            before = TextOf(Item(gain.label));
        },
        [&] { ClickTab(1); },
        [&] {
            clock.Advance(1000);
            tracer->ClearTrace();
            RefreshTick();
            const auto read = LastRead(gain);
            ASSERT_TRUE(read.has_value()) << "the hidden page is refreshed too";
            EXPECT_EQ(LabelFor("Gain", *read, false), TextOf(Item(gain.label)));
            EXPECT_NE(before, TextOf(Item(gain.label)));
            EXPECT_FALSE(LastRead(brightness).has_value()) << "a manual feature is not read";
        },
        [&] { ClickTab(0); },
        [&] {
            // Back to manual: the slider takes over from the value last seen.
            Click(gain.automatic);
            EXPECT_EQ(0u, Control(gain) & (1u << 24));
            EXPECT_TRUE(Enabled(gain.slider));
            const std::uint32_t shown = static_cast<std::uint32_t>(SliderPosition(gain.slider));
            PressKey(gain.slider, VK_RIGHT);
            EXPECT_EQ(shown + 1, Control(gain) & 0xFFF);
            tracer->ClearTrace();
            RefreshTick();
            EXPECT_FALSE(LastRead(gain).has_value()) << "manual again: no read back";
            Click(IDOK);
        },
    });
}

TEST_F(ControlDialogs, OnePushIsRepeatedUntilTheCameraClearsIt) {
    Connect();
    const Row& focus = RowNamed("Focus");  // 0..1000; one-push settles on 500
    const Row& zoom = RowNamed("Zoom");
    constexpr std::uint32_t kOnePush = 1u << 26;
    RunControl({
        [&] { ClickTab(3); },
        [&] {
            EXPECT_FALSE(Enabled(zoom.onePush)) << "zoom offers no one-push";
            DragTo(focus.slider, 100);
            Click(focus.onePush);
            ASSERT_TRUE(LastWrite(focus).has_value());
            EXPECT_EQ(kOnePush, *LastWrite(focus) & kOnePush);
            EXPECT_NE(0u, Control(focus) & kOnePush) << "the camera is adjusting";
            // Until the row reads the bit back cleared, its writes repeat it.
            PressKey(focus.slider, VK_RIGHT);
            EXPECT_EQ(kOnePush | 101u, *LastWrite(focus) & (kOnePush | 0xFFF));
            RefreshTick();
            EXPECT_EQ("Focus(101)", TextOf(Item(focus.label))) << "still adjusting";
        },
        [&] {
            clock.Advance(300);
            RefreshTick();
            EXPECT_EQ(0u, Control(focus) & kOnePush);
            EXPECT_EQ("Focus(500)", TextOf(Item(focus.label)));
            EXPECT_EQ(500, SliderPosition(focus.slider));
            PressKey(focus.slider, VK_RIGHT);
            EXPECT_EQ(501u, *LastWrite(focus) & (kOnePush | 0xFFF)) << "one-push no longer sent";
            tracer->ClearTrace();
            RefreshTick();
            EXPECT_FALSE(LastRead(focus).has_value()) << "done: no more read backs";
            Click(IDOK);
        },
    });
}

TEST_F(ControlDialogs, FixedSwitchesTheFeatureOffAndBackOn) {
    Connect();
    const Row& hue = RowNamed("Hue");  // manual, switchable, 0..255 at 128
    constexpr std::uint32_t kOn = 1u << 25;
    RunControl({
        [&] { ClickTab(2); },
        [&] {
            EXPECT_TRUE(Enabled(hue.fixed));
            EXPECT_FALSE(Checked(hue.fixed));
            Click(hue.fixed);
            EXPECT_TRUE(Checked(hue.fixed));
            EXPECT_EQ(0u, Control(hue) & kOn) << "switched off";
            EXPECT_FALSE(Enabled(hue.slider));
            EXPECT_FALSE(Enabled(hue.automatic));
            EXPECT_FALSE(Enabled(hue.onePush));
            EXPECT_EQ("Hue(128)", TextOf(Item(hue.label)));
        },
        [&] {
            Click(hue.fixed);
            EXPECT_FALSE(Checked(hue.fixed));
            EXPECT_EQ(kOn, Control(hue) & kOn) << "switched on";
            EXPECT_TRUE(Enabled(hue.slider));
            EXPECT_TRUE(LastRead(hue).has_value()) << "the value is reloaded";
            PressKey(hue.slider, VK_RIGHT);
            EXPECT_EQ(kOn | 129u, Control(hue) & (kOn | 0xFFF));
            Click(IDOK);
        },
    });
}

TEST_F(ControlDialogs, AbsentOrUnreadableFeatureRowIsDisabled) {
    sim::Scenario scenario = sim::DefaultScenario();
    for (sim::CameraSpec& c : scenario.cameras) {
        if (c.name == "colour") {
            c.features[static_cast<std::size_t>(sim::reg::Feature::Zoom)].inquiry = 0;
        }
    }
    Connect(std::move(scenario));
    RunControl({
        [&] {
            // Iris is read first on its page: every attempt of its first read fails.
            bus->FailTransactions("colour", IidcCamera::kRegisterAttempts, 15);
            ClickTab(3);
        },
        [&] {
            ExpectRowDisabled(RowNamed("Iris"));
            ExpectRowShowsTheCamera(RowNamed("Focus"));
            ExpectRowDisabled(RowNamed("Zoom"));
            Click(IDOK);
        },
    });
}

TEST_F(ControlDialogs, CloseBoxEndsTheDialog) {
    Connect();
    const int result = RunControl({
        [&] { SendMessageA(ShownDialog(), WM_CLOSE, 0, 0); },
    });
    EXPECT_EQ(0, result);
    EXPECT_EQ(nullptr, ShownDialog());
}

// ---- direct register control dialog ------------------------------------------------

std::vector<std::string> HistoryLines() {
    const HWND list = Item(IDC_REGISTER_HISTORY);
    std::vector<std::string> lines;
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char line[128] = "";
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line));
        lines.emplace_back(line);
    }
    return lines;
}

LRESULT HistorySelection() {
    return SendMessageA(Item(IDC_REGISTER_HISTORY), LB_GETCURSEL, 0, 0);
}

void SetItemText(int id, const char* text) {
    SetWindowTextA(Item(id), text);
}

std::string ItemText(int id) {
    return TextOf(Item(id));
}

// A line picked with the mouse: the selection and its notification.
void PickLine(int index) {
    const HWND list = Item(IDC_REGISTER_HISTORY);
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(ShownDialog(), WM_COMMAND, MAKEWPARAM(IDC_REGISTER_HISTORY, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
}

TEST_F(ControlDialogs, DirectDialogReadsIsoEnableBeforeAndAfterTheStart) {
    Connect();
    const int result = RunDirect({
        [&] {
            EXPECT_EQ("Directcontrol", TextOf(ShownDialog()));
            EXPECT_EQ("F0F00614", ItemText(IDC_REGISTER_ADDRESS));
            EXPECT_EQ("00000000", ItemText(IDC_REGISTER_DATA));
            Click(IDC_REGISTER_READ);
            EXPECT_EQ(std::vector<std::string>{"R F0F00614:00000000"}, HistoryLines());
            EXPECT_EQ(0, HistorySelection());
            ASSERT_TRUE(camera.StartContinuous());
            Click(IDC_REGISTER_READ);
            EXPECT_EQ((std::vector<std::string>{"R F0F00614:00000000", "R F0F00614:80000000"}),
                      HistoryLines());
            EXPECT_EQ(1, HistorySelection());
            // Enter presses the default button, "&Write".
            SetItemText(IDC_REGISTER_DATA, "0");
            SetFocus(Item(IDC_REGISTER_DATA));
            PostMessageA(Item(IDC_REGISTER_DATA), WM_KEYDOWN, VK_RETURN, 0);
        },
        [&] {
            EXPECT_EQ("W F0F00614:00000000", HistoryLines().back());
            EXPECT_EQ(0u, Register(kIsoEn)) << "the write stopped the stream";
            SendMessageA(ShownDialog(), WM_CLOSE, 0, 0);
        },
    });
    EXPECT_EQ(0, result);
}

TEST_F(ControlDialogs, DirectDialogShowsTheErrorOfAnAddressTheCameraLacks) {
    Connect();
    const std::uint32_t expected = TKWriteQuad(0, nodeNumber, 0xFFFF, 0x1000, 0x12345678);
    ASSERT_NE(0u, expected) << "the camera has no register at FFFF00001000";
    RunDirect({
        [&] {
            SetItemText(IDC_REGISTER_ADDRESS, "00001000");
            SetItemText(IDC_REGISTER_DATA, "12345678");
            Click(IDC_REGISTER_WRITE);
            Click(IDC_REGISTER_READ);
            char write[64];
            char read[64];
            std::snprintf(write, sizeof write, "W 00001000:12345678 Error(%u)", expected);
            std::snprintf(read, sizeof read, "R 00001000:00000000 Error(%u)", expected);
            EXPECT_EQ((std::vector<std::string>{write, read}), HistoryLines());
            EXPECT_EQ(1, HistorySelection());
            SendMessageA(ShownDialog(), WM_CLOSE, 0, 0);
        },
    });
}

TEST_F(ControlDialogs, DirectDialogRefusesTextThatIsNotHex) {
    Connect();
    struct Bad {
        int edit;
        const char* text;
        int button;
    };
    const Bad cases[] = {
        {IDC_REGISTER_ADDRESS, "0x10", IDC_REGISTER_READ},
        {IDC_REGISTER_ADDRESS, "F0F0 0614", IDC_REGISTER_WRITE},
        {IDC_REGISTER_ADDRESS, "", IDC_REGISTER_READ},
        {IDC_REGISTER_DATA, "12 34", IDC_REGISTER_WRITE},
        {IDC_REGISTER_DATA, "", IDC_REGISTER_WRITE},
    };
    RunDirect({
        [&] {
            for (const Bad& c : cases) {
                SCOPED_TRACE(c.text);
                SetItemText(IDC_REGISTER_ADDRESS, "F0F00614");
                SetItemText(IDC_REGISTER_DATA, "00000000");
                SetItemText(c.edit, c.text);
                SetFocus(Item(IDC_REGISTER_HISTORY));
                tracer->ClearTrace();
                Click(c.button);
                EXPECT_TRUE(tracer->Trace().empty()) << "nothing sent";
                EXPECT_TRUE(HistoryLines().empty());
                EXPECT_EQ(Item(c.edit), GetFocus());
                DWORD start = 1;
                DWORD end = 0;
                SendMessageA(Item(c.edit), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                             reinterpret_cast<LPARAM>(&end));
                EXPECT_EQ(0u, start);
                EXPECT_EQ(std::strlen(c.text), end) << "the whole text is selected";
            }
            // Nine digits: the last eight are the address.
            SetItemText(IDC_REGISTER_ADDRESS, "1F0F00614");
            SetItemText(IDC_REGISTER_DATA, "00000000");
            Click(IDC_REGISTER_READ);
            EXPECT_EQ(std::vector<std::string>{"R F0F00614:00000000"}, HistoryLines());
            SendMessageA(ShownDialog(), WM_CLOSE, 0, 0);
        },
    });
}

TEST_F(ControlDialogs, DirectHistoryKeepsTheFiftyNewestWithTheNewestSelected) {
    Connect();
    RunDirect({
        [&] {
            for (int i = 0; i <= DirectControlDialog::kHistoryLines; ++i) {
                char address[16];
                std::snprintf(address, sizeof address, "%08X", 0xF0F00600u + 4u * i);
                SetItemText(IDC_REGISTER_ADDRESS, address);
                Click(IDC_REGISTER_READ);
            }
            const std::vector<std::string> lines = HistoryLines();
            ASSERT_EQ(50u, lines.size());
            EXPECT_EQ("R F0F00604:", lines.front().substr(0, 11)) << "the oldest line went";
            EXPECT_EQ("R F0F006C8:", lines.back().substr(0, 11));
            EXPECT_EQ(49, HistorySelection());
            SendMessageA(ShownDialog(), WM_CLOSE, 0, 0);
        },
    });
}

TEST_F(ControlDialogs, DirectHistoryLinePutsAddressAndDataBackIntoTheEdits) {
    Connect();
    RunDirect({
        [&] {
            bus->FailTransactions("colour", 1, 15);
            Click(IDC_REGISTER_WRITE);  // 00000000 to F0F00614, refused
            ASSERT_EQ(1u, HistoryLines().size());
            EXPECT_EQ("W F0F00614:00000000 Error(", HistoryLines()[0].substr(0, 26));
            SetItemText(IDC_REGISTER_ADDRESS, "F0F00604");
            SetItemText(IDC_REGISTER_DATA, "ABCDEF01");
            bus->FailTransactions("colour", 1, 15);
            Click(IDC_REGISTER_READ);  // refused: shows 00000000
            Click(IDC_REGISTER_WRITE);
            ASSERT_EQ(3u, HistoryLines().size());

            PickLine(0);
            EXPECT_EQ("F0F00614", ItemText(IDC_REGISTER_ADDRESS));
            EXPECT_EQ("00000000", ItemText(IDC_REGISTER_DATA));
            PickLine(2);
            EXPECT_EQ("F0F00604", ItemText(IDC_REGISTER_ADDRESS));
            EXPECT_EQ("ABCDEF01", ItemText(IDC_REGISTER_DATA));
            PickLine(1);
            EXPECT_EQ("F0F00604", ItemText(IDC_REGISTER_ADDRESS));
            EXPECT_EQ("00000000", ItemText(IDC_REGISTER_DATA));
            SendMessageA(ShownDialog(), WM_CLOSE, 0, 0);
        },
    });
}

}  // namespace
