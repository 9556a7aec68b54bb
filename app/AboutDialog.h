// Classes: AboutDialog
//
// "About this program" (dialog 100): the program's name, version and notice.
#pragma once

#include "winlib/CDialog.h"

class AboutDialog : public CDialog {
public:
    explicit AboutDialog(CBasicWindow* parent);

    int AfterInitDialog() override;

    // The text of the dialog's edit field.
    static const char* Text();
};
