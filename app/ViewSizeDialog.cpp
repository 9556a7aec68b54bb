#include "app/ViewSizeDialog.h"

#include "resources/resource.h"

ViewSizeDialog::ViewSizeDialog(std::int32_t* width, std::int32_t* height, CBasicWindow* parent)
    : CDialog(IDD_VIEW_SIZE, parent), m_width(width), m_height(height) {}

int ViewSizeDialog::AfterInitDialog() {
    Control(IDC_VIEW_WIDTH)->SetIntText(*m_width);
    Control(IDC_VIEW_HEIGHT)->SetIntText(*m_height);
    return 1;
}

int ViewSizeDialog::OnOK() {
    long width = 0;
    if (!Control(IDC_VIEW_WIDTH)->CheckIntRange(1, kMaximumWidth, &width)) {
        return 0;
    }
    long height = 0;
    if (!Control(IDC_VIEW_HEIGHT)->CheckIntRange(1, kMaximumHeight, &height)) {
        return 0;
    }
    *m_width = static_cast<std::int32_t>(width);
    *m_height = static_cast<std::int32_t>(height);
    return 1;
}
