// Classes: ViewSizeDialog
//
// "Set Viewsize" (dialog 112): asks for a camera view's client size.
#pragma once

#include <cstdint>

#include "winlib/CDialog.h"

class ViewSizeDialog : public CDialog {
public:
    static constexpr long kMaximumWidth = 4000;
    static constexpr long kMaximumHeight = 3000;

    // Works on the caller's pair; it holds the entered size only after result 1.
    ViewSizeDialog(std::int32_t* width, std::int32_t* height, CBasicWindow* parent);

    int AfterInitDialog() override;
    // Keeps the dialog open until both numbers are in range.
    int OnOK() override;

private:
    std::int32_t* m_width;
    std::int32_t* m_height;
};
