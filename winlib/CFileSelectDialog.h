// Classes: CFileSelectDialog
//
// The system's open or save file dialog. With OFN_EXPLORER its hook window
// reaches this object through FileDialogHookProc (it is neither subclassed nor
// bound at index 8). Unlike other dialogs the object does not delete itself:
// the system still writes to its record after the hook window has ended, so
// it lives on the stack or with its owner.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include "winlib/CDialog.h"

// Hook procedure of explorer-style file dialogs.
UINT_PTR CALLBACK FileDialogHookProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);

class CFileSelectDialog : public CDialog {
public:
    CFileSelectDialog() { m_autoDelete = false; }

    // --- Overridables -------------------------------------------------------
    // Fills the dialog record. Without an owner the main window owns the dialog.
    virtual int SetupFileDialog(int open, char* fileBuffer, int bufferSize, const char* title,
                                const char* defaultExtension, DWORD flags, const char* filters,
                                CBasicWindow* owner, const char* initialDirectory);
    virtual OPENFILENAMEA* Record() { return &m_record; }

    // Runs the dialog; non-zero when the user chose a file (then in the file buffer).
    // 0 at once while another file dialog runs on this thread.
    INT_PTR ShowFileDialog();

    using CDialog::SetTemplate;
    // Templates are the system's: not supported.
    int SetTemplate(int templateId, CBasicWindow* parent) override;
    INT_PTR DoModal() override { return ShowFileDialog(); }
    int DoModeless() override { return 0; }
    CBasicWindow* Control(int id) override;

    LRESULT DefaultProcess() override { return 0; }
    LRESULT OnCommand() override { return DefaultProcess(); }
    LRESULT OnSizeInner() override;
    LRESULT OnNotify() override;
    LRESULT OnNcDestroyInner() override;
    LRESULT OnInitDialog() override;

private:
    // Centres the explorer dialog over the owner, once per run.
    void CentreFileDialog();

    friend UINT_PTR CALLBACK FileDialogHookProc(HWND, UINT, WPARAM, LPARAM);

    OPENFILENAMEA m_record{};
    bool m_open = false;
    bool m_centred = false;
};
