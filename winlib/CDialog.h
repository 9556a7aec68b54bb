// Classes: CDialog
//
// A modal or modeless dialog made from a dialog template. GlobalDialogProc
// binds the dialog window to its object at its first message and subclasses
// it, so that every later message goes through Dispatch like any library
// window. OnOK and OnCancel decide whether the dialog may end.
#pragma once

#include "winlib/CBasicWindow.h"

class CDialog : public CBasicWindow {
public:
    CDialog() = default;
    CDialog(int templateId, CBasicWindow* parent) { SetTemplate(templateId, parent); }
    ~CDialog() override;

    // --- Overridables -------------------------------------------------------
    // Centres this page in the display area of its parent's tab control.
    virtual void CenterInTab(int tabControlId);
    virtual void SetCenterOnParent(int centre) { m_centreOnParent = centre != 0; }
    // Enables or disables the library's top-level windows owned by the parent.
    virtual void EnableOwnedWindows(int enable);
    // A template by name, or MAKEINTRESOURCE of an id.
    virtual int SetTemplate(const char* templateName, CBasicWindow* parent);
    virtual int SetTemplate(int templateId, CBasicWindow* parent);
    // Runs the dialog; returns the value given to EndDialog (-1 when it cannot be created).
    // The object deletes itself when its window ends: do not touch it afterwards.
    virtual INT_PTR DoModal();
    virtual int DoModeless();
    virtual int IsModal() { return m_modal ? 1 : 0; }
    // The one wrapper of this dialog, pointed at the control; use it at once.
    virtual CBasicWindow* Control(int id);
    // 0 keeps the dialog open.
    virtual int OnOK() { return 1; }
    virtual int OnCancel(int /*notificationCode*/) { return 1; }
    // Called at the end of WM_INITDIALOG; the result is WM_INITDIALOG's.
    virtual int AfterInitDialog() { return 1; }

    LRESULT DefaultProcess() override { return DialogDefaultProcess(); }
    int PreTranslate(MSG* message) override;
    LRESULT OnCommand() override;
    LRESULT OnNcDestroyInner() override;
    LRESULT OnInitDialog() override;

    const char* Template() const { return m_template; }

protected:
    // Moves a window to the middle of the parent's window rectangle, kept on the desktop.
    void CentreOverParent(HWND window);
    // Ends a modal dialog with the value, destroys a modeless one.
    void EndWith(INT_PTR value);

    bool m_modal = false;
    bool m_centreOnParent = true;
    CBasicWindow m_control;
    const char* m_template = nullptr;
};
