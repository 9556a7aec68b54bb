// Classes: CControlWindow
//
// A window object that always takes its window with it: the window is
// destroyed while the derived object is still whole.
#pragma once

#include "winlib/CBasicWindow.h"

class CControlWindow : public CBasicWindow {
public:
    CControlWindow() = default;
    ~CControlWindow() override;
};
