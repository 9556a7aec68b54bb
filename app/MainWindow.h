// Classes: MainWindow
//
// The form of the main window (dialog 105): card list, node list, the camera
// views' payload and memory figures, the log list, and the buttons that open,
// stop and close camera views. It lives on the user-interface thread; other
// threads reach it only through the WM_USER notifications MainFrame posts.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

#include "buslib/TK.h"
#include "winlib/CFormView.h"

class CameraView;

class MainWindow : public CFormView {
public:
    static constexpr int kNodeTableSize = 10;
    static constexpr int kViewSlots = 4;
    static constexpr int kLogLines = 64;

    MainWindow();

    LRESULT OnInitDialog() override;
    LRESULT OnControlCommand(HWND control, int id, int code) override;
    LRESULT OnMenuCommand(int id) override;
    LRESULT OnUser() override;
    // Closes every view and the card; the frame then destroys itself.
    LRESULT OnClose() override;

    // --- Commands ------------------------------------------------------------
    void FillCardList();
    void SelectCard();
    // 1 when the card is open.
    int OpenCard(std::uint32_t card);
    void CloseCard();
    void RefreshNodeList();
    void Connect();
    void StopAll();
    void CloseAll();
    void CloseOneView(CameraView* view);
    void AddLogLine(const LogEntry* entry);
    void ShowLogInfo();
    void ShowUtilitiesPopup();
    void InstallDriver();
    void DeinstallDriver();

    std::int32_t card = -1;
    std::uint32_t nodeCount = 0;
    std::int32_t payloadSum = 0;
    std::int32_t memorySum = 0;
    std::array<NodeRecord, kNodeTableSize> nodeTable{};
    std::array<CameraView*, kViewSlots> views{};
    std::uint32_t connectionMaximum = 3;

private:
    void ShowPayload();
    void ShowMemory();
    void ResetCardList();
};
