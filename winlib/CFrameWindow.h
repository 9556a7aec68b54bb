// Classes: CFrameWindow
//
// A top-level window with an optional menu and one attached view that fills
// its client area, less the bars docked to its edges.
#pragma once

#include "winlib/CBasicWindow.h"

class CFrameWindow : public CBasicWindow {
public:
    CFrameWindow() = default;

    // --- Overridables -------------------------------------------------------
    // Creates the frame window and its view. Without a parent, a frame other than the main
    // window is owned by the main window.
    virtual int CreateFrame(const char* className, const char* title, DWORD style,
                            const CRectangle* rectangle, CBasicWindow* parent, const char* menuName,
                            DWORD exStyle, CViewWindow* view);

    HMENU Menu() const { return m_menu; }

protected:
    HMENU m_menu = nullptr;
};
