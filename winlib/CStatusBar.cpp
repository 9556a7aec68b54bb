#include "winlib/CStatusBar.h"

void CStatusBar::NotifyChildClick() {
    if (m_parent != nullptr) {
        m_parent->NotifyChildClick();
    }
}

// The parent's client rectangle has already lost the edges of the bars before this one in
// child window order, so bars on the same edge stack outwards-in.
LRESULT CStatusBar::DockInParent() {
    if (m_parent == nullptr || !m_visible) {
        return 0;
    }
    CRectangle& client = m_parent->ClientRectangle();
    CRectangle place = client;
    switch (m_side) {
        case kTop:
            place.bottom = place.top + m_thickness;
            client.top += m_thickness;
            break;
        case kRight:
            place.left = place.right - m_thickness;
            client.right -= m_thickness;
            break;
        case kLeft:
            place.right = place.left + m_thickness;
            client.left += m_thickness;
            break;
        case kBottom:
            place.top = place.bottom - m_thickness;
            client.bottom -= m_thickness;
            break;
        default:
            return 0;
    }
    MoveWindow(m_hwnd, place.left, place.top, place.Width(), place.Height(), TRUE);
    return 0;
}

// WM_SHOWWINDOW arrives before the change; the flag, not the window state, decides docking.
LRESULT CStatusBar::OnShowWindow() {
    m_visible = WParam() != 0;
    if (m_parent != nullptr && m_parent->Handle() != nullptr) {
        m_parent->Relayout();
    }
    return DefaultProcess();
}

LRESULT CStatusBar::OnPaint() {
    m_paintDC = BeginPaint(m_hwnd, &m_paint);
    if (m_paintDC != nullptr) {
        DrawSeparator();
        DrawContents(m_paintDC);
    }
    EndPaint(m_hwnd, &m_paint);
    return 0;
}

void CStatusBar::DrawSeparator() {
    RECT client;
    GetClientRect(m_hwnd, &client);
    HGDIOBJ previous = SelectObject(m_paintDC, GetStockObject(BLACK_PEN));
    POINT from{};
    POINT to{};
    switch (m_side) {
        case kTop:
            from = {client.left, client.bottom - 1};
            to = {client.right, client.bottom - 1};
            break;
        case kRight:
            from = {client.left, client.top};
            to = {client.left, client.bottom};
            break;
        case kLeft:
            from = {client.right - 1, client.top};
            to = {client.right - 1, client.bottom};
            break;
        default:
            from = {client.left, client.top};
            to = {client.right, client.top};
            break;
    }
    MoveToEx(m_paintDC, from.x, from.y, nullptr);
    LineTo(m_paintDC, to.x, to.y);
    SelectObject(m_paintDC, previous);
}
