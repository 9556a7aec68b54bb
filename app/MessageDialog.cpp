#include "app/MessageDialog.h"

#include "app/MainFrame.h"
#include "resources/resource.h"

MessageDialog::MessageDialog(const char* text, const char* title, bool cancelAllowed,
                             CBasicWindow* parent)
    : CDialog(IDD_MESSAGE, parent), m_title(title), m_text(text), m_cancelAllowed(cancelAllowed) {}

int MessageDialog::AfterInitDialog() {
    SetText(m_title != nullptr ? m_title : "Message");
    Control(IDC_MESSAGE_TEXT)->SetText(m_text != nullptr ? m_text : "");
    if (!m_cancelAllowed) {
        Control(IDCANCEL)->Enable(FALSE);
    }
    Control(IDOK)->SetFocus();
    // The focus is set here, not by the dialog manager.
    return 0;
}

int ShowMessageDialog(const char* text, const char* title, bool cancelAllowed,
                      CBasicWindow* parent) {
    if (parent == nullptr) {
        parent = MainFramePointer();
        if (parent != nullptr && parent->Handle() == nullptr) {
            parent = nullptr;
        }
    }
    // The dialog deletes itself when its window is gone.
    auto* dialog = new MessageDialog(text, title, cancelAllowed, parent);
    return dialog->DoModal() == 1 ? 1 : 0;
}
