#include "tracebox/EditControl.h"

namespace tbx {

bool EditControl::Attach(HWND dialog, int id) {
    hwnd_ = GetDlgItem(dialog, id);
    id_ = hwnd_ != nullptr ? id : 0;
    return hwnd_ != nullptr;
}

bool EditControl::SetText(const std::string& text) {
    return hwnd_ != nullptr && SetWindowTextA(hwnd_, text.c_str()) != FALSE;
}

}  // namespace tbx
