#include "winlib/CFormView.h"

#include "winlib/CApplication.h"
#include "winlib/DebugMessage.h"

// The wrapper never owns the control it last pointed at.
CFormView::~CFormView() {
    m_control.WrapHandle(nullptr);
}

CBasicWindow* CFormView::Control(int id) {
    m_control.SetAutoDelete(false);
    m_control.WrapHandle(GetDlgItem(m_hwnd, id));
    m_control.SetParent(this);
    return &m_control;
}

int CFormView::CreateInFrame(CBasicWindow* frame, const CRectangle* /*rectangle*/) {
    m_parent = frame;
    CApplication* app = CApplication::Instance();
    SetObjectBeingCreated(this);
    const HWND frameHandle = frame != nullptr ? frame->Handle() : nullptr;
    HWND form =
        CreateDialogParamA(app != nullptr ? app->InstanceHandle() : GetModuleHandleA(nullptr),
                           MAKEINTRESOURCEA(m_templateId), frameHandle, GlobalDialogProc, 0);
    ForgetObjectBeingCreated(this);
    if (form == nullptr) {
        DebugMessage("Fehler bei CreateDialog in CFormView::Create().", 0);
        return 0;
    }
    const HWND focus = GetFocus();
    if (focus != nullptr && IsChild(form, focus)) {
        m_focus = focus;
    }
    if (m_sizeFrameToForm && frameHandle != nullptr) {
        RECT size;
        GetWindowRect(form, &size);
        const LONG frameStyle = GetWindowLongA(frameHandle, GWL_STYLE);
        const BOOL hasMenu = (frameStyle & WS_CHILD) == 0 && GetMenu(frameHandle) != nullptr;
        AdjustWindowRect(&size, static_cast<DWORD>(frameStyle), hasMenu);
        RECT frameRect;
        GetWindowRect(frameHandle, &frameRect);
        POINT corner{frameRect.left, frameRect.top};
        // Only a child frame lives in its parent's client coordinates; a top-level frame's
        // owner is no coordinate system for it.
        if ((frameStyle & WS_CHILD) != 0) {
            ScreenToClient(GetParent(frameHandle), &corner);
        }
        MoveWindow(frameHandle, corner.x, corner.y, size.right - size.left, size.bottom - size.top,
                   TRUE);
    }
    ShowWindow(form, SW_SHOWNORMAL);
    return 1;
}

int CFormView::DeactivationNotice(int active) {
    if (active != 0) {
        return active;
    }
    const HWND focus = GetFocus();
    if (focus != nullptr && IsChild(m_hwnd, focus)) {
        m_focus = focus;
        return 1;
    }
    return 0;
}

int CFormView::FocusRestore() {
    if (m_focus != nullptr) {
        ::SetFocus(m_focus);
    }
    return 1;
}

// Ctrl+key is left to normal translation so that the frame's accelerators still work.
int CFormView::PreTranslate(MSG* message) {
    if (message->message == WM_KEYDOWN && GetAsyncKeyState(VK_CONTROL) < 0) {
        return 0;
    }
    return m_hwnd != nullptr && IsDialogMessageA(m_hwnd, message) ? 1 : 0;
}

// Controls that send no parent notification still let the frame know about a click.
LRESULT CFormView::OnMouseActivate() {
    POINT cursor;
    GetCursorPos(&cursor);
    const HWND under = WindowFromPoint(cursor);
    if (under != nullptr && IsChild(m_hwnd, under) &&
        (GetWindowLongA(under, GWL_EXSTYLE) & WS_EX_NOPARENTNOTIFY) != 0 && m_parent != nullptr) {
        m_parent->NotifyChildClick();
    }
    return DefaultProcess();
}
