#include "app/ViewerApp.h"

#include <commctrl.h>

#include <string>

#include "app/BusSelection.h"
#include "app/MainFrame.h"
#include "app/MainWindow.h"
#include "app/MessageDialog.h"
#include "buslib/MainWindowLink.h"
#include "buslib/TK.h"
#include "capture/AutoModeSettings.h"
#include "views/CameraView.h"

int ViewerApp::InitInstance() {
    InitCommonControls();

    auto* form = new ::MainWindow();
    auto* frame = new MainFrame();
    SetMainFramePointer(frame);

    const CRectangle rectangle(10, 10, 410, 210);
    frame->CreateFrame("Brask32FrameOrViewWindow", "Oriscope - Brask (c)",
                       WS_DLGFRAME | WS_SYSMENU | WS_MINIMIZEBOX, &rectangle, nullptr, nullptr, 0,
                       form);
    SetMainWindow(frame);
    tk::SetMainWindowLink(frame);
    frame->Show(SW_SHOWNORMAL);
    frame->Update();

    const std::string problem = app::SelectBus(CommandLine());
    if (!problem.empty()) {
        ShowMessageDialog(problem.c_str(), nullptr, false, nullptr);
    }
    const capture::TelnetSwitch telnet = capture::FindTelnetSwitch(CommandLine());
    if (!telnet.error.empty()) {
        const std::string text =
            telnet.error + "\r\r\nThe trigger server listens on the machine's address, port 23.";
        ShowMessageDialog(text.c_str(), nullptr, false, nullptr);
    }
    capture::SetTriggerEndpoint(telnet.endpoint);
    const std::uint32_t result = TKInitModule();
    if (result != 0) {
        AddLogEntry(TK_LOG_ERROR, result, "TKInitModule");
    }
    return 1;
}

int ViewerApp::ExitInstance() {
    StopWorkThread(&ProgramWorkThread());
    TKExitModule();
    tk::SetMainWindowLink(nullptr);
    app::ReleaseBus();
    return 1;
}
