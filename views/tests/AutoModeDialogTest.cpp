// The automatic mode's dialog against a recording camera target, run modeless
// on the test thread and driven with real messages. The test gives the
// dialog its seconds itself (WM_TIMER with the dialog's timer id) after
// taking away the real one-second timer, so nothing depends on how long a
// step takes. The telnet mode listens on 127.0.0.1 only.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include <shlobj.h>

#include "capture/AutoModeSettings.h"
#include "resources/resource.h"
#include "views/AutoModeDialog.h"
#include "winlib/CBasicWindow.h"

namespace {

using namespace std::string_literals;

constexpr DWORD kPatienceMs = 10000;  // only guards against a hang
constexpr LPARAM kImageView = 0x5A5A0;

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Owner of the dialogs: a window without a parent would post WM_QUIT when it goes away.
CBasicWindow& Owner() {
    static CBasicWindow owner;
    if (owner.Handle() == nullptr) {
        owner.SetAutoDelete(false);
        owner.WrapHandle(CreateWindowA("STATIC", "owner", WS_OVERLAPPED, 0, 0, 200, 100, nullptr,
                                       nullptr, GetModuleHandleA(nullptr), nullptr));
    }
    return owner;
}

// A camera view as the dialog sees it: records every call; shows the next frame at once
// after a request when told to.
class RecordingTarget : public AutoCaptureTarget {
public:
    int StartRequestedFrames() override {
        ++starts;
        if (startResult) {
            acquiring = true;
        }
        return startResult;
    }
    void StopAcquisition() override {
        ++stops;
        acquiring = false;
    }
    void ArmStore(HWND window) override {
        armedFor.push_back(window);
        if (showAtOnce) {
            PostMessageA(window, AutoModeDialog::kFrameShownMessage, 0, kImageView);
        }
    }
    int SaveShownFrame(LPARAM imageView, const char* path) override {
        savedViews.push_back(imageView);
        savedPaths.push_back(path);
        return saveResults.empty() ? 1 : [this] {
            const int result = saveResults.front();
            saveResults.erase(saveResults.begin());
            return result;
        }();
    }

    int startResult = 1;
    bool showAtOnce = true;
    std::vector<int> saveResults;  // results of the next saves; then 1
    int starts = 0;
    int stops = 0;
    bool acquiring = false;
    std::vector<HWND> armedFor;
    std::vector<LPARAM> savedViews;
    std::vector<std::string> savedPaths;
};

std::string FileNameOf(const std::string& path) {
    return path.substr(path.find_last_of('\\') + 1);
}

// "dd-hh-mm-ss-N.bmp" with the given number.
bool IsFileName(const std::string& name, int number) {
    const std::string tail = "-" + std::to_string(number) + ".bmp";
    if (name.size() != 11 + tail.size() || name.compare(11, std::string::npos, tail) != 0) {
        return false;
    }
    for (int i = 0; i < 11; ++i) {
        const bool separator = i % 3 == 2;
        if (separator ? name[i] != '-' : (name[i] < '0' || name[i] > '9')) {
            return false;
        }
    }
    return true;
}

class AutoModeDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        capture::StoreAutoModeSettings(capture::AutoModeSettings());
        capture::SetTriggerEndpoint(capture::TelnetEndpoint());
        Open();
    }
    void TearDown() override {
        if (IsWindow(dialog)) {
            DestroyWindow(dialog);
        }
        PumpMessages();
        capture::StoreAutoModeSettings(capture::AutoModeSettings());
        capture::SetTriggerEndpoint(capture::TelnetEndpoint());
    }

    void Open() {
        auto* object = new AutoModeDialog(target, &Owner());
        ASSERT_EQ(1, object->DoModeless());
        dialog = object->Handle();  // other test programs may show the same dialog
        ASSERT_NE(nullptr, dialog);
        running = [object] { return object->Running(); };
    }

    std::string Text(int id) const {
        char text[512] = {};
        GetDlgItemTextA(dialog, id, text, sizeof(text));
        return text;
    }
    void SetText(int id, const char* text) { SetDlgItemTextA(dialog, id, text); }
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
    bool Checked(int id) const { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
    // A button click as the button reports it to the dialog.
    void Click(int id) {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
        PumpMessages();
    }
    void ChooseMode(int id) { CheckRadioButton(dialog, IDC_AUTO_TIMED, IDC_AUTO_TELNET, id); }
    // Starts an automatic run; the test then gives the seconds itself.
    void StartAutomatic(const char* interval, const char* count) {
        SetText(IDC_AUTO_INTERVAL, interval);
        SetText(IDC_AUTO_FRAME_COUNT, count);
        Click(IDC_AUTO_START);
        ASSERT_TRUE(running());
        ASSERT_TRUE(KillTimer(dialog, AutoModeDialog::kTimerId)) << "no one-second timer";
    }
    void Second() {
        SendMessageA(dialog, WM_TIMER, AutoModeDialog::kTimerId, 0);
        PumpMessages();
    }
    // The seconds (1-based) after which a frame was requested.
    std::vector<int> RequestSeconds(int seconds) {
        std::vector<int> requested;
        for (int second = 1; second <= seconds; ++second) {
            const std::size_t before = target.armedFor.size();
            Second();
            if (target.armedFor.size() != before) {
                requested.push_back(second);
            }
        }
        return requested;
    }
    void ExpectIdleControls() {
        EXPECT_TRUE(Enabled(IDC_AUTO_START));
        EXPECT_FALSE(Enabled(IDC_AUTO_STOP));
        for (int id : {IDC_AUTO_FRAME_COUNT, IDC_AUTO_INTERVAL, IDC_AUTO_TIMED, IDC_AUTO_TELNET,
                       IDC_AUTO_CHOOSE_DIRECTORY}) {
            EXPECT_TRUE(Enabled(id)) << "control " << id;
        }
    }
    void ExpectRunningControls() {
        EXPECT_FALSE(Enabled(IDC_AUTO_START));
        EXPECT_TRUE(Enabled(IDC_AUTO_STOP));
        for (int id : {IDC_AUTO_FRAME_COUNT, IDC_AUTO_INTERVAL, IDC_AUTO_TIMED, IDC_AUTO_TELNET,
                       IDC_AUTO_CHOOSE_DIRECTORY}) {
            EXPECT_FALSE(Enabled(id)) << "control " << id;
        }
    }

    RecordingTarget target;
    HWND dialog = nullptr;
    std::function<bool()> running;
};

TEST_F(AutoModeDialogTest, OpensWithTheProcessSettings) {
    EXPECT_EQ("1", Text(IDC_AUTO_INTERVAL));
    EXPECT_EQ("1", Text(IDC_AUTO_FRAME_COUNT));
    EXPECT_EQ("", Text(IDC_AUTO_LAST_FILE));
    EXPECT_EQ("c:\\tmp", Text(IDC_AUTO_DIRECTORY));
    EXPECT_TRUE(Checked(IDC_AUTO_TIMED));
    EXPECT_FALSE(Checked(IDC_AUTO_TELNET));
    ExpectIdleControls();
    EXPECT_FALSE(running());

    struct Spin {
        int id;
        int low;
        int high;
    };
    for (const Spin& spin :
         {Spin{IDC_AUTO_INTERVAL_SPIN, 1, 28800}, Spin{IDC_AUTO_FRAME_COUNT_SPIN, 0, 28800}}) {
        int low = -1;
        int high = -1;
        SendDlgItemMessageA(dialog, spin.id, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                            reinterpret_cast<LPARAM>(&high));
        EXPECT_EQ(spin.low, low) << "spin " << spin.id;
        EXPECT_EQ(spin.high, high) << "spin " << spin.id;
        UDACCEL steps[4] = {};
        const LRESULT count =
            SendDlgItemMessageA(dialog, spin.id, UDM_GETACCEL, 4, reinterpret_cast<LPARAM>(steps));
        ASSERT_EQ(3, count) << "spin " << spin.id;
        const UINT expected[3][2] = {{1, 1}, {2, 10}, {3, 100}};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(expected[i][0], steps[i].nSec) << "spin " << spin.id << " step " << i;
            EXPECT_EQ(expected[i][1], steps[i].nInc) << "spin " << spin.id << " step " << i;
        }
    }
}

TEST_F(AutoModeDialogTest, TimedRunStoresAtOneSixAndElevenSecondsThenStopsByItself) {
    StartAutomatic("5", "3");
    EXPECT_EQ(1, target.starts);
    ExpectRunningControls();
    EXPECT_EQ((std::vector<int>{1, 6, 11}), RequestSeconds(11));
    EXPECT_EQ(std::vector<HWND>(3, dialog), target.armedFor);
    ASSERT_EQ(3u, target.savedPaths.size());
    for (int i = 0; i < 3; ++i) {
        const std::string& path = target.savedPaths[i];
        EXPECT_EQ("c:\\tmp\\", path.substr(0, 7)) << path;
        EXPECT_TRUE(IsFileName(FileNameOf(path), i + 1)) << path;
        EXPECT_EQ(kImageView, target.savedViews[i]);
    }
    EXPECT_EQ(FileNameOf(target.savedPaths[2]), Text(IDC_AUTO_LAST_FILE));
    // The last frame ended the run.
    EXPECT_FALSE(running());
    EXPECT_EQ(1, target.stops);
    ExpectIdleControls();
    EXPECT_FALSE(KillTimer(dialog, AutoModeDialog::kTimerId));
    EXPECT_EQ(std::vector<int>{}, RequestSeconds(3));
}

TEST_F(AutoModeDialogTest, FrameCountZeroStoresUntilStop) {
    StartAutomatic("1", "0");
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), RequestSeconds(10));
    EXPECT_EQ(10u, target.savedPaths.size());
    EXPECT_TRUE(IsFileName(FileNameOf(target.savedPaths.back()), 10));
    EXPECT_TRUE(running());
    Click(IDC_AUTO_STOP);
    EXPECT_FALSE(running());
    EXPECT_EQ(1, target.stops);
    ExpectIdleControls();
}

TEST_F(AutoModeDialogTest, StartTakesTheSettingsAndANewRunCountsFromOne) {
    StartAutomatic("2", "2");
    RequestSeconds(3);
    EXPECT_FALSE(running());
    const capture::AutoModeSettings stored = capture::LoadAutoModeSettings();
    EXPECT_EQ(2, stored.intervalSeconds);
    EXPECT_EQ(2, stored.frameCount);
    EXPECT_TRUE(stored.automatic);

    const std::string lastOfFirstRun = Text(IDC_AUTO_LAST_FILE);
    EXPECT_TRUE(IsFileName(lastOfFirstRun, 2)) << lastOfFirstRun;
    StartAutomatic("2", "2");
    EXPECT_EQ("", Text(IDC_AUTO_LAST_FILE));  // cleared by the start
    RequestSeconds(1);
    EXPECT_TRUE(IsFileName(Text(IDC_AUTO_LAST_FILE), 1)) << Text(IDC_AUTO_LAST_FILE);
}

TEST_F(AutoModeDialogTest, RequestsBeforeTheFrameIsShownGiveOneFile) {
    target.showAtOnce = false;
    StartAutomatic("1", "0");
    PostMessageA(dialog, AutoModeDialog::kTriggerMessage, 0, 0);
    PostMessageA(dialog, AutoModeDialog::kTriggerMessage, 0, 0);
    PumpMessages();
    EXPECT_EQ(2u, target.armedFor.size());
    SendMessageA(dialog, AutoModeDialog::kFrameShownMessage, 0, kImageView);
    EXPECT_EQ(1u, target.savedPaths.size());
}

TEST_F(AutoModeDialogTest, FileThatCannotBeWrittenStillCountsButIsNotShown) {
    target.saveResults = {0, 1, 0};
    StartAutomatic("1", "0");
    RequestSeconds(1);
    EXPECT_EQ("", Text(IDC_AUTO_LAST_FILE));
    RequestSeconds(1);
    const std::string second = Text(IDC_AUTO_LAST_FILE);
    EXPECT_TRUE(IsFileName(second, 2)) << second;
    RequestSeconds(1);
    EXPECT_EQ(second, Text(IDC_AUTO_LAST_FILE));
    EXPECT_TRUE(IsFileName(FileNameOf(target.savedPaths[2]), 3)) << target.savedPaths[2];
}

TEST_F(AutoModeDialogTest, DirectoryTooLongForAPathWritesNothing) {
    capture::AutoModeSettings settings = capture::LoadAutoModeSettings();
    settings.directory = "c:\\" + std::string(240, 'd');
    capture::StoreAutoModeSettings(settings);
    StartAutomatic("1", "2");
    RequestSeconds(2);
    EXPECT_EQ(0u, target.savedPaths.size());
    EXPECT_EQ("", Text(IDC_AUTO_LAST_FILE));
    EXPECT_FALSE(running());  // both frames counted
}

TEST_F(AutoModeDialogTest, OutOfRangeOrNonNumericValuesBeepAndStartNothing) {
    struct Case {
        const char* interval;
        const char* count;
        const char* intervalAfter;
        const char* countAfter;
        int storedInterval;  // the interval is stored as soon as it passes
    };
    const Case cases[] = {
        {"0", "1", "1", "1", 1},  {"28801", "1", "28800", "1", 1}, {"abc", "1", "abc", "1", 1},
        {"3", "-1", "3", "0", 3}, {"4", "28801", "4", "28800", 4}, {"5", "x", "5", "x", 5},
    };
    for (const Case& c : cases) {
        SetText(IDC_AUTO_INTERVAL, c.interval);
        SetText(IDC_AUTO_FRAME_COUNT, c.count);
        Click(IDC_AUTO_START);
        EXPECT_FALSE(running()) << c.interval << " / " << c.count;
        EXPECT_EQ(c.intervalAfter, Text(IDC_AUTO_INTERVAL));
        EXPECT_EQ(c.countAfter, Text(IDC_AUTO_FRAME_COUNT));
        EXPECT_EQ(c.storedInterval, capture::LoadAutoModeSettings().intervalSeconds);
        EXPECT_EQ(1, capture::LoadAutoModeSettings().frameCount);
    }
    EXPECT_EQ(0, target.starts);
    ExpectIdleControls();
}

TEST_F(AutoModeDialogTest, FailedAcquisitionStartLeavesTheDialogIdle) {
    target.startResult = 0;
    SetText(IDC_AUTO_FRAME_COUNT, "3");
    Click(IDC_AUTO_START);
    EXPECT_EQ(1, target.starts);
    EXPECT_FALSE(running());
    ExpectIdleControls();
    EXPECT_FALSE(KillTimer(dialog, AutoModeDialog::kTimerId));
}

TEST_F(AutoModeDialogTest, CloseBoxAndEscapeAreIgnoredWhileRunning) {
    StartAutomatic("1", "0");
    SendMessageA(dialog, WM_CLOSE, 0, 0);
    SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    PumpMessages();
    ASSERT_TRUE(IsWindow(dialog));
    EXPECT_TRUE(running());
    Click(IDC_AUTO_STOP);
    SendMessageA(dialog, WM_CLOSE, 0, 0);
    PumpMessages();
    EXPECT_FALSE(IsWindow(dialog));
}

TEST_F(AutoModeDialogTest, EscapeEndsAnIdleDialog) {
    SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    PumpMessages();
    EXPECT_FALSE(IsWindow(dialog));
}

TEST_F(AutoModeDialogTest, DialogDestroyedWhileRunningStopsTheAcquisition) {
    StartAutomatic("1", "0");
    DestroyWindow(dialog);
    PumpMessages();
    EXPECT_EQ(1, target.stops);
    EXPECT_FALSE(target.acquiring);
}

TEST_F(AutoModeDialogTest, RequestsAndFramesAfterAStopAreIgnored) {
    target.showAtOnce = false;
    StartAutomatic("1", "0");
    Click(IDC_AUTO_STOP);
    SendMessageA(dialog, AutoModeDialog::kTriggerMessage, 0, 0);
    SendMessageA(dialog, AutoModeDialog::kFrameShownMessage, 0, kImageView);
    EXPECT_EQ(0u, target.armedFor.size());
    EXPECT_EQ(0u, target.savedPaths.size());
}

TEST_F(AutoModeDialogTest, SettingsOutliveTheDialog) {
    SetText(IDC_AUTO_INTERVAL, "7");
    SetText(IDC_AUTO_FRAME_COUNT, "9");
    ChooseMode(IDC_AUTO_TELNET);
    capture::TelnetEndpoint endpoint;
    endpoint.primaryAddress = false;
    endpoint.address = {127, 0, 0, 1};
    endpoint.port = 0;  // any free port
    capture::SetTriggerEndpoint(endpoint);
    Click(IDC_AUTO_START);
    ASSERT_TRUE(running());
    Click(IDC_AUTO_STOP);
    SendMessageA(dialog, WM_CLOSE, 0, 0);
    PumpMessages();
    ASSERT_FALSE(IsWindow(dialog));

    Open();
    EXPECT_EQ("7", Text(IDC_AUTO_INTERVAL));
    EXPECT_EQ("9", Text(IDC_AUTO_FRAME_COUNT));
    EXPECT_FALSE(Checked(IDC_AUTO_TIMED));
    EXPECT_TRUE(Checked(IDC_AUTO_TELNET));
}

// --- The folder chooser ------------------------------------------------------------------

HWND g_ourDialog = nullptr;
std::string g_chooserTitle;
bool g_takeFolder = false;

BOOL CALLBACK TakeChooser(HWND window, LPARAM parameter) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof(name));
    if (window != g_ourDialog && std::string(name) == "#32770" && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(parameter) = window;
        return FALSE;
    }
    return TRUE;
}

// Runs inside the chooser's modal loop: takes the folder it offers first (the desktop) or
// cancels, once it shows.
void CALLBACK AnswerChooser(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND chooser = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &TakeChooser, reinterpret_cast<LPARAM>(&chooser));
    if (chooser == nullptr) {
        return;
    }
    KillTimer(nullptr, timer);
    char title[256] = {};
    GetDlgItemTextA(chooser, 0x3742, title, sizeof(title));  // the chooser's title line
    g_chooserTitle = title;
    PostMessageA(chooser, WM_COMMAND, g_takeFolder ? IDOK : IDCANCEL, 0);
}

TEST_F(AutoModeDialogTest, ChosenFolderBecomesTheDirectoryOfEveryDialog) {
    g_ourDialog = dialog;
    char desktop[MAX_PATH] = {};
    ASSERT_EQ(S_OK, SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, desktop));
    const std::string chosen = desktop;
    g_takeFolder = true;
    g_chooserTitle.clear();
    SetTimer(nullptr, 0, 50, &AnswerChooser);
    Click(IDC_AUTO_CHOOSE_DIRECTORY);
    EXPECT_EQ("Select directory for bitmaps", g_chooserTitle);
    EXPECT_EQ(chosen, Text(IDC_AUTO_DIRECTORY));
    EXPECT_EQ(chosen, capture::LoadAutoModeSettings().directory);

    StartAutomatic("1", "1");
    RequestSeconds(1);
    ASSERT_EQ(1u, target.savedPaths.size());
    EXPECT_EQ(chosen + "\\", target.savedPaths[0].substr(0, chosen.size() + 1));
}

TEST_F(AutoModeDialogTest, CancelledChooserChangesNothing) {
    g_ourDialog = dialog;
    g_takeFolder = false;
    g_chooserTitle.clear();
    SetTimer(nullptr, 0, 50, &AnswerChooser);
    Click(IDC_AUTO_CHOOSE_DIRECTORY);
    EXPECT_EQ("Select directory for bitmaps", g_chooserTitle);
    EXPECT_EQ("c:\\tmp", Text(IDC_AUTO_DIRECTORY));
    EXPECT_EQ("c:\\tmp", capture::LoadAutoModeSettings().directory);
}

// --- Telnet mode ------------------------------------------------------------------------

// A free port on 127.0.0.1 at the moment of asking.
std::uint16_t FreeLoopbackPort() {
    const SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(probe, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    int length = sizeof(address);
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    closesocket(probe);
    return ntohs(address.sin_port);
}

class AutoModeTelnetTest : public AutoModeDialogTest {
protected:
    void SetUp() override {
        WSADATA data{};
        ASSERT_EQ(0, WSAStartup(MAKEWORD(1, 1), &data));
        AutoModeDialogTest::SetUp();
        port = FreeLoopbackPort();
        ASSERT_NE(0, port);
        capture::TelnetEndpoint endpoint;
        endpoint.primaryAddress = false;
        endpoint.address = {127, 0, 0, 1};
        endpoint.port = port;
        capture::SetTriggerEndpoint(endpoint);
        ChooseMode(IDC_AUTO_TELNET);
    }
    void TearDown() override {
        if (client != INVALID_SOCKET) {
            closesocket(client);
        }
        AutoModeDialogTest::TearDown();
        WSACleanup();
    }

    bool Connect() {
        client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(client, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
            return false;
        }
        u_long nonBlocking = 1;
        ioctlsocket(client, FIONBIO, &nonBlocking);
        return true;
    }
    // The next `count` bytes, or fewer when the server closed the connection.
    std::string Read(std::size_t count) {
        std::string received;
        const DWORD start = GetTickCount();
        while (received.size() < count && GetTickCount() - start < kPatienceMs) {
            PumpMessages();
            char buffer[512];
            const int want = static_cast<int>(std::min(count - received.size(), sizeof(buffer)));
            const int result = recv(client, buffer, want, 0);
            if (result > 0) {
                received.append(buffer, static_cast<std::size_t>(result));
            } else if (result == 0 || WSAGetLastError() != WSAEWOULDBLOCK) {
                break;
            } else {
                Sleep(1);
            }
        }
        return received;
    }
    void Send(const std::string& bytes) {
        send(client, bytes.data(), static_cast<int>(bytes.size()), 0);
    }

    std::uint16_t port = 0;
    SOCKET client = INVALID_SOCKET;
};

const std::string kGreeting = "Oriscope Telnet Interface\n\r\0>\0"s;
const std::string kAnswer = "\n\r\0>\0"s;

TEST_F(AutoModeTelnetTest, EachTriggerStoresOneFrameAndTheClientIsToldItsName) {
    SetText(IDC_AUTO_FRAME_COUNT, "2");
    Click(IDC_AUTO_START);
    ASSERT_TRUE(running());
    EXPECT_FALSE(KillTimer(dialog, AutoModeDialog::kTimerId)) << "no timer in telnet mode";
    ASSERT_TRUE(Connect());
    EXPECT_EQ(kGreeting, Read(kGreeting.size()));

    Send("trigger\r\n");
    EXPECT_EQ("trigger" + kAnswer, Read(7 + kAnswer.size()));
    const std::string first = Text(IDC_AUTO_LAST_FILE);
    EXPECT_TRUE(IsFileName(first, 1)) << first;
    EXPECT_EQ(first + kAnswer, Read(first.size() + kAnswer.size()));
    ASSERT_EQ(1u, target.savedPaths.size());
    EXPECT_EQ("c:\\tmp\\" + first, target.savedPaths[0]);

    Send("trigger\r");
    EXPECT_EQ("trigger" + kAnswer, Read(7 + kAnswer.size()));
    const std::string second = Text(IDC_AUTO_LAST_FILE);
    EXPECT_TRUE(IsFileName(second, 2)) << second;
    EXPECT_EQ(second + kAnswer, Read(second.size() + kAnswer.size()));
    // The second frame completed the run: the server is gone with it.
    EXPECT_FALSE(running());
    EXPECT_EQ(1, target.stops);
    EXPECT_EQ("", Read(1));
}

TEST_F(AutoModeTelnetTest, UnwrittenFileIsNotReported) {
    target.saveResults = {0};
    SetText(IDC_AUTO_FRAME_COUNT, "0");
    Click(IDC_AUTO_START);
    ASSERT_TRUE(Connect());
    EXPECT_EQ(kGreeting, Read(kGreeting.size()));
    Send("trigger\r");
    EXPECT_EQ("trigger" + kAnswer, Read(7 + kAnswer.size()));
    Send("trigger\r");
    EXPECT_EQ("trigger" + kAnswer, Read(7 + kAnswer.size()));
    // Only the second, written file is named; it has number 2.
    const std::string name = Text(IDC_AUTO_LAST_FILE);
    EXPECT_TRUE(IsFileName(name, 2)) << name;
    EXPECT_EQ(name + kAnswer, Read(name.size() + kAnswer.size()));
}

TEST_F(AutoModeTelnetTest, ServerThatCannotListenStartsNothing) {
    // Another program holds the port.
    const SOCKET holder = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(0, bind(holder, reinterpret_cast<const sockaddr*>(&address), sizeof(address)));
    ASSERT_EQ(0, listen(holder, 1));
    Click(IDC_AUTO_START);
    closesocket(holder);
    EXPECT_FALSE(running());
    EXPECT_EQ(0, target.starts);
    ExpectIdleControls();
}

TEST_F(AutoModeTelnetTest, FailedAcquisitionStartClosesTheServer) {
    target.startResult = 0;
    Click(IDC_AUTO_START);
    EXPECT_FALSE(running());
    EXPECT_FALSE(Connect() && Read(1).size() == 1) << "the server still listens";
}

TEST_F(AutoModeTelnetTest, StopClosesTheClient) {
    SetText(IDC_AUTO_FRAME_COUNT, "0");
    Click(IDC_AUTO_START);
    ASSERT_TRUE(Connect());
    EXPECT_EQ(kGreeting, Read(kGreeting.size()));
    Click(IDC_AUTO_STOP);
    EXPECT_EQ("", Read(1));
    EXPECT_EQ(1, target.stops);
}

}  // namespace
