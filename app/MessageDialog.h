// Classes: MessageDialog
//
// The program's message box (dialog 106): every message and question to the
// user goes through ShowMessageDialog.
#pragma once

#include "winlib/CDialog.h"

class MessageDialog : public CDialog {
public:
    // `title` may be null ("Message"); both texts must outlive the dialog.
    MessageDialog(const char* text, const char* title, bool cancelAllowed, CBasicWindow* parent);

    int AfterInitDialog() override;

private:
    const char* m_title;
    const char* m_text;
    bool m_cancelAllowed;
};

// Runs the message dialog modally on the calling thread. A null parent means
// the main window. Lines of `text` end in "\r\r\n". 1 for "OK", 0 for
// "Cancel" or the close box.
int ShowMessageDialog(const char* text, const char* title, bool cancelAllowed,
                      CBasicWindow* parent);
