// The camera view preferences dialog, run modally on the test thread against a
// simulated camera (reached through the real bus access library) and driven
// from a thread timer that fires inside its modal loop: filling from the
// camera's inquiry, the lists following each other, the Format 7 query, the
// checks on OK with their messages, and what reaches the caller's settings.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "buslib/TK.h"
#include "buslib/testing/ManualClock.h"
#include "camera/IidcCamera.h"
#include "resources/resource.h"
#include "sim/SimRegisters.h"
#include "sim/SimulatedBus.h"
#include "views/PreferencesDialog.h"

namespace {

using Lines = std::vector<std::string>;
using Step = std::function<void(HWND)>;

// ---- Finding and driving the dialogs ------------------------------------------

bool IsDialog(HWND window) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    return std::string(name) == "#32770";
}

BOOL CALLBACK TakeActiveDialog(HWND window, LPARAM parameter) {
    if (IsDialog(window) && IsWindowVisible(window) && IsWindowEnabled(window)) {
        *reinterpret_cast<HWND*>(parameter) = window;
        return FALSE;
    }
    return TRUE;
}

// The dialog the user could work with now: a message box over the preferences
// disables them, so it is the one found.
HWND ActiveDialog() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &TakeActiveDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

struct ItemSearch {
    int id;
    HWND found;
};

BOOL CALLBACK TakeItem(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<ItemSearch*>(parameter);
    if (GetDlgCtrlID(window) == search->id && !IsDialog(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// A control of the dialog or of one of its pages (the pages' ids are distinct).
HWND Item(HWND dialog, int id) {
    ItemSearch search{id, nullptr};
    EnumChildWindows(dialog, &TakeItem, reinterpret_cast<LPARAM>(&search));
    EXPECT_NE(nullptr, search.found) << "no control " << id;
    return search.found;
}

std::string Text(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ItemText(HWND dialog, int id) {
    return Text(Item(dialog, id));
}

void SetItemText(HWND dialog, int id, const char* text) {
    SetWindowTextA(Item(dialog, id), text);
}

bool Enabled(HWND dialog, int id) {
    return IsWindowEnabled(Item(dialog, id)) != FALSE;
}

bool Checked(HWND dialog, int id) {
    return SendMessageA(Item(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

Lines ComboLines(HWND dialog, int id) {
    const HWND combo = Item(dialog, id);
    Lines lines;
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[64] = {};
        SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        lines.emplace_back(text);
    }
    return lines;
}

// The selected line's text, "" when nothing is selected.
std::string ComboSelection(HWND dialog, int id) {
    const HWND combo = Item(dialog, id);
    const LRESULT selection = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (selection == CB_ERR) {
        return "";
    }
    char text[64] = {};
    SendMessageA(combo, CB_GETLBTEXT, selection, reinterpret_cast<LPARAM>(text));
    return text;
}

// Chooses a line as the user does: the selection changes, the page is told.
void Choose(HWND dialog, int id, const char* line) {
    const HWND combo = Item(dialog, id);
    const LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(line));
    ASSERT_NE(CB_ERR, index) << "no line \"" << line << "\" in " << id;
    SendMessageA(combo, CB_SETCURSEL, index, 0);
    SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

// A button click, posted: what it starts (a message box) runs in the dialog's own loop.
void Press(HWND dialog, int id) {
    const HWND button = Item(dialog, id);
    PostMessageA(GetParent(button), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

// A real click on a tab, as the user makes it.
void ClickTab(HWND dialog, int index) {
    const HWND tabs = Item(dialog, IDC_PAGE_TABS);
    RECT item;
    SendMessageA(tabs, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
    const LPARAM where = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    SendMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, where);
    SendMessageA(tabs, WM_LBUTTONUP, 0, where);
}

int CurrentTab(HWND dialog) {
    return static_cast<int>(SendMessageA(Item(dialog, IDC_PAGE_TABS), TCM_GETCURSEL, 0, 0));
}

// Whether a control was given the focus while watched. Recorded from the focus
// message itself: other programs' windows on the same display may take the
// activation (and with it the focus) away again at any time.
class FocusWatch {
public:
    FocusWatch() {
        s_current = this;
        m_hook = SetWindowsHookExA(WH_CALLWNDPROC, &Record, nullptr, GetCurrentThreadId());
    }
    ~FocusWatch() {
        UnhookWindowsHookEx(m_hook);
        s_current = nullptr;
    }
    FocusWatch(const FocusWatch&) = delete;
    FocusWatch& operator=(const FocusWatch&) = delete;

    void Watch(HWND window) {
        m_window = window;
        m_got = false;
    }
    bool Got() const { return m_got; }

private:
    static LRESULT CALLBACK Record(int code, WPARAM wParam, LPARAM lParam) {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && s_current != nullptr && message->message == WM_SETFOCUS &&
            message->hwnd == s_current->m_window && s_current->m_window != nullptr) {
            s_current->m_got = true;
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline FocusWatch* s_current = nullptr;
    HHOOK m_hook = nullptr;
    HWND m_window = nullptr;
    bool m_got = false;
};

// What a message box showed; the step closes it.
struct Message {
    std::string title;
    std::string text;
};

Step CloseMessage(Message* message) {
    return [message](HWND box) {
        message->title = Text(box);
        message->text = ItemText(box, IDC_MESSAGE_TEXT);
        Press(box, IDOK);
    };
}

// Steps run one per timer tick against the active dialog. Steps left over or a
// dialog still open after the last one fail the test and end the dialogs.
struct Script {
    std::vector<Step> steps;
    std::size_t next = 0;
    int idleTicks = 0;
};
Script* g_script = nullptr;

void CALLBACK RunNextStep(HWND, UINT, UINT_PTR, DWORD) {
    const HWND dialog = ActiveDialog();
    if (dialog == nullptr) {
        return;
    }
    if (g_script->next < g_script->steps.size()) {
        g_script->idleTicks = 0;
        g_script->steps[g_script->next++](dialog);
        return;
    }
    if (++g_script->idleTicks > 40) {
        ADD_FAILURE() << "a dialog is still open after the last step: \"" << Text(dialog) << "\"";
        EndDialog(dialog, 0);
    }
}

// ---- Simulated camera ------------------------------------------------------------

sim::CameraSpec Named(sim::CameraSpec description, const char* name) {
    description.name = name;
    return description;
}

// Formats 0 and 7 only: Format 0 mode 0 (160 x 120 YUV-444) at 1.875 .. 30, whose
// table payload at 1.875 is 0, and mode 5 (640 x 480 Y-8) at 3.75 .. 60.
sim::CameraSpec ZeroAndSevenCamera() {
    sim::CameraSpec c = sim::ColourCamera();
    c.name = "zero-seven";
    c.model = "SIM-Z07";
    c.modeInquiry = {};
    c.rateInquiry = {};
    c.modeInquiry[0] = 0x84;
    c.rateInquiry[0][0] = 0xF8;
    c.rateInquiry[0][5] = 0x7C;
    return c;
}

class PreferencesDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitCommonControls(); }

    void SetUp() override {
        owner.SetAutoDelete(false);
        // A window without a parent: destroying one that posts WM_QUIT would end the
        // next modal loop.
        owner.WrapHandle(CreateWindowA("STATIC", "owner", WS_OVERLAPPED, 0, 0, 200, 100, nullptr,
                                       nullptr, GetModuleHandleA(nullptr), nullptr));
    }

    void TearDown() override {
        if (opened) {
            TKCloseCard(0);
            TKExitModule();
            tk::SetDriverPlatform(nullptr);
        }
        DestroyWindow(owner.Handle());
    }

    // Puts the camera alone on the bus, connects to it and inquires it, as a camera
    // window does before it shows the dialog.
    void Connect(const sim::CameraSpec& description) {
        sim::Scenario scenario = sim::DefaultScenario();
        scenario.cameras = {description};
        bus = std::make_unique<sim::SimulatedBus>(scenario);
        tk::SetDriverPlatform(bus.get());
        ASSERT_EQ(0u, TKInitModule());
        ASSERT_EQ(0u, TKOpenCard(0));
        ASSERT_EQ(0u, TKOpenBus(0, 16, 64, 8, 32));
        opened = true;
        const auto node = bus->NodeNumber(description.name);
        ASSERT_TRUE(node.has_value()) << description.name;
        cameraName = description.name;
        camera.settings.card = 0;
        camera.settings.node = static_cast<std::uint8_t>(*node);
        camera.nodeInfo.commandRegisterBase = bus->CommandBase(description.name);
        snprintf(camera.nodeInfo.vendorName, sizeof camera.nodeInfo.vendorName, "%s",
                 description.vendor.c_str());
        snprintf(camera.nodeInfo.modelName, sizeof camera.nodeInfo.modelName, "%s",
                 description.model.c_str());
        ASSERT_TRUE(camera.InquireAll());
        settings = camera.settings;
    }

    // Runs the dialog on `settings` with the steps driving it.
    int Run(std::vector<Step> steps) {
        Script script{std::move(steps)};
        g_script = &script;
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, &RunNextStep);
        const int result = RunPreferencesDialog(&owner, camera, settings);
        KillTimer(nullptr, timer);
        g_script = nullptr;
        EXPECT_EQ(script.steps.size(), script.next) << "steps left over";
        return result;
    }

    std::uint32_t Format7Register(unsigned mode, std::uint32_t offset) {
        const std::uint32_t block = camera.nodeInfo.commandRegisterBase +
                                    sim::reg::kDefaultFormat7Blocks +
                                    sim::reg::kFormat7BlockStride * mode;
        return bus->CameraQuadlet(cameraName, block + offset).value_or(0xDEADBEEF);
    }

    tk::testing::ManualClock clock;
    tk::testing::ScopedClock scopedClock{clock};
    std::unique_ptr<sim::SimulatedBus> bus;
    bool opened = false;
    std::string cameraName;
    IidcCamera camera;
    VideoSettings settings{};
    CBasicWindow owner;
};

// ---- Filling ------------------------------------------------------------------------

// What the page "Camera" shows when it opens.
struct CameraPageView {
    std::string title;
    Lines formats;
    std::string format;
    Lines modes;
    std::string mode;
    Lines rates;
    std::string rate;
    Lines colours;
    std::string xSize, ySize, payload;
    Lines units;
    bool geometryEnabled;
    bool rateEnabled;
    bool queryEnabled;
};

CameraPageView ViewOf(HWND dialog) {
    CameraPageView v;
    v.title = Text(dialog);
    v.formats = ComboLines(dialog, IDC_VIDEO_FORMAT);
    v.format = ComboSelection(dialog, IDC_VIDEO_FORMAT);
    v.modes = ComboLines(dialog, IDC_VIDEO_MODE);
    v.mode = ComboSelection(dialog, IDC_VIDEO_MODE);
    v.rates = ComboLines(dialog, IDC_FRAME_RATE);
    v.rate = ComboSelection(dialog, IDC_FRAME_RATE);
    v.colours = ComboLines(dialog, IDC_COLOUR_MODE);
    v.xSize = ItemText(dialog, IDC_X_SIZE);
    v.ySize = ItemText(dialog, IDC_Y_SIZE);
    v.payload = ItemText(dialog, IDC_PACKET_PAYLOAD);
    for (int id : {IDC_X_OFFSET_UNIT, IDC_Y_OFFSET_UNIT, IDC_X_SIZE_UNIT, IDC_Y_SIZE_UNIT}) {
        v.units.push_back(ItemText(dialog, id));
    }
    v.geometryEnabled = Enabled(dialog, IDC_X_SIZE);
    v.rateEnabled = Enabled(dialog, IDC_FRAME_RATE);
    v.queryEnabled = Enabled(dialog, IDC_FORMAT7_QUERY);
    return v;
}

void ExpectView(const CameraPageView& expected, const CameraPageView& got, const char* name) {
    EXPECT_EQ(expected.title, got.title) << name;
    EXPECT_EQ(expected.formats, got.formats) << name;
    EXPECT_EQ(expected.format, got.format) << name;
    EXPECT_EQ(expected.modes, got.modes) << name;
    EXPECT_EQ(expected.mode, got.mode) << name;
    EXPECT_EQ(expected.rates, got.rates) << name;
    EXPECT_EQ(expected.rate, got.rate) << name;
    EXPECT_EQ(expected.colours, got.colours) << name;
    EXPECT_EQ(expected.xSize, got.xSize) << name;
    EXPECT_EQ(expected.ySize, got.ySize) << name;
    EXPECT_EQ(expected.payload, got.payload) << name;
    EXPECT_EQ(expected.units, got.units) << name;
    EXPECT_EQ(expected.geometryEnabled, got.geometryEnabled) << name;
    EXPECT_EQ(expected.rateEnabled, got.rateEnabled) << name;
    EXPECT_EQ(expected.queryEnabled, got.queryEnabled) << name;
}

TEST_F(PreferencesDialogTest, CameraPageFillsFromTheInquiryAndCancelChangesNothing) {
    const Lines allRates = {"1.875", "3.75", "7.5", "15", "30", "60"};
    const Lines allColours = {"Y-8", "YUV-411", "YUV-422", "YUV-444", "RGB-8", "Y-16", "RGB-16"};
    struct Case {
        const char* name;
        sim::CameraSpec description;
        std::uint8_t format;  // put into the settings after the inquiry
        CameraPageView expected;
    };
    const Case cases[] = {
        // The inquiry leaves Format 0 and its first mode 5; the stored rate 7.5 stays.
        {"mono",
         sim::MonochromeCamera(),
         0,
         {"Preferences for Oriscope Simulation SIM-M1280 Mono",
          {"0", "1", "2"},
          "0",
          {"5", "6"},
          "5",
          allRates,
          "7.5",
          {"Y-8"},
          "640",
          "480",
          "320",
          {"", "", "", ""},
          false,
          true,
          false}},
        // Format 1's first mode is 2 (800 x 600); 7.5 is offered there too.
        {"mono format 1",
         Named(sim::MonochromeCamera(), "mono1"),
         1,
         {"Preferences for Oriscope Simulation SIM-M1280 Mono",
          {"0", "1", "2"},
          "1",
          {"2", "5", "6", "7"},
          "2",
          {"7.5", "15", "30", "60"},
          "7.5",
          {"Y-8"},
          "800",
          "600",
          "500",
          {"", "", "", ""},
          false,
          true,
          false}},
        // Format 7: the units of mode 0, its seven colour codings, payload 0, the rate list
        // (every rate for Format 7) disabled.
        {"colour format 7",
         sim::ColourCamera(),
         7,
         {"Preferences for Oriscope Simulation SIM-C1024 Colour",
          {"0", "1", "7"},
          "7",
          {"0", "1"},
          "0",
          allRates,
          "7.5",
          allColours,
          "960",
          "1280",
          "0",
          {"4", "2", "8", "2"},
          true,
          false,
          true}},
        {"formats 0 and 7 only",
         ZeroAndSevenCamera(),
         0,
         {"Preferences for Oriscope Simulation SIM-Z07",
          {"0", "7"},
          "0",
          {"0", "5"},
          "0",
          {"1.875", "3.75", "7.5", "15", "30"},
          "7.5",
          {"YUV-444"},
          "160",
          "120",
          "60",
          {"", "", "", ""},
          false,
          true,
          false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        opened = false;
        SetUp();
        Connect(c.description);
        settings.format = c.format;
        // A stored geometry that a fixed format replaces in the edits.
        settings.width = 960;
        settings.height = 1280;
        const VideoSettings before = settings;
        CameraPageView got{};
        std::string trigger, speed;
        Lines triggers, speeds;
        const int result = Run({[&](HWND dialog) {
            got = ViewOf(dialog);
            triggers = ComboLines(dialog, IDC_TRIGGER_MODE);
            trigger = ComboSelection(dialog, IDC_TRIGGER_MODE);
            speeds = ComboLines(dialog, IDC_TX_SPEED);
            speed = ComboSelection(dialog, IDC_TX_SPEED);
            Press(dialog, IDCANCEL);
        }});
        EXPECT_EQ(0, result);
        ExpectView(c.expected, got, c.name);
        EXPECT_EQ((Lines{"int.", "ext."}), triggers);
        EXPECT_EQ("int.", trigger);
        EXPECT_EQ((Lines{"100", "200", "400"}), speeds);
        EXPECT_EQ("400", speed);
        EXPECT_TRUE(before == settings) << "Cancel keeps the caller's settings";
    }
}

TEST_F(PreferencesDialogTest, ListsFollowTheFormatModeAndRateChosen) {
    Connect(sim::ColourCamera());
    struct Change {
        int id;
        const char* line;
        CameraPageView expected;
    };
    const Lines noUnits = {"", "", "", ""};
    const Change changes[] = {
        // Format 0 starts at its first mode, 1 (320 x 240 YUV-422).
        {IDC_VIDEO_FORMAT,
         "0",
         {"",
          {},
          "0",
          {"1", "2", "3", "4", "5"},
          "1",
          {"3.75", "7.5", "15", "30"},
          "7.5",
          {"YUV-422"},
          "320",
          "240",
          "160",
          noUnits,
          false,
          true,
          false}},
        {IDC_VIDEO_MODE,
         "5",
         {"",
          {},
          "0",
          {},
          "5",
          {"3.75", "7.5", "15", "30", "60"},
          "7.5",
          {"Y-8"},
          "640",
          "480",
          "320",
          noUnits,
          false,
          true,
          false}},
        {IDC_FRAME_RATE,
         "30",
         {"",
          {},
          "0",
          {},
          "5",
          {},
          "30",
          {"Y-8"},
          "640",
          "480",
          "1280",
          noUnits,
          false,
          true,
          false}},
        // Format 7 mode 1: 4 x 4 size units, no position register (the size units serve).
        {IDC_VIDEO_FORMAT,
         "7",
         {"",
          {},
          "7",
          {"0", "1"},
          "0",
          {},
          "30",
          {},
          "640",
          "480",
          "0",
          {"4", "2", "8", "2"},
          true,
          false,
          true}},
        {IDC_VIDEO_MODE,
         "1",
         {"",
          {},
          "7",
          {},
          "1",
          {},
          "30",
          {"Y-8", "YUV-422", "RGB-8"},
          "640",
          "480",
          "0",
          {"4", "4", "4", "4"},
          true,
          false,
          true}},
    };
    std::vector<CameraPageView> got;
    std::vector<Step> steps;
    for (const Change& change : changes) {
        steps.push_back([&got, &change](HWND dialog) {
            Choose(dialog, change.id, change.line);
            got.push_back(ViewOf(dialog));
        });
    }
    steps.push_back([](HWND dialog) { Press(dialog, IDCANCEL); });
    EXPECT_EQ(0, Run(steps));
    ASSERT_EQ(std::size(changes), got.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        const CameraPageView& e = changes[i].expected;
        const CameraPageView& g = got[i];
        SCOPED_TRACE("change " + std::to_string(i));
        EXPECT_EQ(e.format, g.format);
        if (!e.modes.empty()) {
            EXPECT_EQ(e.modes, g.modes);
        }
        EXPECT_EQ(e.mode, g.mode);
        if (!e.rates.empty()) {
            EXPECT_EQ(e.rates, g.rates);
        }
        if (e.format != "7") {
            EXPECT_EQ(e.rate, g.rate);
        }
        if (!e.colours.empty()) {
            EXPECT_EQ(e.colours, g.colours);
        }
        EXPECT_EQ(e.xSize, g.xSize);
        EXPECT_EQ(e.ySize, g.ySize);
        EXPECT_EQ(e.payload, g.payload);
        EXPECT_EQ(e.units, g.units);
        EXPECT_EQ(e.geometryEnabled, g.geometryEnabled);
        EXPECT_EQ(e.rateEnabled, g.rateEnabled);
        EXPECT_EQ(e.queryEnabled, g.queryEnabled);
    }
}

TEST_F(PreferencesDialogTest, BusPageFillsFromTheSettings) {
    Connect(sim::MonochromeCamera());
    settings.isoChannel = 3;
    settings.invertY16 = 1;
    settings.rawY16 = 1;
    settings.bayerPattern = 2;
    Lines channels;
    std::string channel;
    std::vector<std::string> edits;
    std::vector<bool> checks;
    const int result =
        Run({[](HWND dialog) { ClickTab(dialog, 1); },
             [&](HWND dialog) {
                 channels = ComboLines(dialog, IDC_ISO_CHANNEL);
                 channel = ComboSelection(dialog, IDC_ISO_CHANNEL);
                 for (int id : {IDC_FRAME_BUFFERS, IDC_DMA_CHANNEL_ENABLE, IDC_DMA_CHANNEL_VALUE,
                                IDC_FIRST_PACKET_ENABLE, IDC_FIRST_PACKET_VALUE}) {
                     edits.push_back(ItemText(dialog, id));
                 }
                 for (int id : {IDC_INVERT_Y16, IDC_RAW_Y16, IDC_BAYER_RG_GB, IDC_BAYER_BG_GR,
                                IDC_BAYER_GR_BG, IDC_BAYER_GB_RG}) {
                     checks.push_back(Checked(dialog, id));
                 }
                 Press(dialog, IDCANCEL);
             }});
    EXPECT_EQ(0, result);
    Lines sixteen;
    for (int c = 0; c < 16; ++c) {
        sixteen.push_back(std::to_string(c));
    }
    EXPECT_EQ(sixteen, channels) << "the default channel mask offers 0 to 15";
    EXPECT_EQ("3", channel);
    EXPECT_EQ((std::vector<std::string>{"10", "63", "0", "15", "1"}), edits);
    EXPECT_EQ((std::vector<bool>{true, true, false, false, true, false}), checks);
}

// ---- OK: check and store ---------------------------------------------------------------

TEST_F(PreferencesDialogTest, OkStoresBothPagesIntoTheSettings) {
    Connect(sim::MonochromeCamera());
    settings.bayerPattern = 3;
    VideoSettings expected = settings;
    const int result =
        Run({[](HWND dialog) {
                 Choose(dialog, IDC_VIDEO_MODE, "5");
                 Choose(dialog, IDC_FRAME_RATE, "30");
                 Choose(dialog, IDC_TRIGGER_MODE, "ext.");
                 Choose(dialog, IDC_TX_SPEED, "200");
                 ClickTab(dialog, 1);
             },
             [](HWND dialog) {
                 Choose(dialog, IDC_ISO_CHANNEL, "9");
                 SetItemText(dialog, IDC_FRAME_BUFFERS, "25");
                 SetItemText(dialog, IDC_DMA_CHANNEL_ENABLE, "7");
                 SetItemText(dialog, IDC_DMA_CHANNEL_VALUE, "9");
                 SetItemText(dialog, IDC_FIRST_PACKET_ENABLE, "65535");
                 SetItemText(dialog, IDC_FIRST_PACKET_VALUE, "4660");
                 SendMessageA(Item(dialog, IDC_INVERT_Y16), BM_SETCHECK, BST_CHECKED, 0);
                 Press(dialog, IDOK);
             }});
    EXPECT_EQ(1, result);
    // Format 0 mode 5 at 30: 640 x 480 Y-8 in packets of 1280 bytes.
    expected.format = 0;
    expected.mode = 5;
    expected.frameRate = 4;
    expected.colourCode = 0;
    expected.width = 640;
    expected.height = 480;
    expected.bytesPerPacket = 1280;
    expected.packetsPerFrame = 240;
    expected.triggerMode = 1;
    expected.speed = 1;
    expected.isoChannel = 9;
    expected.frameBuffers = 25;
    expected.dmaChannelEnable = 7;
    expected.dmaChannelValue = 9;
    expected.firstPacketEnable = 65535;
    expected.firstPacketValue = 4660;
    expected.invertY16 = 1;
    EXPECT_EQ(expected.frameRate, settings.frameRate);
    EXPECT_EQ(expected.packetsPerFrame, settings.packetsPerFrame);
    EXPECT_EQ(expected.isoChannel, settings.isoChannel);
    EXPECT_EQ(expected.bayerPattern, settings.bayerPattern) << "the disabled pattern comes back";
    EXPECT_TRUE(expected == settings) << "every other field as copied";
}

TEST_F(PreferencesDialogTest, OkWithTheBusPageNeverShownKeepsItsFields) {
    Connect(sim::ColourCamera());
    settings.format = 7;
    settings.frameBuffers = 4097;  // out of its edit's range: the page would refuse it
    settings.firstPacketEnable = 0xABCD;
    settings.isoChannel = 30;  // not offered by the channel mask
    VideoSettings expected = settings;
    const int result = Run({[](HWND dialog) { Press(dialog, IDOK); }});
    EXPECT_EQ(1, result);
    // Opening Format 7 makes its first mode current; its payload shows 0, and the
    // geometry and first colour coding come back from the page.
    expected.mode = 0;
    expected.bytesPerPacket = 0;
    expected.colourCode = 0;
    EXPECT_EQ(4097u, settings.frameBuffers);
    EXPECT_EQ(30u, settings.isoChannel);
    EXPECT_TRUE(expected == settings) << "Format 7 accepted without payload checks";
}

// Values no list offers (a failed inquiry, codes beyond the names) select nothing and
// come back as they were, instead of whatever an empty selection would read.
TEST_F(PreferencesDialogTest, ValuesNoListOffersComeBackUnchanged) {
    Connect(sim::MonochromeCamera());
    settings.formatInquiry = 0;
    settings.triggerMode = 2;
    settings.speed = 3;
    settings.isoChannel = 20;
    settings.bayerPattern = 4;
    const VideoSettings before = settings;
    Lines formats;
    Lines modes;
    std::string trigger;
    std::string channel;
    const int result = Run({[&](HWND dialog) {
                                formats = ComboLines(dialog, IDC_VIDEO_FORMAT);
                                modes = ComboLines(dialog, IDC_VIDEO_MODE);
                                trigger = ComboSelection(dialog, IDC_TRIGGER_MODE);
                                ClickTab(dialog, 1);
                            },
                            [&](HWND dialog) {
                                channel = ComboSelection(dialog, IDC_ISO_CHANNEL);
                                Press(dialog, IDOK);
                            }});
    EXPECT_EQ(1, result);
    EXPECT_EQ(Lines{}, formats);
    EXPECT_EQ(Lines{}, modes);
    EXPECT_EQ("", trigger);
    EXPECT_EQ("", channel);
    EXPECT_EQ(0, settings.format);
    EXPECT_EQ(5, settings.mode);
    EXPECT_EQ(2, settings.triggerMode);
    EXPECT_EQ(3, settings.speed);
    EXPECT_EQ(20, settings.isoChannel);
    EXPECT_EQ(4, settings.bayerPattern);
    EXPECT_TRUE(before == settings);
}

TEST_F(PreferencesDialogTest, PayloadChecksRefuseOkWithTheirMessages) {
    const char* const kMultiple = "'Packetpayload' must be a multiple of 4.";
    const char* const kFraction =
        "(XSize*YSize*BytesPerPixel)/Packetpayload must be a whole fraction.";
    struct Case {
        const char* name;
        const char* mode;
        const char* rate;
        const char* payload;  // typed over the table's payload, or null
        const char* message;
    };
    const Case cases[] = {
        {"table payload 30", "0", "3.75", nullptr, kMultiple},
        // The mode table has no payload for 160 x 120 at 1.875: 0 must not be divided by.
        {"table payload 0", "0", "1.875", nullptr, kFraction},
        {"payload 1000 for 640 x 480 Y-8", "5", "7.5", "1000", kFraction},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        opened = false;
        SetUp();
        Connect(ZeroAndSevenCamera());
        const VideoSettings before = settings;
        Message message;
        bool stayedOpen = false;
        const int result = Run({[&](HWND dialog) {
                                    Choose(dialog, IDC_VIDEO_MODE, c.mode);
                                    Choose(dialog, IDC_FRAME_RATE, c.rate);
                                    if (c.payload != nullptr) {
                                        SetItemText(dialog, IDC_PACKET_PAYLOAD, c.payload);
                                    }
                                    Press(dialog, IDOK);
                                },
                                CloseMessage(&message),
                                [&](HWND dialog) {
                                    stayedOpen = Text(dialog).rfind("Preferences for ", 0) == 0;
                                    Press(dialog, IDCANCEL);
                                }});
        EXPECT_EQ(0, result);
        EXPECT_EQ("Inputerror", message.title);
        EXPECT_EQ(c.message, message.text);
        EXPECT_TRUE(stayedOpen);
        EXPECT_TRUE(before == settings) << "Cancel after a refused OK keeps the settings";
    }
}

TEST_F(PreferencesDialogTest, OutOfRangeEditsAreCorrectedAndRefused) {
    struct Case {
        const char* name;
        int tab;
        int id;
        const char* typed;
        const char* corrected;
    };
    const Case cases[] = {
        {"first packet enable 65536", 1, IDC_FIRST_PACKET_ENABLE, "65536", "65535"},
        {"frame buffers 0", 1, IDC_FRAME_BUFFERS, "0", "1"},
        {"dma channel value not a number", 1, IDC_DMA_CHANNEL_VALUE, "12a", "12a"},
        {"format 7 x-size 5000", 0, IDC_X_SIZE, "5000", "4096"},
        {"format 7 payload -4", 0, IDC_PACKET_PAYLOAD, "-4", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        opened = false;
        SetUp();
        Connect(sim::ColourCamera());
        settings.format = 7;
        const VideoSettings before = settings;
        std::string corrected;
        std::pair<DWORD, DWORD> selection{99, 99};
        FocusWatch focus;
        bool focused = false;
        int tabAfterLeaving = -1;
        const int result = Run({[&](HWND dialog) {
                                    if (c.tab == 1) {
                                        ClickTab(dialog, 1);
                                    }
                                },
                                [&](HWND dialog) {
                                    SetItemText(dialog, c.id, c.typed);
                                    focus.Watch(Item(dialog, c.id));
                                    Press(dialog, IDOK);
                                },
                                [&](HWND dialog) {
                                    corrected = ItemText(dialog, c.id);
                                    focused = focus.Got();
                                    SendMessageA(Item(dialog, c.id), EM_GETSEL,
                                                 reinterpret_cast<WPARAM>(&selection.first),
                                                 reinterpret_cast<LPARAM>(&selection.second));
                                    // The corrected text would pass; typed again, it keeps
                                    // the user on the page.
                                    SetItemText(dialog, c.id, c.typed);
                                    ClickTab(dialog, 1 - c.tab);
                                    tabAfterLeaving = CurrentTab(dialog);
                                    Press(dialog, IDCANCEL);
                                }});
        EXPECT_EQ(0, result);
        EXPECT_EQ(c.corrected, corrected);
        EXPECT_TRUE(focused) << "the offending edit is given the focus";
        EXPECT_EQ(std::make_pair(DWORD{0}, static_cast<DWORD>(corrected.size())), selection)
            << "its whole text is selected";
        EXPECT_EQ(c.tab, tabAfterLeaving);
        EXPECT_TRUE(before == settings);
    }
}

// ---- The Format 7 query ----------------------------------------------------------------

TEST_F(PreferencesDialogTest, QueryShowsTheRegionAndPacketFiguresTheCameraSettled) {
    Connect(sim::ColourCamera());
    settings.format = 7;
    const VideoSettings before = settings;
    std::vector<std::string> shown;
    std::string info;
    const int result = Run({[](HWND dialog) {
                                SetItemText(dialog, IDC_X_OFFSET, "13");
                                SetItemText(dialog, IDC_Y_OFFSET, "7");
                                SetItemText(dialog, IDC_X_SIZE, "641");
                                SetItemText(dialog, IDC_Y_SIZE, "481");
                                Press(dialog, IDC_FORMAT7_QUERY);
                            },
                            [&](HWND dialog) {
                                for (int id : {IDC_X_OFFSET, IDC_Y_OFFSET, IDC_X_SIZE, IDC_Y_SIZE,
                                               IDC_PACKET_PAYLOAD}) {
                                    shown.push_back(ItemText(dialog, id));
                                }
                                info = ItemText(dialog, IDC_PAYLOAD_INFO);
                                Press(dialog, IDCANCEL);
                            }});
    EXPECT_EQ(0, result);
    const std::uint32_t payload = Format7Register(0, sim::reg::kF7BytePerPacket) >> 16;
    EXPECT_NE(0u, payload);
    // Position unit 4 x 2, size unit 8 x 2; packets of 8 bytes' steps up to 4096.
    EXPECT_EQ((std::vector<std::string>{"12", "6", "648", "482", std::to_string(payload)}), shown);
    EXPECT_EQ("8:4096", info);
    EXPECT_EQ((648u << 16) | 482u, Format7Register(0, sim::reg::kF7ImageSize));
    EXPECT_TRUE(before == settings) << "the query only shows";
}

TEST_F(PreferencesDialogTest, QueryShowsErrorWhenTheCameraRefusesAndStopsAtABadEdit) {
    Connect(sim::ColourCamera());
    settings.format = 7;
    std::string afterRefusal;
    std::vector<std::string> geometry;
    std::string afterBadEdit;
    std::string correctedTop;
    const int result = Run({[](HWND dialog) {
                                // Mode 1 is 512 pixels wide: 400 + 648 does not fit.
                                Choose(dialog, IDC_VIDEO_MODE, "1");
                                SetItemText(dialog, IDC_X_OFFSET, "400");
                                SetItemText(dialog, IDC_X_SIZE, "641");
                                Press(dialog, IDC_FORMAT7_QUERY);
                            },
                            [&](HWND dialog) {
                                afterRefusal = ItemText(dialog, IDC_PAYLOAD_INFO);
                                for (int id : {IDC_X_OFFSET, IDC_X_SIZE, IDC_PACKET_PAYLOAD}) {
                                    geometry.push_back(ItemText(dialog, id));
                                }
                                SetItemText(dialog, IDC_PAYLOAD_INFO, "");
                                SetItemText(dialog, IDC_Y_OFFSET, "5000");
                                Press(dialog, IDC_FORMAT7_QUERY);
                            },
                            [&](HWND dialog) {
                                afterBadEdit = ItemText(dialog, IDC_PAYLOAD_INFO);
                                correctedTop = ItemText(dialog, IDC_Y_OFFSET);
                                Press(dialog, IDCANCEL);
                            }});
    EXPECT_EQ(0, result);
    EXPECT_EQ("Error", afterRefusal);
    EXPECT_EQ((std::vector<std::string>{"400", "641", "0"}), geometry) << "nothing else changes";
    EXPECT_EQ("", afterBadEdit) << "a bad edit stops the query before the camera is asked";
    EXPECT_EQ("4092", correctedTop);
}

// ---- Payload arithmetic ------------------------------------------------------------------

TEST(PacketPayloadCheck, SplitsTheImageIntoWholePacketsOrRefuses) {
    struct Case {
        std::uint8_t format;
        std::uint32_t width, height;
        std::uint8_t colour;
        std::uint32_t payload;
        PayloadCheck expected;
        std::uint32_t packets;  // stored on acceptance of a fixed format
    };
    const Case cases[] = {
        {0, 640, 480, 0, 1280, PayloadCheck::Accepted, 240},
        {0, 640, 480, 1, 960, PayloadCheck::Accepted, 480},      // YUV-411: 460800 bytes
        {2, 1600, 1200, 6, 4000, PayloadCheck::Accepted, 2880},  // RGB-16
        {0, 160, 120, 3, 30, PayloadCheck::NotMultipleOfFour, 7},
        {0, 160, 120, 3, 0, PayloadCheck::NotWholeFraction, 7},
        {1, 800, 600, 0, 1024, PayloadCheck::NotWholeFraction, 7},
        {7, 641, 481, 0, 0, PayloadCheck::Accepted, 7},  // the camera checks Format 7
    };
    for (const Case& c : cases) {
        VideoSettings s{};
        s.format = c.format;
        s.width = c.width;
        s.height = c.height;
        s.colourCode = c.colour;
        s.bytesPerPacket = c.payload;
        s.packetsPerFrame = 7;
        EXPECT_EQ(c.expected, CheckPacketPayload(s))
            << c.width << "x" << c.height << " / " << c.payload;
        EXPECT_EQ(c.packets, s.packetsPerFrame) << c.width << "x" << c.height;
    }
}

}  // namespace
