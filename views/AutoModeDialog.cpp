#include "views/AutoModeDialog.h"

#include <objbase.h>
#include <shlobj.h>

#include "resources/resource.h"
#include "views/CameraView.h"
#include "views/ImageView.h"

namespace {

static_assert(AutoModeDialog::kFrameShownMessage == kFrameShownMessage);

// The automatic mode's view of a camera view.
class CameraViewTarget : public AutoCaptureTarget {
public:
    explicit CameraViewTarget(CameraView& view) : m_view(view) {}

    int StartRequestedFrames() override { return m_view.StartAcquisition(1); }
    void StopAcquisition() override { m_view.StopAcquisition(); }
    void ArmStore(HWND window) override { m_view.ArmStore(window); }
    // Only this camera's own image view is written: a message's lParam is trusted no further.
    int SaveShownFrame(LPARAM imageView, const char* path) override {
        ImageView* view = m_view.View();
        if (view == nullptr || reinterpret_cast<LPARAM>(view) != imageView) {
            return 0;
        }
        return view->SaveBitmap(path);
    }

private:
    CameraView& m_view;
};

constexpr int kControlsLockedWhileRunning[] = {IDC_AUTO_FRAME_COUNT, IDC_AUTO_INTERVAL,
                                               IDC_AUTO_TIMED, IDC_AUTO_TELNET,
                                               IDC_AUTO_CHOOSE_DIRECTORY};

}  // namespace

AutoModeDialog::AutoModeDialog(AutoCaptureTarget& target, CBasicWindow* parent)
    : CDialog(IDD_AUTOMATIC_MODE, parent), m_target(target) {}

// A dialog ended while running (its thread told to quit) leaves nothing running behind.
AutoModeDialog::~AutoModeDialog() {
    m_telnet.Stop();
}

int AutoModeDialog::AfterInitDialog() {
    const capture::AutoModeSettings settings = capture::LoadAutoModeSettings();
    UDACCEL steps[3] = {{1, 1}, {2, 10}, {3, 100}};
    Control(IDC_AUTO_INTERVAL_SPIN)->SetUpDownRange(1, capture::AutoModeSettings::kMaximumInterval);
    Control(IDC_AUTO_INTERVAL_SPIN)->SetUpDownAcceleration(3, steps);
    Control(IDC_AUTO_FRAME_COUNT_SPIN)
        ->SetUpDownRange(0, capture::AutoModeSettings::kMaximumFrameCount);
    Control(IDC_AUTO_FRAME_COUNT_SPIN)->SetUpDownAcceleration(3, steps);
    Control(IDC_AUTO_FRAME_COUNT)->SetIntText(settings.frameCount);
    Control(IDC_AUTO_INTERVAL)->SetIntText(settings.intervalSeconds);
    Control(IDC_AUTO_LAST_FILE)->SetText("");
    CheckRadioButton(Handle(), IDC_AUTO_TIMED, IDC_AUTO_TELNET,
                     settings.automatic ? IDC_AUTO_TIMED : IDC_AUTO_TELNET);
    Control(IDC_AUTO_STOP)->Enable(FALSE);
    Control(IDC_AUTO_DIRECTORY)->SetText(settings.directory.c_str());
    return 1;
}

LRESULT AutoModeDialog::OnControlCommand(HWND /*control*/, int id, int code) {
    if (code != BN_CLICKED) {
        return 0;
    }
    switch (id) {
        case IDC_AUTO_START:
            StartRun();
            break;
        case IDC_AUTO_STOP:
            StopRun();
            break;
        case IDC_AUTO_CHOOSE_DIRECTORY:
            ChooseDirectory();
            break;
        default:
            break;
    }
    return 0;
}

LRESULT AutoModeDialog::OnMenuCommand(int id) {
    if (id == IDCANCEL) {
        EndUnlessRunning();
    }
    return 0;
}

LRESULT AutoModeDialog::OnClose() {
    EndUnlessRunning();
    return 0;
}

void AutoModeDialog::EndUnlessRunning() {
    if (!Running()) {
        EndWith(0);
    }
}

LRESULT AutoModeDialog::OnTimer() {
    if (WParam() != kTimerId) {
        return DefaultProcess();
    }
    if (m_run.Tick()) {
        PostMessageA(Handle(), kTriggerMessage, 0, 0);
    }
    return 0;
}

LRESULT AutoModeDialog::OnUnlistedMessage() {
    switch (Message()) {
        case kSocketMessage:
            m_telnet.OnSocketEvent(static_cast<SOCKET>(WParam()), LParamLow());
            return 0;
        case kTriggerMessage:
            RequestFrame();
            return 0;
        case kFrameShownMessage:
            StoreShownFrame(LParam());
            return 0;
        default:
            return DefaultProcess();
    }
}

LRESULT AutoModeDialog::OnDestroy() {
    StopRun();
    return DefaultProcess();
}

void AutoModeDialog::StartRun() {
    if (Running()) {
        return;
    }
    capture::AutoModeSettings settings = capture::LoadAutoModeSettings();
    long interval = 0;
    if (!Control(IDC_AUTO_INTERVAL)
             ->CheckIntRange(1, capture::AutoModeSettings::kMaximumInterval, &interval)) {
        MessageBeep(0);
        return;
    }
    settings.intervalSeconds = static_cast<int>(interval);
    capture::StoreAutoModeSettings(settings);
    long frameCount = 0;
    if (!Control(IDC_AUTO_FRAME_COUNT)
             ->CheckIntRange(0, capture::AutoModeSettings::kMaximumFrameCount, &frameCount)) {
        MessageBeep(0);
        return;
    }
    settings.frameCount = static_cast<int>(frameCount);
    settings.automatic = IsDlgButtonChecked(Handle(), IDC_AUTO_TIMED) == BST_CHECKED;
    capture::StoreAutoModeSettings(settings);
    m_automatic = settings.automatic;

    // A server that cannot listen (port taken, no network) leaves the dialog as it was.
    if (!m_automatic && !m_telnet.Start(capture::TriggerEndpoint(), Handle())) {
        return;
    }
    if (!m_target.StartRequestedFrames()) {
        m_telnet.Stop();
        return;
    }
    m_run.Begin(settings.intervalSeconds, settings.frameCount);
    Control(IDC_AUTO_LAST_FILE)->SetText("");
    EnableControls(true);
    if (m_automatic) {
        SetTimer(Handle(), kTimerId, 1000, nullptr);
    }
}

void AutoModeDialog::StopRun() {
    if (!Running()) {
        return;
    }
    if (m_automatic) {
        KillTimer(Handle(), kTimerId);
    }
    m_target.StopAcquisition();
    m_telnet.Stop();
    m_run.End();
    EnableControls(false);
}

void AutoModeDialog::EnableControls(bool running) {
    Control(IDC_AUTO_START)->Enable(!running);
    Control(IDC_AUTO_STOP)->Enable(running);
    for (int id : kControlsLockedWhileRunning) {
        Control(id)->Enable(!running);
    }
}

// Requests arriving after a stop (already queued) must not arm the next acquisition.
void AutoModeDialog::RequestFrame() {
    if (Running()) {
        m_target.ArmStore(Handle());
    }
}

void AutoModeDialog::StoreShownFrame(LPARAM imageView) {
    if (!Running()) {
        return;
    }
    const int number = m_run.NextNumber();
    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::string name =
        capture::AutoModeFileName(now.wDay, now.wHour, now.wMinute, now.wSecond, number);
    std::string path;
    const std::string directory = capture::LoadAutoModeSettings().directory;
    if (capture::ComposeAutoModePath(directory, name, &path) &&
        m_target.SaveShownFrame(imageView, path.c_str())) {
        Control(IDC_AUTO_LAST_FILE)->SetText(name.c_str());
        if (!m_automatic) {
            m_telnet.Reply(name.c_str());
        }
    }
    if (m_run.Complete()) {
        StopRun();
    }
}

void AutoModeDialog::ChooseDirectory() {
    // The chooser writes the folder's display name here, not into the setting: a folder
    // without a file system path must leave the directory as it was.
    char displayName[MAX_PATH] = {};
    BROWSEINFOA browse{};
    browse.hwndOwner = Handle();
    browse.pidlRoot = nullptr;
    browse.pszDisplayName = displayName;
    browse.lpszTitle = "Select directory for bitmaps";
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST chosen = SHBrowseForFolderA(&browse);
    if (chosen == nullptr) {
        return;
    }
    char path[MAX_PATH] = {};
    const bool hasPath = SHGetPathFromIDListA(chosen, path) != FALSE;
    CoTaskMemFree(chosen);
    if (!hasPath || std::string(path).size() > capture::AutoModeSettings::kMaximumPathLength) {
        MessageBeep(0);
        return;
    }
    capture::AutoModeSettings settings = capture::LoadAutoModeSettings();
    settings.directory = path;
    capture::StoreAutoModeSettings(settings);
    Control(IDC_AUTO_DIRECTORY)->SetText(path);
}

int RunAutoModeDialog(CameraView& view) {
    CameraViewTarget target(view);
    // The dialog deletes itself with its window, before DoModal returns.
    auto* dialog = new AutoModeDialog(target, &view);
    return static_cast<int>(dialog->DoModal());
}
