#include "tracebox/Menu.h"

namespace tbx {

bool Menu::AttachToWindow(HWND window) {
    menu_ = GetMenu(window);
    return menu_ != nullptr;
}

bool Menu::SetItemEnabled(UINT command, bool enabled) {
    UINT flags = MF_BYCOMMAND | (enabled ? MF_ENABLED : (MF_DISABLED | MF_GRAYED));
    // EnableMenuItem answers with the previous state, or -1 for no such item.
    return menu_ != nullptr && EnableMenuItem(menu_, command, flags) != -1;
}

bool Menu::SetItemText(UINT command, const std::string& text) {
    return menu_ != nullptr &&
           ModifyMenuA(menu_, command, MF_BYCOMMAND | MF_STRING, command, text.c_str()) != FALSE;
}

}  // namespace tbx
