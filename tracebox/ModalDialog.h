// Classes: ModalDialog.
//
// A modal dialog from a dialog template. The object travels into the dialog
// with WM_INITDIALOG and is kept in the window's DWLP_USER bytes; every later
// message reaches the overridables below.
#pragma once

#include <windows.h>

namespace tbx {

class ModalDialog {
public:
    explicit ModalDialog(int templateId) : templateId_(templateId) {}
    virtual ~ModalDialog() = default;
    ModalDialog(const ModalDialog&) = delete;
    ModalDialog& operator=(const ModalDialog&) = delete;

    // Runs the dialog until EndDialog; returns the code given to it, or -1
    // when the dialog could not be created (GetLastError tells why).
    INT_PTR DoModal(HINSTANCE instance, HWND owner = nullptr);

    HWND Handle() const { return hwnd_; }
    void EndDialog(INT_PTR result);

protected:
    // Overridables.
    // Returns true to let the system give the focus to the first control.
    virtual bool OnInitDialog() { return true; }
    // Returns true when the command was handled; IDOK and IDCANCEL that are
    // not handled here go to OnOK and OnCancel.
    virtual bool OnCommand(WORD id, WORD notifyCode, HWND control);
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // Any other message: return true and set result when handled.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    int templateId_;
    HWND hwnd_ = nullptr;
};

}  // namespace tbx
