#include "tracebox/TraceboxApp.h"

#include <cstring>

#include "tracebox/ResourceIds.h"
#include "tracebox/TraceboxDialog.h"

namespace tbx {

namespace {

BOOL CALLBACK MatchViewerTitle(HWND hwnd, LPARAM found) {
    // One byte more than the title so a longer title cannot pass as it.
    char title[sizeof kViewerTitle + 1];
    int length = GetWindowTextA(hwnd, title, sizeof title);
    if (length > 0 && std::strcmp(title, kViewerTitle) == 0) {
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND FindRunningViewer() {
    HWND found = nullptr;
    EnumWindows(MatchViewerTitle, reinterpret_cast<LPARAM>(&found));
    return found;
}

void TraceboxApp::InitInstance() {
    UINT traceMessage = RegisterWindowMessageA(kTraceMessageName);
    if (traceMessage == 0) {
        SetExitCode(static_cast<int>(GetLastError()));
        return;
    }
    if (HWND running = FindRunningViewer(); running != nullptr) {
        ShowWindow(running, SW_RESTORE);
        return;
    }
    TraceboxDialog dialog(traceMessage, LoadIconResource(IDR_MAINFRAME));
    if (dialog.DoModal(Instance()) == -1) {
        SetExitCode(1);
    }
}

}  // namespace tbx
