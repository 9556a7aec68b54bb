#include "winlib/CFrameWindow.h"

#include "winlib/CApplication.h"
#include "winlib/DebugMessage.h"

int CFrameWindow::CreateFrame(const char* className, const char* title, DWORD style,
                              const CRectangle* rectangle, CBasicWindow* parent,
                              const char* menuName, DWORD exStyle, CViewWindow* view) {
    CApplication* app = CApplication::Instance();
    m_parent = parent;
    if (m_parent == nullptr && app != nullptr && app->MainWindow() != this) {
        m_parent = app->MainWindow();
    }
    if (menuName != nullptr) {
        m_menu =
            LoadMenuA(app != nullptr ? app->InstanceHandle() : GetModuleHandleA(nullptr), menuName);
        if (m_menu == nullptr) {
            DebugMessage("Fehler beim laden der Frame-Window-Menu-Resource.", 0);
        }
    }
    int x = CW_USEDEFAULT;
    int y = 0;
    int width = CW_USEDEFAULT;
    int height = 0;
    if (rectangle != nullptr) {
        x = rectangle->left;
        y = rectangle->top;
        width = rectangle->Width();
        height = rectangle->Height();
    }
    if (!CreateBoundWindow(exStyle, className ? className : "Brask32FrameOrViewWindow", title,
                           style | WS_CLIPCHILDREN, x, y, width, height,
                           m_parent != nullptr ? m_parent->Handle() : nullptr, m_menu, view)) {
        if (m_hwnd == nullptr && m_menu != nullptr) {
            DestroyMenu(m_menu);
            m_menu = nullptr;
        }
        DebugMessage("Fehler bei Erzeugung eines Framewindows.", 0);
        return 0;
    }
    return 1;
}
