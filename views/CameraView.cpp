#include "views/CameraView.h"

#include <cstdio>
#include <cstring>

#include "app/MainFrame.h"

namespace {

// Posted by the main thread to the view window: show the current title.
constexpr UINT kUpdateTitleMessage = WM_USER + 1;

std::string NameOf(const char (&field)[128]) {
    const void* end = std::memchr(field, '\0', sizeof(field));
    return std::string(field, end != nullptr ? static_cast<const char*>(end) - field
                                             : static_cast<std::ptrdiff_t>(sizeof(field)));
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
        m_node = *node;
        m_node.view = nullptr;
        m_hasNode = true;
    }
}

CameraView::~CameraView() {
    CloseView();
    if (m_queueReady != nullptr) {
        CloseHandle(m_queueReady);
    }
}

int CameraView::StartThread(int x, int y) {
    if (m_thread != INVALID_HANDLE_VALUE) {
        return 0;
    }
    m_x = x;
    m_y = y;
    if (m_queueReady == nullptr) {
        m_queueReady = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        if (m_queueReady == nullptr) {
            return 0;
        }
    }
    ResetEvent(m_queueReady);
    HANDLE thread = CreateThread(nullptr, 0, &CameraView::ThreadEntry, this, 0, &m_threadId);
    if (thread == nullptr) {
        return 0;
    }
    m_thread = thread;
    threadRunning.store(1);
    // Until the thread has its message queue, a quit message could not reach it.
    HANDLE waitFor[2] = {m_queueReady, m_thread};
    WaitForMultipleObjects(2, waitFor, FALSE, INFINITE);
    return 1;
}

DWORD WINAPI CameraView::ThreadEntry(void* parameter) {
    static_cast<CameraView*>(parameter)->ThreadMain();
    return 0;
}

void CameraView::ThreadMain() {
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
    SetEvent(m_queueReady);

    const std::string title = TitleText();
    const CRectangle rectangle(m_x, m_y, m_x + 100, m_y + 100);
    if (CreateFrame(nullptr, title.c_str(), WS_OVERLAPPEDWINDOW, &rectangle, nullptr, nullptr, 0,
                    nullptr)) {
        m_window.store(Handle());
        SetClientSize(320, 240);
        Show(SW_SHOWNORMAL);
        Update();
    }
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    m_window.store(nullptr);
    if (Handle() != nullptr) {
        Destroy();
    }
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

void CameraView::StopAcquisition() {
    if (running.load() == 0) {
        return;
    }
    running.store(0);
}

void CameraView::ToggleAcquisition() {
    if (running.load() != 0) {
        StopAcquisition();
    }
}

int CameraView::ReattachCamera(std::uint32_t count, NodeRecord* records) {
    int found = 0;
    if (m_hasNode && records != nullptr) {
        for (std::uint32_t i = 0; i < count; ++i) {
            NodeRecord& record = records[i];
            // The unique id names the camera; its node number may change with each reset.
            if (record.uniqueIdHigh == m_node.uniqueIdHigh &&
                record.uniqueIdLow == m_node.uniqueIdLow) {
                record.view = this;
                std::lock_guard<std::mutex> lock(m_nodeLock);
                m_node.card = record.card;
                m_node.node = record.node;
                m_node.speed = record.speed;
                m_onBus = true;
                found = 1;
                break;
            }
        }
    }
    if (!found) {
        std::lock_guard<std::mutex> lock(m_nodeLock);
        m_onBus = false;
    }
    RequestTitleUpdate();
    return found;
}

std::string CameraView::TitleText() {
    std::lock_guard<std::mutex> lock(m_nodeLock);
    const std::string names = NameOf(m_node.vendorName) + " - " + NameOf(m_node.modelName);
    char place[48];
    if (m_onBus) {
        std::snprintf(place, sizeof(place), " (%d/%d)", static_cast<int>(m_node.card),
                      static_cast<int>(m_node.node));
    } else {
        std::snprintf(place, sizeof(place), " (IDLE)");
    }
    return names + place;
}

void CameraView::RequestTitleUpdate() {
    const HWND window = m_window.load();
    if (window != nullptr) {
        PostMessageA(window, kUpdateTitleMessage, 0, 0);
    }
}

LRESULT CameraView::OnUnlistedMessage() {
    if (Message() == kUpdateTitleMessage) {
        SetText(TitleText().c_str());
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

void CameraView::SetClientSize(int width, int height) {
    RECT window;
    GetWindowRect(Handle(), &window);
    RECT wanted{0, 0, width, height};
    AdjustWindowRect(&wanted, WS_OVERLAPPEDWINDOW, Menu() != nullptr);
    MoveWindow(Handle(), window.left, window.top, wanted.right - wanted.left,
               wanted.bottom - wanted.top, TRUE);
}
