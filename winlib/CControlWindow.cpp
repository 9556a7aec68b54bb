#include "winlib/CControlWindow.h"

// Destroyed here rather than in the base destructor, so that the window's last messages still
// reach the derived handlers; the window's end must not delete the object a second time.
CControlWindow::~CControlWindow() {
    if (m_hwnd != nullptr) {
        m_autoDelete = false;
        DestroyWindow(m_hwnd);
    }
}
