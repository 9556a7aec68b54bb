// Classes: CStatusBar
//
// A child bar docked to one edge of its parent. When the parent lays out its
// client area, the bar takes its thickness from that edge; a hidden bar takes
// nothing, and showing or hiding it lays the parent out again.
#pragma once

#include "winlib/CBasicWindow.h"

class CStatusBar : public CBasicWindow {
public:
    enum DockSide { kTop = 1, kRight = 2, kLeft = 3, kBottom = 4 };

    CStatusBar() = default;

    // --- Overridables -------------------------------------------------------
    // A line on the edge that faces the parent's remaining area.
    virtual void DrawSeparator();
    virtual void DrawContents(HDC /*dc*/) {}

    void NotifyChildClick() override;
    LRESULT DockInParent() override;
    LRESULT OnPaint() override;
    LRESULT OnShowWindow() override;

    bool Visible() const { return m_visible; }
    int Side() const { return m_side; }
    int Thickness() const { return m_thickness; }
    void SetThickness(int thickness) { m_thickness = thickness; }

protected:
    HDC m_paintDC = nullptr;
    PAINTSTRUCT m_paint{};
    bool m_visible = false;
    int m_side = kBottom;
    int m_thickness = 0;
};
