#include "winlib/CViewWindow.h"

int CViewWindow::CreateInFrame(CBasicWindow* frame, const CRectangle* rectangle) {
    return CreateChild("Brask32FrameOrViewWindow", nullptr, WS_VISIBLE, rectangle, frame, nullptr,
                       nullptr, 0);
}

// A paint may nest (a handler that updates another part of the view), so the outer paint's
// DC and paint information are kept and put back.
LRESULT CViewWindow::OnPaint() {
    const HDC savedDC = m_paintDC;
    const PAINTSTRUCT savedPaint = m_paint;
    m_paintDC = BeginPaint(m_hwnd, &m_paint);
    if (m_externalDC == nullptr && m_paintDC != nullptr) {
        OnDraw();
    }
    EndPaint(m_hwnd, &m_paint);
    m_paintDC = savedDC;
    m_paint = savedPaint;
    return 0;
}
