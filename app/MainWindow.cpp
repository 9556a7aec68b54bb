#include "app/MainWindow.h"

#include <new>
#include <string>

#include "app/AboutDialog.h"
#include "app/MainFrame.h"
#include "app/MainWindowText.h"
#include "app/MessageDialog.h"
#include "resources/resource.h"
#include "views/CameraView.h"

namespace {

// The four sizing values of the bus.
constexpr std::uint32_t kBusSizing[4] = {16, 64, 8, 32};
constexpr std::uint32_t kCardTypeWithFourConnections = 1;
constexpr std::uint32_t kSpeedS400 = 2;
constexpr DWORD kModuleFileNameSize = 360;

// Signed sums that wrap instead of overflowing.
std::int32_t AddWrapping(std::int32_t sum, LPARAM delta) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(sum) +
                                     static_cast<std::uint32_t>(delta));
}

}  // namespace

MainWindow::MainWindow() : CFormView(IDD_MAIN_WINDOW) {}

LRESULT MainWindow::OnInitDialog() {
    ResetCardList();
    ShowPayload();
    Control(IDC_MEMORY_MB)->SetText("0.00");

    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const BOOL known = GetVersionExA(&version);
#pragma GCC diagnostic pop
    const bool available =
        known && app::UtilitiesAvailable(version.dwMajorVersion, version.dwMinorVersion);
    Control(IDC_UTILITIES)->Enable(available ? TRUE : FALSE);

    MainFrame* frame = MainFramePointer();
    if (frame != nullptr) {
        frame->SetPostTarget(Handle());
    }
    return 1;
}

LRESULT MainWindow::OnControlCommand(HWND /*control*/, int id, int code) {
    if (id == IDC_CARD_LIST) {
        if (code == CBN_DROPDOWN) {
            FillCardList();
        } else if (code == CBN_SELCHANGE) {
            SelectCard();
        }
        return 0;
    }
    if (code != BN_CLICKED) {
        return 0;
    }
    switch (id) {
        case IDC_CONNECT:
            Connect();
            break;
        case IDC_STOP_ALL:
            StopAll();
            break;
        case IDC_CLOSE_ALL:
            CloseAll();
            break;
        case IDC_LOG_INFO:
            ShowLogInfo();
            break;
        case IDC_LOG_CLEAR:
            Control(IDC_LOG_LIST)->EmptyListBox();
            break;
        case IDC_ABOUT:
            // The dialog deletes itself when it ends.
            (new AboutDialog(this))->DoModal();
            break;
        case IDC_UTILITIES:
            ShowUtilitiesPopup();
            break;
        default:
            break;
    }
    return 0;
}

LRESULT MainWindow::OnMenuCommand(int id) {
    if (id == IDM_INSTALL_DRIVER) {
        InstallDriver();
        return 0;
    }
    if (id == IDM_DEINSTALL_DRIVER) {
        DeinstallDriver();
        return 0;
    }
    return DefaultProcess();
}

LRESULT MainWindow::OnUser() {
    if (HIWORD(WParam()) != 0x1234) {
        return DefaultProcess();
    }
    switch (WParam()) {
        case kNotifyLogEntry:
            AddLogLine(reinterpret_cast<const LogEntry*>(LParam()));
            return 0;
        case kNotifyNodesChanged:
            RefreshNodeList();
            return 0;
        case kNotifyViewClosed:
            CloseOneView(reinterpret_cast<CameraView*>(LParam()));
            return 0;
        case kNotifyPayloadDelta:
            payloadSum = AddWrapping(payloadSum, LParam());
            ShowPayload();
            return 0;
        case kNotifyMemoryDelta:
            memorySum = AddWrapping(memorySum, LParam());
            ShowMemory();
            return 0;
        default:
            return DefaultProcess();
    }
}

LRESULT MainWindow::OnClose() {
    CloseAll();
    CloseCard();
    return 0;
}

void MainWindow::ShowPayload() {
    Control(IDC_ISO_PAYLOAD)->SetText(app::PayloadText(payloadSum).c_str());
}

void MainWindow::ShowMemory() {
    Control(IDC_MEMORY_MB)->SetText(app::MemoryText(memorySum).c_str());
}

void MainWindow::ResetCardList() {
    CBasicWindow* list = Control(IDC_CARD_LIST);
    list->EmptyComboBox();
    list->AddComboBoxLine("No Card");
    list->SelectComboBoxLine(0);
}

void MainWindow::FillCardList() {
    ResetCardList();
    std::uint32_t count = 0;
    const std::uint32_t result = TKGetCardCount(&count);
    if (result != 0) {
        AddLogEntry(TK_LOG_ERROR, result, "TKGetCardCount");
        return;
    }
    if (count == 0) {
        AddLogEntry(TK_LOG_NO_CARDS, 0);
        return;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t systemId = 0;
        const std::uint32_t idResult = TKGetCardSystemId(i, &systemId);
        if (idResult != 0) {
            AddLogEntry(TK_LOG_ERROR, idResult, "TKGetCardSystemId");
            return;
        }
        Control(IDC_CARD_LIST)->AddComboBoxLine(app::CardLineText(systemId).c_str());
    }
    if (card >= 0) {
        Control(IDC_CARD_LIST)->SelectComboBoxLine(card + 1);
    }
}

void MainWindow::SelectCard() {
    const int line = static_cast<int>(Control(IDC_CARD_LIST)->ComboBoxSelection());
    if (line < 0) {
        return;
    }
    if (line >= 1 && line - 1 == card) {
        return;
    }
    CloseCard();
    if (line == 0) {
        return;
    }
    FillCardList();
    Control(IDC_CARD_LIST)->SelectComboBoxLine(line);
    if (!OpenCard(static_cast<std::uint32_t>(line - 1))) {
        Control(IDC_CARD_LIST)->SelectComboBoxLine(0);
    }
}

int MainWindow::OpenCard(std::uint32_t cardIndex) {
    std::uint32_t result = TKOpenCard(cardIndex);
    if (result != 0) {
        AddLogEntry(TK_LOG_ERROR, result, "TKOpenCard");
        return 0;
    }
    result = TKOpenBus(cardIndex, kBusSizing[0], kBusSizing[1], kBusSizing[2], kBusSizing[3]);
    if (result != 0) {
        AddLogEntry(TK_LOG_ERROR, result, "TKOpenBus");
        TKCloseCard(cardIndex);
        return 0;
    }
    card = static_cast<std::int32_t>(cardIndex);
    std::uint32_t type = 0;
    result = TKGetCardType(cardIndex, &type);
    if (result != 0) {
        AddLogEntry(TK_LOG_ERROR, result, "TKGetCardType");
        type = 0;
    }
    connectionMaximum = type == kCardTypeWithFourConnections ? 4 : 3;
    // Its first refresh after the bus reset fills the node list.
    StartWorkThread(&ProgramWorkThread(), cardIndex);
    return 1;
}

void MainWindow::CloseCard() {
    if (card < 0) {
        return;
    }
    CloseAll();
    StopWorkThread(&ProgramWorkThread());
    const std::uint32_t cardIndex = static_cast<std::uint32_t>(card);
    const std::uint32_t busResult = TKCloseBus(cardIndex);
    const std::uint32_t cardResult = TKCloseCard(cardIndex);
    Control(IDC_LOG_LIST)->EmptyListBox();
    Control(IDC_NODE_LIST)->EmptyListBox();
    ResetCardList();
    card = -1;
    nodeCount = 0;
    // Logged after the list was emptied, so they stay visible.
    if (busResult != 0) {
        AddLogEntry(TK_LOG_ERROR, busResult, "TKCloseBus");
    }
    if (cardResult != 0) {
        AddLogEntry(TK_LOG_ERROR, cardResult, "TKCloseCard");
    }
}

void MainWindow::RefreshNodeList() {
    Control(IDC_NODE_LIST)->EmptyListBox();
    nodeCount = kNodeTableSize;
    if (!CopyNodeRecords(&ProgramWorkThread(), &nodeCount, nodeTable.data())) {
        // No cameras at all: open views still learn that theirs is gone.
        nodeCount = 0;
    }
    for (std::uint32_t i = 0; i < nodeCount; ++i) {
        CBasicWindow* list = Control(IDC_NODE_LIST);
        const LRESULT line = list->AddListBoxLine(app::NodeLineText(nodeTable[i]).c_str());
        if (line >= 0) {
            list->SetListBoxItemData(static_cast<int>(line),
                                     reinterpret_cast<LPARAM>(&nodeTable[i]));
        }
    }
    for (CameraView* view : views) {
        if (view != nullptr) {
            view->ReattachCamera(nodeCount, nodeTable.data());
        }
    }
}

void MainWindow::Connect() {
    int slot = -1;
    for (std::uint32_t i = 0; i < connectionMaximum && i < kViewSlots; ++i) {
        if (views[i] == nullptr) {
            slot = static_cast<int>(i);
            break;
        }
    }
    if (slot < 0) {
        ShowMessageDialog("Error: Maximum number of connections reached.", nullptr, false, nullptr);
        return;
    }

    NodeRecord localNode{};
    NodeRecord* record = nullptr;
    bool fromList = false;
    if (GetAsyncKeyState(VK_SHIFT) < 0) {
        // The other node of a two-node bus, without the node list.
        std::uint32_t localId = 0;
        if (TKGetLocalNodeId(static_cast<std::uint32_t>(card), &localId) == 0) {
            localNode.card = static_cast<std::uint32_t>(card);
            localNode.node = localId ^ 1;
            localNode.speed = kSpeedS400;
            record = &localNode;
        }
    } else {
        CBasicWindow* list = Control(IDC_NODE_LIST);
        const LRESULT line = list->ListBoxSelection();
        if (line < 0) {
            return;
        }
        const LRESULT data = list->ListBoxItemData(static_cast<int>(line));
        if (data == LB_ERR || data == 0) {
            return;
        }
        record = reinterpret_cast<NodeRecord*>(data);
        if (record->view != nullptr) {
            return;
        }
        fromList = true;
    }

    RECT frame{};
    GetWindowRect(GetParent(Handle()), &frame);
    auto* view = new (std::nothrow) CameraView(static_cast<std::uint32_t>(slot), record);
    if (view == nullptr) {
        return;
    }
    views[slot] = view;
    const int captionHeight = GetSystemMetrics(SM_CYCAPTION);
    view->StartThread(frame.right + slot * captionHeight, frame.top + slot * captionHeight);
    if (fromList) {
        record->view = view;
    }
}

void MainWindow::StopAll() {
    for (CameraView* view : views) {
        if (view != nullptr && view->running.load() != 0) {
            view->ToggleAcquisition();
        }
    }
}

void MainWindow::CloseOneView(CameraView* view) {
    bool owned = false;
    for (CameraView* slot : views) {
        owned = owned || (view != nullptr && slot == view);
    }
    // A second close request of a view already gone names no slot.
    if (!owned) {
        return;
    }
    view->CloseView();
    for (CameraView*& slot : views) {
        if (slot == view) {
            slot = nullptr;
        }
    }
    delete view;
    for (std::uint32_t i = 0; i < nodeCount && i < kNodeTableSize; ++i) {
        if (nodeTable[i].view == view) {
            nodeTable[i].view = nullptr;
        }
    }
}

void MainWindow::CloseAll() {
    for (std::size_t i = 0; i < views.size(); ++i) {
        if (views[i] != nullptr) {
            CloseOneView(views[i]);
        }
    }
}

void MainWindow::AddLogLine(const LogEntry* entry) {
    if (entry != nullptr) {
        CBasicWindow* list = Control(IDC_LOG_LIST);
        if (list->ListBoxCount() >= kLogLines) {
            list->DeleteListBoxLine(0);
        }
        const LRESULT line = list->AddListBoxLine(LogLineText(*entry).c_str());
        if (line >= 0) {
            list->SelectListBoxLine(static_cast<int>(line));
            list->SetListBoxItemData(static_cast<int>(line), reinterpret_cast<LPARAM>(entry));
        }
    }
    MainFrame* frame = MainFramePointer();
    if (frame != nullptr) {
        std::int32_t pending = frame->pendingLogPosts.load();
        while (pending > 0 && !frame->pendingLogPosts.compare_exchange_weak(pending, pending - 1)) {
        }
    }
}

void MainWindow::ShowLogInfo() {
    CBasicWindow* list = Control(IDC_LOG_LIST);
    const LRESULT line = list->ListBoxSelection();
    if (line < 0) {
        return;
    }
    const LRESULT data = list->ListBoxItemData(static_cast<int>(line));
    if (data == LB_ERR || data == 0) {
        return;
    }
    const LogExplanation explanation = ExplainLogEntry(*reinterpret_cast<const LogEntry*>(data));
    ShowMessageDialog(explanation.text.c_str(),
                      explanation.title.empty() ? nullptr : explanation.title.c_str(), false,
                      nullptr);
}

void MainWindow::ShowUtilitiesPopup() {
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) {
        return;
    }
    AppendMenuA(menu, MF_STRING, IDM_INSTALL_DRIVER, "&Install Driver");
    AppendMenuA(menu, MF_STRING, IDM_DEINSTALL_DRIVER, "&Deinstall Driver");
    POINT cursor{};
    GetCursorPos(&cursor);
    TrackPopupMenu(menu, TPM_LEFTBUTTON, cursor.x, cursor.y, 0, Handle(), nullptr);
    DestroyMenu(menu);
}

void MainWindow::InstallDriver() {
    char path[kModuleFileNameSize + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, kModuleFileNameSize);
    std::string directory(path, length);
    const std::size_t backslash = directory.rfind('\\');
    // A cut-off or bare path would name the wrong directory.
    std::uint32_t result = TKE_INSTALL_FAILED;
    if (length > 0 && length < kModuleFileNameSize && backslash != std::string::npos) {
        directory.resize(backslash);
        result = TKInstallDriver(directory.c_str());
    }
    if (result == 0) {
        AddLogEntry(TK_LOG_DRIVER_INSTALLED, 0);
    } else if (result == TKE_SERVICE_ALREADY_STARTED) {
        AddLogEntry(TK_LOG_DRIVER_RUNS, 0);
    } else {
        ShowMessageDialog(
            "Error installing kernel-mode driver <tkdrv.sys>. Either you don't have enough "
            "access rights or file does not exist in the directory of THIS module.",
            nullptr, false, nullptr);
    }
}

void MainWindow::DeinstallDriver() {
    if (TKDeinstallDriver() == 0) {
        AddLogEntry(TK_LOG_DRIVER_DEINSTALLED, 0);
    } else {
        ShowMessageDialog("Error uninstalling driver.", nullptr, false, nullptr);
    }
}
