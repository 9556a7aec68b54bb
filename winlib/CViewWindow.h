// Classes: CViewWindow
//
// The one view that fills a frame's client area, less the docked bars. Its
// paint handler calls OnDraw with the paint DC; the frame tells it about
// activation and focus.
#pragma once

#include "winlib/CBasicWindow.h"

class CViewWindow : public CBasicWindow {
public:
    CViewWindow() = default;

    // --- Overridables -------------------------------------------------------
    // While an external DC is set, painting draws nothing.
    virtual int SetExternalDC(HDC dc) {
        m_externalDC = dc;
        return 1;
    }
    virtual int ClearExternalDC() {
        m_externalDC = nullptr;
        return 1;
    }
    virtual int HasExternalDC() { return m_externalDC != nullptr ? 1 : 0; }
    // The DC to draw on: the external one when set, else the paint DC.
    virtual HDC DrawingDC() { return m_externalDC != nullptr ? m_externalDC : m_paintDC; }
    virtual void SetPaintDC(HDC dc) { m_paintDC = dc; }
    // Creates the view's window as a visible child of the frame.
    virtual int CreateInFrame(CBasicWindow* frame, const CRectangle* rectangle);
    // Draws the client area on the paint DC; called while WM_PAINT is handled.
    virtual void OnDraw() {}
    virtual int ActivationNotice(int /*active*/) { return 0; }
    virtual int DeactivationNotice(int /*active*/) { return 0; }
    virtual int FocusRestore() { return 0; }

    LRESULT OnPaint() override;

protected:
    HDC m_paintDC = nullptr;
    HDC m_externalDC = nullptr;
    PAINTSTRUCT m_paint{};
};
