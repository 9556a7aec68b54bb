// Classes: CFormView
//
// A dialog template shown as the view of a frame (the main window is one).
// The form keeps the size of its template and the frame is fitted around it.
#pragma once

#include "winlib/CViewWindow.h"

class CFormView : public CViewWindow {
public:
    explicit CFormView(int templateId = 0) : m_templateId(templateId) {}
    ~CFormView() override;

    // --- Overridables -------------------------------------------------------
    virtual void SetTemplateId(int templateId) { m_templateId = templateId; }
    // The one wrapper of this form, pointed at the control; use it at once.
    virtual CBasicWindow* Control(int id);
    virtual void SetSizeFrameToForm(int fit) { m_sizeFrameToForm = fit != 0; }

    // Creates the form as a child dialog of the frame (the rectangle is not used).
    int CreateInFrame(CBasicWindow* frame, const CRectangle* rectangle) override;
    // With 0 (the frame is being deactivated) remembers a focus inside the form.
    int DeactivationNotice(int active) override;
    int FocusRestore() override;
    LRESULT DefaultProcess() override { return DialogDefaultProcess(); }
    int PreTranslate(MSG* message) override;
    LRESULT OnMouseActivate() override;

    HWND RememberedFocus() const { return m_focus; }

protected:
    int m_templateId;
    CBasicWindow m_control;
    HWND m_focus = nullptr;
    bool m_sizeFrameToForm = true;
};
