// Shows one of Oriscope's dialog templates on screen, for checking its layout by
// eye (for example in a screenshot): resources_preview <template id> [page index]
// A child template gets a captioned host window; a tab dialog gets its tabs and
// shows the chosen page centred in the tab control, as the program places it.
#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>

#include <cstdlib>
#include <utility>
#include <vector>

#include "resources/resource.h"

namespace {

INT_PTR CALLBACK PreviewDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        PostQuitMessage(0);
        return TRUE;
    }
    if (message == WM_CLOSE) {
        PostQuitMessage(0);
        return TRUE;
    }
    (void)dialog;
    return FALSE;
}

std::vector<std::pair<const char*, int>> PagesOf(int templateId) {
    if (templateId == IDD_CAMERA_CONTROL) {
        return {{"Common", IDD_CONTROL_COMMON_PAGE},
                {"Picture", IDD_CONTROL_PICTURE_PAGE},
                {"Color", IDD_CONTROL_COLOR_PAGE},
                {"Lense", IDD_CONTROL_LENSE_PAGE}};
    }
    if (templateId == IDD_PREFERENCES) {
        return {{"Camera", IDD_PREFERENCES_CAMERA_PAGE}, {"1394-Bus", IDD_PREFERENCES_BUS_PAGE}};
    }
    return {};
}

void ShowPage(HWND dialog, const std::vector<std::pair<const char*, int>>& pages, int index) {
    HWND tabs = GetDlgItem(dialog, IDC_PAGE_TABS);
    for (size_t i = 0; i < pages.size(); ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(pages[i].first);
        item.iImage = -1;
        SendMessageA(tabs, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
    SendMessageA(tabs, TCM_SETCURSEL, index, 0);
    HWND page = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(pages[index].second),
                                   dialog, PreviewDialogProc, 0);
    RECT area{};
    GetWindowRect(tabs, &area);
    SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&area), 2);
    RECT size{};
    GetClientRect(page, &size);
    MoveWindow(page, area.left + (area.right - area.left - size.right) / 2,
               area.top + (area.bottom - area.top - size.bottom) / 2, size.right, size.bottom,
               FALSE);
    BringWindowToTop(page);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    InitCommonControls();
    if (__argc < 2)
        return 2;
    const int templateId = std::atoi(__argv[1]);
    const int pageIndex = __argc > 2 ? std::atoi(__argv[2]) : 0;

    HWND host =
        CreateWindowA("Static", "Oriscope - Brask (c)", WS_DLGFRAME | WS_SYSMENU | WS_MINIMIZEBOX,
                      20, 20, 100, 100, nullptr, nullptr, instance, nullptr);
    HWND dialog =
        CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), host, PreviewDialogProc, 0);
    if (dialog == nullptr)
        return 1;

    if (GetWindowLongA(dialog, GWL_STYLE) & WS_CHILD) {
        RECT frame{};
        GetWindowRect(dialog, &frame);
        OffsetRect(&frame, -frame.left, -frame.top);
        AdjustWindowRect(&frame, GetWindowLongA(host, GWL_STYLE), FALSE);
        MoveWindow(host, 20, 20, frame.right - frame.left, frame.bottom - frame.top, TRUE);
        ShowWindow(dialog, SW_SHOW);
        ShowWindow(host, SW_SHOW);
    } else {
        const auto pages = PagesOf(templateId);
        if (!pages.empty() && pageIndex >= 0 && pageIndex < static_cast<int>(pages.size())) {
            ShowPage(dialog, pages, pageIndex);
        }
        SetWindowPos(dialog, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE);
        ShowWindow(dialog, SW_SHOW);
    }

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return 0;
}
