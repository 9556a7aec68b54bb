// Classes: Menu.
//
// A window's menu, its items reached by command identifier in any submenu.
// The menu belongs to its window, which destroys it; this class never does.
#pragma once

#include <windows.h>

#include <string>

namespace tbx {

class Menu {
public:
    // Binds to the menu of `window`; false when the window has none.
    bool AttachToWindow(HWND window);

    HMENU Handle() const { return menu_; }

    // Enabled, or disabled and greyed.
    bool SetItemEnabled(UINT command, bool enabled);
    // Gives the item a new text; it keeps its command identifier.
    bool SetItemText(UINT command, const std::string& text);

private:
    HMENU menu_ = nullptr;
};

}  // namespace tbx
