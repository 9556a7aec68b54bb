#include "views/CameraView.h"

#include <cstdio>
#include <cstring>

#include "app/MainFrame.h"
#include "app/MessageDialog.h"
#include "app/ViewSizeDialog.h"
#include "imaging/DisplayBitmap.h"
#include "resources/resource.h"
#include "views/AutoModeDialog.h"
#include "views/CameraControlDialog.h"
#include "views/DirectControlDialog.h"
#include "views/ImageView.h"
#include "views/PreferencesDialog.h"
#include "winlib/CStatusBar.h"
#include "winlib/CTextFieldBar.h"

namespace {

// Sent by other threads to the view window: carry out a request (wParam) there.
constexpr UINT kViewRequest = WM_USER + 1;
// Timer 0 works off a backlog of queued frames, one per tick.
constexpr UINT_PTR kBacklogTimer = 0;
constexpr UINT kBacklogIntervalMs = 10;
constexpr int kShotCountdownSeconds = 10;

constexpr const char* kFieldLabels[] = {"Seen: ", "Skipped: ", "Rate: ", "Status: "};

constexpr char kStopFirstText[] = "Please stop acquisition first.";
constexpr char kFormat7RefusedText[] =
    "Parameters could not be set in camera.\r\r\nProbably one or more values are out of range.";

std::string NameOf(const char (&field)[128]) {
    const void* end = std::memchr(field, '\0', sizeof(field));
    return std::string(field, end != nullptr ? static_cast<const char*>(end) - field
                                             : static_cast<std::ptrdiff_t>(sizeof(field)));
}

std::uint32_t BytesPerPixel(const VideoSettings& settings) {
    return settings.colourCode == 0 ? 1 : 3;
}

void LogFailure(std::uint32_t code, const char* function) {
    AddLogEntry(TK_LOG_ERROR, code, function);
}

}  // namespace

WorkThread& ProgramWorkThread() {
    static WorkThread workThread;
    return workThread;
}

CameraView::CameraView(std::uint32_t number, const NodeRecord* node) : viewNumber(number) {
    // The main window deletes the view.
    SetAutoDelete(false);
    if (node != nullptr) {
        camera.nodeInfo = *node;
        camera.nodeInfo.view = nullptr;
        camera.settings.card = static_cast<std::uint8_t>(node->card);
        camera.settings.node = static_cast<std::uint8_t>(node->node);
        camera.settings.speed = static_cast<std::uint8_t>(node->speed);
    }
    // Every view receives on a channel of its own.
    camera.settings.isoChannel = static_cast<std::uint8_t>(number);
    camera.settings.dmaChannelValue = static_cast<std::uint8_t>(number);
}

CameraView::~CameraView() {
    CloseView();
    if (m_windowReady != nullptr) {
        CloseHandle(m_windowReady);
    }
}

// ---- Thread ------------------------------------------------------------------

int CameraView::StartThread(int x, int y) {
    if (m_thread != INVALID_HANDLE_VALUE) {
        return 0;
    }
    m_x = x;
    m_y = y;
    if (m_windowReady == nullptr) {
        m_windowReady = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        if (m_windowReady == nullptr) {
            return 0;
        }
    }
    ResetEvent(m_windowReady);
    HANDLE thread = CreateThread(nullptr, 0, &CameraView::ThreadEntry, this, 0, &m_threadId);
    if (thread == nullptr) {
        return 0;
    }
    m_thread = thread;
    threadRunning.store(1);
    // Until the window exists, requests could not be handed to the thread. Messages
    // sent to this thread meanwhile (activation) are handled, so neither waits in vain.
    HANDLE waitFor[2] = {m_windowReady, m_thread};
    for (;;) {
        const DWORD result = MsgWaitForMultipleObjects(2, waitFor, FALSE, INFINITE, QS_SENDMESSAGE);
        if (result != WAIT_OBJECT_0 + 2) {
            break;
        }
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return 1;
}

DWORD WINAPI CameraView::ThreadEntry(void* parameter) {
    static_cast<CameraView*>(parameter)->ThreadMain();
    return 0;
}

void CameraView::ThreadMain() {
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
    const bool created = CreateCameraWindow();
    SetEvent(m_windowReady);

    if (created) {
        // Without formats, modes and rates the dialog offers what the camera reported.
        if (!camera.InquireAll()) {
            // The camera logged its register failures; the defaults stay.
        }
        PostUsage(+1);
        EditSettings();
    }
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (created) {
        PostUsage(-1);
    }
    m_window.store(nullptr);
    if (Handle() != nullptr) {
        Destroy();
    }
    m_imageView = nullptr;
    m_statusLine = nullptr;
}

bool CameraView::CreateCameraWindow() {
    m_imageView = new (std::nothrow) ImageView;
    if (m_imageView == nullptr) {
        return false;
    }
    const VideoSettings& settings = camera.settings;
    auto* bitmap =
        new (std::nothrow) DisplayBitmap(settings.width, settings.height, BytesPerPixel(settings));
    delete m_imageView->SetDisplayBitmap(bitmap);

    const CRectangle rectangle(m_x, m_y, m_x + 100, m_y + 100);
    if (!CreateFrame(nullptr, "", WS_OVERLAPPEDWINDOW, &rectangle, nullptr,
                     MAKEINTRESOURCEA(IDR_CAMERA_MENU), 0, m_imageView)) {
        // A view that never got its window is the caller's to delete.
        if (m_imageView->Handle() == nullptr) {
            delete m_imageView;
        }
        m_imageView = nullptr;
        return false;
    }
    m_window.store(Handle());

    // The template fixes the field widths; the values follow their labels.
    char fields[160];
    std::snprintf(fields, sizeof fields, "%s%08d\t%s%08d\t%s%05d\t%s%05d\t", kFieldLabels[0], 0,
                  kFieldLabels[1], 0, kFieldLabels[2], 0, kFieldLabels[3], 0);
    m_statusLine = new (std::nothrow) CTextFieldBar;
    if (m_statusLine != nullptr) {
        m_statusLine->AddFieldsFromText(fields);
        if (!m_statusLine->CreateBar(this, CStatusBar::kBottom)) {
            delete m_statusLine;
            m_statusLine = nullptr;
        }
    }
    SetField(kSeenField, "0");
    SetField(kSkippedField, "0");
    SetField(kRateField, "---");
    SetField(kStatusField, "Off");

    SetClientSize(320, 240);
    UpdateTitle();
    Show(SW_SHOWNORMAL);
    Update();
    if (bitmap == nullptr || !bitmap->hasPixels()) {
        ShowMessageDialog(kVideoMemoryErrorText, nullptr, false, this);
    }
    return true;
}

void CameraView::CloseView() {
    if (threadRunning.load() == 0) {
        return;
    }
    StopAcquisition();
    PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);
    for (;;) {
        const DWORD result =
            MsgWaitForMultipleObjects(1, &m_thread, FALSE, INFINITE, QS_SENDMESSAGE);
        if (result != WAIT_OBJECT_0 + 1) {
            break;
        }
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseHandle(m_thread);
    m_thread = INVALID_HANDLE_VALUE;
    threadRunning.store(0);
}

void CameraView::RunOnViewThread(Request request, LPARAM parameter) {
    const HWND window = m_window.load();
    if (window != nullptr && GetCurrentThreadId() != m_threadId) {
        SendMessageA(window, kViewRequest, request, parameter);
    } else {
        CarryOut(request, parameter);
    }
}

void CameraView::CarryOut(Request request, LPARAM parameter) {
    switch (request) {
        case kStopRequest:
            StopOnViewThread();
            break;
        case kToggleRequest:
            ToggleOnViewThread();
            break;
        case kReattachRequest:
            Reattach(reinterpret_cast<const Reattachment*>(parameter)->record);
            break;
    }
}

// ---- Starting and stopping -----------------------------------------------------

void CameraView::StopAcquisition() {
    if (running.load() == 0) {
        return;
    }
    RunOnViewThread(kStopRequest, 0);
}

void CameraView::ToggleAcquisition() {
    RunOnViewThread(kToggleRequest, 0);
}

void CameraView::ToggleOnViewThread() {
    if (running.load() != 0) {
        StopOnViewThread();
    } else {
        StartAcquisition(0);
    }
    SetToggleItemText();
}

int CameraView::StartAcquisition(int mode) {
    if (running.load() != 0) {
        return 0;
    }
    captureMode.store(static_cast<std::uint8_t>(mode));
    storeTarget.store(nullptr);
    {
        std::lock_guard<std::mutex> lock(ringLock);
        queued = 0;
        readIndex = 0;
        writeIndex = 0;
    }
    skipped.store(0);
    seen.store(0);

    VideoSettings& settings = camera.settings;
    std::uint32_t buffers = settings.frameBuffers;
    std::uint32_t newContext = 0;
    const TKImageInfo image{settings.left, settings.top, settings.width, settings.height,
                            settings.colourCode};
    const std::uint32_t code = TKIsoStart(
        settings.card, (std::uint32_t{settings.dmaChannelEnable} << 16) | settings.dmaChannelValue,
        (std::uint32_t{settings.firstPacketEnable} << 16) | settings.firstPacketValue,
        settings.packetsPerFrame, settings.bytesPerPacket, &buffers, &newContext, &image);
    if (code != 0) {
        LogFailure(code, "TKIsoStart");
        return 0;
    }
    settings.frameBuffersGranted = buffers;
    if (buffers != settings.frameBuffers) {
        AddLogEntry(TK_LOG_PARTIAL_FRAMEALLOC, buffers, settings.frameBuffers);
    }
    context = newContext;
    m_streamCard.store(settings.card);
    m_accepting.store(true);
    SetIsoHandler(&ProgramWorkThread(), context, this);
    running.store(1);
    SetField(kRateField, "---");

    if (GetKeyState(VK_SHIFT) < 0) {
        for (int second = kShotCountdownSeconds; second >= 1; --second) {
            char text[16];
            std::snprintf(text, sizeof text, "%ds", second);
            SetField(kStatusField, text);
            Sleep(1000);
        }
        SetField(kStatusField, "Shot");
        if (!camera.StartOneShot()) {
            // Logged by the camera; the stream stays open until stopped.
        }
    } else {
        SetField(kStatusField, "Run");
        if (!camera.StartContinuous()) {
            // Logged by the camera; the stream stays open until stopped.
        }
    }
    startTick = GetTickCount();
    return 1;
}

void CameraView::StopOnViewThread() {
    if (running.load() == 0) {
        return;
    }
    m_accepting.store(false);
    ClearIsoHandler(&ProgramWorkThread(), context);
    // A frame event already under way finishes before its buffers go away.
    while (m_dispatching.load() != 0) {
        Sleep(1);
    }
    if (!camera.StopTransmission()) {
        // Logged by the camera.
    }
    if (Handle() != nullptr) {
        KillTimer(Handle(), kBacklogTimer);
    }
    ProcessFrame(nullptr);
    const std::uint32_t code = TKIsoStop(camera.settings.card, context);
    if (code != 0) {
        LogFailure(code, "TKIsoStop");
    }
    running.store(0);
    SetField(kRateField, "---");
    SetField(kStatusField, "Off");
}

void CameraView::ArmStore(HWND target) {
    storeTarget.store(target);
}

// ---- Frames ----------------------------------------------------------------------

void CameraView::OnIsoEvent() {
    ++m_dispatching;
    if (!m_accepting.load()) {
        --m_dispatching;
        return;
    }
    const std::uint32_t card = m_streamCard.load();
    TKFrameInfo info{};
    const std::uint32_t code = TKIsoInquire(card, context, &info);
    if (code != 0) {
        LogFailure(code, "TKIsoInquire");
    } else if (info.bufferHandle != 0) {
        std::uint32_t posted = 0;
        const std::uint32_t granted = camera.settings.frameBuffersGranted;
        const bool mayKeep = acquisition::MayKeepFrame(granted, nullptr) ||
                             (TKIsoGetPostedCount(card, context, &posted) == 0 &&
                              acquisition::MayKeepFrame(granted, &posted));
        bool kept = false;
        if (mayKeep && acquisition::WantsFrame(captureMode.load(), storeTarget.load() != nullptr)) {
            std::lock_guard<std::mutex> lock(ringLock);
            if (queued < acquisition::kRingSize) {
                FrameEntry& entry = ring[writeIndex];
                entry.bufferHandle = info.bufferHandle;
                entry.data = info.data;
                entry.left = static_cast<std::uint16_t>(info.left);
                entry.top = static_cast<std::uint16_t>(info.top);
                entry.width = static_cast<std::uint16_t>(info.width);
                entry.height = static_cast<std::uint16_t>(info.height);
                entry.frameType = static_cast<FrameType>(info.colourCode & 0xFF);
                entry.mark = info.frameMark;
                writeIndex = (writeIndex + 1) % acquisition::kRingSize;
                if (++queued == 1) {
                    PostMessageA(m_window.load(), WM_USER, 0, 0);
                }
                kept = true;
            }
        }
        if (!kept) {
            ++skipped;
            const std::uint32_t postCode = TKIsoPost(card, context, &info);
            if (postCode != 0) {
                LogFailure(postCode, "TKIsoPost");
            }
        }
    }
    --m_dispatching;
}

void CameraView::ProcessNext() {
    if (running.load() == 0) {
        return;
    }
    std::uint32_t index = 0;
    {
        std::lock_guard<std::mutex> lock(ringLock);
        if (queued == 0) {
            return;
        }
        index = readIndex;
    }
    ProcessFrame(&ring[index]);
    bool more = false;
    {
        std::lock_guard<std::mutex> lock(ringLock);
        readIndex = (readIndex + 1) % acquisition::kRingSize;
        more = --queued != 0;
    }
    if (more) {
        SetTimer(Handle(), kBacklogTimer, kBacklogIntervalMs, nullptr);
    }
}

void CameraView::ProcessFrame(FrameEntry* entry) {
    const VideoSettings& settings = camera.settings;
    if (entry != nullptr) {
        entry->frameType = acquisition::DisplayType(entry->frameType, settings.invertY16 != 0,
                                                    settings.rawY16 != 0, settings.bayerPattern);
    }
    std::uint32_t giveBack = 0;
    bool refresh = true;
    if (m_imageView == nullptr) {
        giveBack = entry != nullptr ? entry->bufferHandle : 0;
        refresh = false;
    } else if (captureMode.load() == 0 || entry == nullptr) {
        giveBack = m_imageView->ShowFrame(entry);
    } else if (const HWND target = storeTarget.exchange(nullptr); target != nullptr) {
        giveBack = m_imageView->ShowFrame(entry);
        PostMessageA(target, kFrameShownMessage, 0, reinterpret_cast<LPARAM>(m_imageView));
    } else {
        giveBack = entry->bufferHandle;
        refresh = false;
    }
    if (giveBack != 0) {
        GiveBack(giveBack);
    }
    if (entry != nullptr) {
        ++seen;
    }
    if (refresh && m_imageView != nullptr) {
        InvalidateRect(m_imageView->Handle(), nullptr, FALSE);
        UpdateWindow(m_imageView->Handle());
        SetCountField(kSeenField, seen.load());
        SetCountField(kSkippedField, skipped.load());
    }
    if (entry != nullptr && acquisition::IsRateRefresh(seen.load())) {
        UpdateRate();
    }
}

void CameraView::GiveBack(std::uint32_t bufferHandle) {
    TKFrameInfo info{};
    info.bufferHandle = bufferHandle;
    const std::uint32_t code = TKIsoPost(camera.settings.card, context, &info);
    if (code != 0) {
        LogFailure(code, "TKIsoPost");
    }
}

void CameraView::UpdateRate() {
    double rate = 0;
    if (acquisition::FrameRate(seen.load(), skipped.load(), startTick, GetTickCount(), &rate)) {
        char text[32];
        acquisition::FormatRate(rate, text);
        SetField(kRateField, text);
    }
}

// ---- Settings and the bus ------------------------------------------------------------

void CameraView::EditSettings() {
    if (running.load() != 0) {
        ShowMessageDialog(kStopFirstText, nullptr, false, this);
        return;
    }
    PostUsage(-1);
    VideoSettings copy = camera.settings;
    if (RunPreferencesDialog(this, camera, copy) == 1) {
        // A bus reset during the dialog may have moved the camera; it stays where it is now.
        copy.card = camera.settings.card;
        copy.node = camera.settings.node;
        if (copy.format == 7) {
            Format7Request request = Format7RequestFor(copy);
            if (camera.SetupFormat7(request)) {
                copy.left = request.left;
                copy.top = request.top;
                copy.width = request.width;
                copy.height = request.height;
                copy.bytesPerPacket = request.bytesPerPacket;
                copy.packetsPerFrame = request.packetsPerFrame;
                camera.settings = copy;
            } else {
                ShowMessageDialog(kFormat7RefusedText, nullptr, false, this);
            }
        } else {
            camera.settings = copy;
        }
        const VideoSettings& settings = camera.settings;
        const std::uint32_t code = TKSetSpeed(settings.card, settings.node, settings.speed);
        if (code != 0) {
            LogFailure(code, "TKSetSpeed");
        }
        InstallDisplayBitmap();
        UpdateTitle();
    }
    PostUsage(+1);
}

void CameraView::InstallDisplayBitmap() {
    const VideoSettings& settings = camera.settings;
    auto* bitmap =
        new (std::nothrow) DisplayBitmap(settings.width, settings.height, BytesPerPixel(settings));
    delete m_imageView->SetDisplayBitmap(bitmap);
    if (bitmap == nullptr || !bitmap->hasPixels()) {
        ShowMessageDialog(kVideoMemoryErrorText, nullptr, false, this);
    }
}

int CameraView::ReattachCamera(std::uint32_t count, NodeRecord* records) {
    NodeRecord* found = nullptr;
    if (records != nullptr) {
        for (std::uint32_t i = 0; i < count; ++i) {
            if (camera.IsSameCamera(records[i])) {
                found = &records[i];
                break;
            }
        }
    }
    if (found != nullptr) {
        found->view = this;
    }
    const Reattachment reattachment{found};
    RunOnViewThread(kReattachRequest, reinterpret_cast<LPARAM>(&reattachment));
    return found != nullptr ? 1 : 0;
}

void CameraView::Reattach(const NodeRecord* record) {
    if (record == nullptr) {
        m_onBus = false;
        UpdateTitle();
        return;
    }
    m_onBus = true;
    VideoSettings& settings = camera.settings;
    settings.card = static_cast<std::uint8_t>(record->card);
    settings.node = static_cast<std::uint8_t>(record->node);
    const std::uint32_t code = TKSetSpeed(settings.card, settings.node, settings.speed);
    if (code != 0) {
        LogFailure(code, "TKSetSpeed");
    }
    if (running.load() != 0) {
        // A one-shot acquisition comes back as a continuous one.
        if (!camera.StopTransmission() || !camera.StartContinuous()) {
            // Logged by the camera.
        }
        SetField(kStatusField, "Run");
    }
    UpdateTitle();
}

void CameraView::PostUsage(int sign) {
    MainFrame* frame = MainFramePointer();
    if (frame == nullptr) {
        return;
    }
    const VideoSettings& settings = camera.settings;
    const auto payload = static_cast<std::int32_t>(settings.bytesPerPacket);
    const auto memory = static_cast<std::int32_t>(camera.ImageSize() * settings.frameBuffers);
    frame->PostPayloadDelta(sign * payload);
    frame->PostMemoryDelta(sign * memory);
}

// ---- Window ------------------------------------------------------------------------------

void CameraView::UpdateTitle() {
    if (Handle() == nullptr) {
        return;
    }
    const VideoSettings& settings = camera.settings;
    const std::string vendor = NameOf(camera.nodeInfo.vendorName);
    const std::string model = NameOf(camera.nodeInfo.modelName);
    char title[360];
    if (m_onBus) {
        std::snprintf(title, sizeof title, "%s - %s (%dx%d %d/%d)", vendor.c_str(), model.c_str(),
                      static_cast<int>(settings.width), static_cast<int>(settings.height),
                      static_cast<int>(settings.card), static_cast<int>(settings.node));
    } else {
        std::snprintf(title, sizeof title, "%s - %s (%dx%d IDLE)", vendor.c_str(), model.c_str(),
                      static_cast<int>(settings.width), static_cast<int>(settings.height));
    }
    SetText(title);
}

void CameraView::SetField(Field field, const char* text) {
    if (m_statusLine != nullptr) {
        m_statusLine->SetFieldText(field, text, static_cast<int>(std::strlen(kFieldLabels[field])));
    }
}

void CameraView::SetCountField(Field field, std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    SetField(field, text);
}

int CameraView::StatusLineHeight() const {
    if (m_statusLine == nullptr || m_statusLine->Handle() == nullptr) {
        return 0;
    }
    RECT client{};
    GetClientRect(m_statusLine->Handle(), &client);
    return client.bottom - client.top;
}

void CameraView::SetClientSize(int width, int height) {
    RECT window{};
    GetWindowRect(Handle(), &window);
    RECT wanted{0, 0, width, height + StatusLineHeight()};
    AdjustWindowRect(&wanted, WS_OVERLAPPEDWINDOW, Menu() != nullptr);
    MoveWindow(Handle(), window.left, window.top, wanted.right - wanted.left,
               wanted.bottom - wanted.top, TRUE);
}

void CameraView::SetToggleItemText() {
    if (Menu() == nullptr) {
        return;
    }
    char text[32];
    std::strcpy(text, running.load() != 0 ? "&Stop Acquisition" : "&Start Acquisition");
    MENUITEMINFOA item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_TYPE;
    item.fType = MFT_STRING;
    item.dwTypeData = text;
    SetMenuItemInfoA(Menu(), IDM_TOGGLE_ACQUISITION, FALSE, &item);
    DrawMenuBar(Handle());
}

void CameraView::ToggleScrollMode() {
    if (Menu() == nullptr || m_imageView == nullptr) {
        return;
    }
    const UINT state = GetMenuState(Menu(), IDM_SCROLL_MODE, MF_BYCOMMAND);
    const bool checked = state != static_cast<UINT>(-1) && (state & MF_CHECKED) != 0;
    CheckMenuItem(Menu(), IDM_SCROLL_MODE, MF_BYCOMMAND | (checked ? MF_UNCHECKED : MF_CHECKED));
    m_imageView->SetScrollMode(checked ? 0 : 1);
}

void CameraView::AskUserSize() {
    if (m_imageView == nullptr) {
        return;
    }
    RECT client{};
    GetClientRect(m_imageView->Handle(), &client);
    std::int32_t width = client.right - client.left;
    std::int32_t height = client.bottom - client.top;
    ViewSizeDialog dialog(&width, &height, this);
    dialog.SetAutoDelete(false);
    if (dialog.DoModal() == 1) {
        SetClientSize(width, height);
    }
}

void CameraView::SaveBitmap() {
    if (m_imageView != nullptr && m_imageView->GetDisplayBitmap() != nullptr) {
        m_imageView->SaveBitmap(nullptr);
    }
}

LRESULT CameraView::OnMenuCommand(int id) {
    switch (id) {
        case IDM_SAVE_BITMAP:
            SaveBitmap();
            return 0;
        case IDM_TOGGLE_ACQUISITION:
            ToggleOnViewThread();
            return 0;
        case IDM_VIEW_160X120:
            SetClientSize(160, 120);
            return 0;
        case IDM_VIEW_320X240:
            SetClientSize(320, 240);
            return 0;
        case IDM_VIEW_640X480:
            SetClientSize(640, 480);
            return 0;
        case IDM_VIEW_800X600:
            SetClientSize(800, 600);
            return 0;
        case IDM_VIEW_1024X768:
            SetClientSize(1024, 768);
            return 0;
        case IDM_VIEW_1280X960:
            SetClientSize(1280, 960);
            return 0;
        case IDM_USER_SIZE:
            AskUserSize();
            return 0;
        case IDM_SCROLL_MODE:
            ToggleScrollMode();
            return 0;
        case IDM_EDIT_SETTINGS:
            EditSettings();
            return 0;
        case IDM_LIVE_CONTROL:
            RunCameraControlDialog(this, camera);
            return 0;
        case IDM_DIRECT_CONTROL:
            RunDirectControlDialog(this, camera);
            return 0;
        case IDM_AUTOMATIC_MODE:
            if (running.load() == 0) {
                RunAutoModeDialog(*this);
            }
            return 0;
        default:
            return 1;
    }
}

LRESULT CameraView::OnUser() {
    if (WParam() == 0) {
        ProcessNext();
        return 0;
    }
    return DefaultProcess();
}

LRESULT CameraView::OnTimer() {
    if (WParam() == kBacklogTimer) {
        KillTimer(Handle(), kBacklogTimer);
        ProcessNext();
        return 0;
    }
    return DefaultProcess();
}

LRESULT CameraView::OnUnlistedMessage() {
    if (Message() == kViewRequest) {
        CarryOut(static_cast<Request>(WParam()), LParam());
        return 0;
    }
    return DefaultProcess();
}

LRESULT CameraView::OnClose() {
    MainFrame* frame = MainFramePointer();
    if (frame != nullptr) {
        frame->PostViewClosed(this);
    }
    return 0;
}
