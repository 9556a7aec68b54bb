// Classes: EditControl.
//
// An edit control of a dialog, reached by its control identifier.
#pragma once

#include <windows.h>

#include <string>

namespace tbx {

class EditControl {
public:
    // Binds to control `id` of `dialog`; false when the dialog has no such control.
    bool Attach(HWND dialog, int id);

    HWND Handle() const { return hwnd_; }
    int Id() const { return id_; }

    // Replaces the whole text; false when the control refused it.
    bool SetText(const std::string& text);

private:
    HWND hwnd_ = nullptr;
    int id_ = 0;
};

}  // namespace tbx
