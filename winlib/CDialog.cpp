#include "winlib/CDialog.h"

#include "winlib/CApplication.h"
#include "winlib/DebugMessage.h"

namespace {

HINSTANCE ApplicationInstance() {
    CApplication* app = CApplication::Instance();
    return app != nullptr ? app->InstanceHandle() : GetModuleHandleA(nullptr);
}

}  // namespace

// The wrapper never owns the control it last pointed at.
CDialog::~CDialog() {
    m_control.WrapHandle(nullptr);
}

// Before the subclassing this procedure binds the dialog; afterwards the dialog's own
// procedure calls it back from default processing, and it only handles the two messages the
// dialog manager expects from a dialog procedure.
INT_PTR CALLBACK GlobalDialogProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!CBasicWindow::IsLibraryWindow(handle)) {
        CBasicWindow* object = CBasicWindow::ObjectBeingCreated();
        if (object == nullptr) {
            if (message == WM_SETFONT || message == WM_INITDIALOG) {
                DebugMessage("GlobalDialogProc-Aufruf ohne C-Objekt.", 0);
            }
            return 0;
        }
        object->BindDialog(handle);
    }
    if (message != WM_SETFONT && message != WM_INITDIALOG) {
        return 0;
    }
    CBasicWindow* object = CBasicWindow::ObjectOf(handle);
    if (object == nullptr) {
        return 0;
    }
    return object->DispatchTo(
        message, wParam, lParam,
        message == WM_SETFONT ? &CBasicWindow::OnSetFont : &CBasicWindow::OnInitDialog);
}

int CDialog::SetTemplate(const char* templateName, CBasicWindow* parent) {
    m_template = templateName;
    m_parent = parent;
    return 1;
}

int CDialog::SetTemplate(int templateId, CBasicWindow* parent) {
    m_template = MAKEINTRESOURCEA(static_cast<WORD>(templateId));
    m_parent = parent;
    return 1;
}

INT_PTR CDialog::DoModal() {
    if (m_template == nullptr) {
        return 0;
    }
    SetObjectBeingCreated(this);
    m_modal = true;
    EnableOwnedWindows(0);
    const HWND owner = m_parent != nullptr ? m_parent->Handle() : nullptr;
    // The object may be gone when DialogBoxParamA returns; only the handover is cleared.
    CBasicWindow* self = this;
    const INT_PTR result =
        DialogBoxParamA(ApplicationInstance(), m_template, owner, GlobalDialogProc, 0);
    ForgetObjectBeingCreated(self);
    return result;
}

int CDialog::DoModeless() {
    if (m_template == nullptr) {
        return 0;
    }
    SetObjectBeingCreated(this);
    m_modal = false;
    const HWND owner = m_parent != nullptr ? m_parent->Handle() : nullptr;
    HWND handle = CreateDialogParamA(ApplicationInstance(), m_template, owner, GlobalDialogProc, 0);
    ForgetObjectBeingCreated(this);
    if (handle == nullptr) {
        DebugMessage("Fehler beim Erzeugen des Dialogs in CDialog::DoModeless()", 0);
        return 0;
    }
    return 1;
}

CBasicWindow* CDialog::Control(int id) {
    m_control.SetAutoDelete(false);
    m_control.WrapHandle(GetDlgItem(m_hwnd, id));
    m_control.SetParent(this);
    return &m_control;
}

int CDialog::PreTranslate(MSG* message) {
    return m_hwnd != nullptr && IsDialogMessageA(m_hwnd, message) ? 1 : 0;
}

// Only a command from a control (lParam set) can end the dialog: Escape in a dialog without
// a Cancel button, a menu or an accelerator reaches OnMenuCommand.
LRESULT CDialog::OnCommand() {
    if (LParam() == 0) {
        return OnMenuCommand(WParamLow());
    }
    const int id = WParamLow();
    if (id == IDOK) {
        if (!OnOK()) {
            return 0;
        }
        EndWith(1);
        return 0;
    }
    if (id == IDCANCEL) {
        if (!OnCancel(WParamHigh())) {
            return 0;
        }
        EndWith(0);
        return 0;
    }
    return OnControlCommand(reinterpret_cast<HWND>(LParam()), id, WParamHigh());
}

void CDialog::EndWith(INT_PTR value) {
    if (m_modal) {
        EndDialog(m_hwnd, value);
    } else {
        DestroyWindow(m_hwnd);
    }
}

LRESULT CDialog::OnNcDestroyInner() {
    if (m_modal) {
        EnableOwnedWindows(1);
    }
    return DefaultProcess();
}

LRESULT CDialog::OnInitDialog() {
    if (m_centreOnParent && m_parent != nullptr && m_parent->Handle() != nullptr) {
        CentreOverParent(m_hwnd);
    }
    return AfterInitDialog();
}

// Centred over the parent's window, but kept on the desktop; a window larger than the
// desktop goes to its top-left corner.
void CDialog::CentreOverParent(HWND window) {
    RECT parent;
    GetWindowRect(m_parent->Handle(), &parent);
    RECT own;
    GetWindowRect(window, &own);
    const long width = own.right - own.left;
    const long height = own.bottom - own.top;
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    POINT corner;
    corner.x = (parent.left + parent.right) / 2 - width / 2;
    corner.y = (parent.top + parent.bottom) / 2 - height / 2;
    if (corner.x + width > desktop.right) {
        corner.x = desktop.right - width;
    }
    if (corner.y + height > desktop.bottom) {
        corner.y = desktop.bottom - height;
    }
    if (corner.x < 0) {
        corner.x = 0;
    }
    if (corner.y < 0) {
        corner.y = 0;
    }
    if ((GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0) {
        ScreenToClient(m_parent->Handle(), &corner);
    }
    MoveWindow(window, corner.x, corner.y, width, height, FALSE);
}

// Owned windows lie above their owner in the z-order. The dialog's parent itself is disabled
// by the dialog manager.
void CDialog::EnableOwnedWindows(int enable) {
    if (m_parent == nullptr || m_parent->Handle() == nullptr) {
        return;
    }
    const HWND owner = m_parent->Handle();
    for (HWND window = GetWindow(owner, GW_HWNDPREV); window != nullptr;
         window = GetWindow(window, GW_HWNDPREV)) {
        if (IsWindow(window) && IsLibraryWindow(window) &&
            (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) == 0 &&
            GetWindow(window, GW_OWNER) == owner) {
            EnableWindow(window, enable);
        }
    }
}

// A page of a tab dialog sits in the middle of the tab control's display area.
void CDialog::CenterInTab(int tabControlId) {
    if (m_parent == nullptr) {
        return;
    }
    const HWND parent = m_parent->Handle();
    const HWND tab = GetDlgItem(parent, tabControlId);
    if (tab == nullptr) {
        return;
    }
    RECT area;
    GetWindowRect(tab, &area);
    SendMessageA(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    POINT topLeft{area.left, area.top};
    ScreenToClient(parent, &topLeft);
    RECT page;
    GetClientRect(m_hwnd, &page);
    const long areaWidth = area.right - area.left;
    const long areaHeight = area.bottom - area.top;
    MoveWindow(m_hwnd, topLeft.x + (areaWidth - page.right) / 2,
               topLeft.y + (areaHeight - page.bottom) / 2, page.right, page.bottom, FALSE);
}
