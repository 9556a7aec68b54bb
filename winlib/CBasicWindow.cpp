#include "winlib/CBasicWindow.h"

#include <cstdio>
#include <cstring>

#include "winlib/CApplication.h"
#include "winlib/CViewWindow.h"
#include "winlib/DebugMessage.h"

namespace {

// Several threads create windows; each hands its own object to its own first message.
thread_local CBasicWindow* t_objectBeingCreated = nullptr;

// Reads "-?[0-9]+" into a long; fails on anything else and on overflow.
int ParseInteger(const char* text, long* result) {
    const char* p = text;
    const bool negative = (*p == '-');
    if (negative) {
        ++p;
    }
    if (*p == '\0') {
        return 0;
    }
    unsigned long magnitude = 0;
    const unsigned long limit = negative ? 2147483648UL : 2147483647UL;
    for (; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9') {
            return 0;
        }
        const unsigned long digit = static_cast<unsigned long>(*p - '0');
        if (magnitude > (limit - digit) / 10) {
            return 0;
        }
        magnitude = magnitude * 10 + digit;
    }
    *result = negative ? static_cast<long>(0UL - magnitude) : static_cast<long>(magnitude);
    return 1;
}

}  // namespace

CBasicWindow::CBasicWindow() {
    m_minimumSize.Clear();
    m_maximumSize.Clear();
}

// Deleting an object whose window still exists ends the window first.
CBasicWindow::~CBasicWindow() {
    if (m_hwnd != nullptr) {
        // The window's end must not delete this object a second time.
        m_autoDelete = false;
        DestroyWindow(m_hwnd);
    }
}

void CBasicWindow::SetObjectBeingCreated(CBasicWindow* object) {
    t_objectBeingCreated = object;
}

CBasicWindow* CBasicWindow::ObjectBeingCreated() {
    return t_objectBeingCreated;
}

void CBasicWindow::ForgetObjectBeingCreated(CBasicWindow* object) {
    if (t_objectBeingCreated == object) {
        t_objectBeingCreated = nullptr;
    }
}

bool CBasicWindow::IsLibraryWindow(HWND handle) {
    return handle != nullptr &&
           GetWindowLongA(handle, GWL_WNDPROC) == reinterpret_cast<LONG>(BasicWindowProc);
}

CBasicWindow* CBasicWindow::ObjectOf(HWND handle) {
    return reinterpret_cast<CBasicWindow*>(GetWindowLongA(handle, kObjectIndex));
}

void CBasicWindow::Bind(HWND handle) {
    SetWindowLongA(handle, kObjectIndex, reinterpret_cast<LONG>(this));
    m_hwnd = handle;
}

// A dialog window starts with the dialog manager's procedure; from here on it runs through
// BasicWindowProc like any library window, and default processing goes back to that procedure.
void CBasicWindow::BindDialog(HWND handle) {
    m_previousProc = reinterpret_cast<WNDPROC>(
        SetWindowLongA(handle, GWL_WNDPROC, reinterpret_cast<LONG>(BasicWindowProc)));
    Bind(handle);
    if (m_parent == nullptr) {
        if (CApplication* app = CApplication::Instance()) {
            m_parent = app->MainWindow();
        }
    }
    SetWindowLongA(handle, GWL_STYLE, GetWindowLongA(handle, GWL_STYLE) | DS_3DLOOK);
    RECT client;
    GetClientRect(handle, &client);
    m_clientRect.Set(client);
    ForgetObjectBeingCreated(this);
}

LRESULT CALLBACK BasicWindowProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (CBasicWindow* object = CBasicWindow::ObjectOf(handle)) {
        return object->Dispatch(message, wParam, lParam);
    }
    if (CBasicWindow* object = CBasicWindow::ObjectBeingCreated()) {
        CBasicWindow::SetObjectBeingCreated(nullptr);
        object->Bind(handle);
        return object->Dispatch(message, wParam, lParam);
    }
    return DefWindowProcA(handle, message, wParam, lParam);
}

LRESULT CBasicWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    return DispatchTo(message, wParam, lParam, &CBasicWindow::HandleCurrentMessage);
}

// The saved record lets a handler send to its own window and still find its own message
// afterwards; deleting only at depth 0 lets a handler destroy its own window safely.
LRESULT CBasicWindow::DispatchTo(UINT message, WPARAM wParam, LPARAM lParam,
                                 LRESULT (CBasicWindow::*handler)()) {
    const MessageRecord saved = m_current;
    m_current = MessageRecord{message, wParam, lParam};
    ++m_dispatchDepth;
    const LRESULT result = (this->*handler)();
    m_current = saved;
    --m_dispatchDepth;
    if (m_deletePending && m_dispatchDepth == 0) {
        delete this;
    }
    return result;
}

// The dispatch table: one handler per message, every other message to OnUnlistedMessage.
LRESULT CBasicWindow::HandleCurrentMessage() {
    switch (m_current.message) {
        case WM_ACTIVATE:
            return OnActivate();
        case WM_NCACTIVATE:
            return OnNcActivate();
        case WM_LBUTTONDOWN:
            return OnLButtonDown();
        case WM_NCLBUTTONDOWN:
            return OnNcLButtonDown();
        case WM_SIZE:
            return OnSize();
        case WM_SETFOCUS:
            return OnSetFocus();
        case WM_KILLFOCUS:
            return OnKillFocus();
        case WM_GETMINMAXINFO:
            return OnGetMinMaxInfo();
        case WM_NCDESTROY:
            return OnNcDestroy();
        case WM_ERASEBKGND:
            return OnEraseBackground();
        case WM_COMMAND:
            return OnCommand();
        case WM_HELP:
            return OnHelp();
        case WM_USER:
            return OnUser();
        case WM_CREATE:
            return OnCreate();
        case WM_DESTROY:
            return OnDestroy();
        case WM_MOVE:
            return OnMove();
        case WM_ENABLE:
            return OnEnable();
        case WM_PAINT:
            return OnPaint();
        case WM_CLOSE:
            return OnClose();
        case WM_QUERYENDSESSION:
            return OnQueryEndSession();
        case WM_QUERYOPEN:
            return OnQueryOpen();
        case WM_SYSCOLORCHANGE:
            return OnSysColorChange();
        case WM_ENDSESSION:
            return OnEndSession();
        case WM_SHOWWINDOW:
            return OnShowWindow();
        case WM_COMMNOTIFY:
            return OnCommNotify();
        case WM_WININICHANGE:
            return OnWinIniChange();
        case WM_DEVMODECHANGE:
            return OnDevModeChange();
        case WM_ACTIVATEAPP:
            return OnActivateApp();
        case WM_FONTCHANGE:
            return OnFontChange();
        case WM_TIMECHANGE:
            return OnTimeChange();
        case WM_CANCELMODE:
            return OnCancelMode();
        case WM_SETCURSOR:
            return OnSetCursor();
        case WM_MOUSEACTIVATE:
            return OnMouseActivate();
        case WM_CHILDACTIVATE:
            return OnChildActivate();
        case WM_ICONERASEBKGND:
            return OnIconEraseBackground();
        case WM_SPOOLERSTATUS:
            return OnSpoolerStatus();
        case WM_DRAWITEM:
            return OnDrawItem();
        case WM_MEASUREITEM:
            return OnMeasureItem();
        case WM_DELETEITEM:
            return OnDeleteItem();
        case WM_CHARTOITEM:
            return OnCharToItem();
        case WM_VKEYTOITEM:
            return OnVKeyToItem();
        case WM_QUERYDRAGICON:
            return OnQueryDragIcon();
        case WM_COMPAREITEM:
            return OnCompareItem();
        case WM_COMPACTING:
            return OnCompacting();
        case WM_NCCREATE:
            return OnNcCreate();
        case WM_NCCALCSIZE:
            return OnNcCalcSize();
        case WM_NCHITTEST:
            return OnNcHitTest();
        case WM_NCPAINT:
            return OnNcPaint();
        case WM_GETDLGCODE:
            return OnGetDlgCode();
        case WM_NCMOUSEMOVE:
            return OnNcMouseMove();
        case WM_NCLBUTTONUP:
            return OnNcLButtonUp();
        case WM_NCLBUTTONDBLCLK:
            return OnNcLButtonDblClk();
        case WM_NCRBUTTONDOWN:
            return OnNcRButtonDown();
        case WM_NCRBUTTONUP:
            return OnNcRButtonUp();
        case WM_NCRBUTTONDBLCLK:
            return OnNcRButtonDblClk();
        case WM_NCMBUTTONDOWN:
            return OnNcMButtonDown();
        case WM_NCMBUTTONUP:
            return OnNcMButtonUp();
        case WM_NCMBUTTONDBLCLK:
            return OnNcMButtonDblClk();
        case WM_KEYDOWN:
            return OnKeyDown();
        case WM_KEYUP:
            return OnKeyUp();
        case WM_CHAR:
            return OnChar();
        case WM_DEADCHAR:
            return OnDeadChar();
        case WM_SYSKEYDOWN:
            return OnSysKeyDown();
        case WM_SYSKEYUP:
            return OnSysKeyUp();
        case WM_SYSCHAR:
            return OnSysChar();
        case WM_SYSDEADCHAR:
            return OnSysDeadChar();
        case WM_SYSCOMMAND:
            return OnSysCommand();
        case WM_TIMER:
            return OnTimer();
        case WM_HSCROLL:
            return OnHScroll();
        case WM_VSCROLL:
            return OnVScroll();
        case WM_INITMENU:
            return OnInitMenu();
        case WM_INITMENUPOPUP:
            return OnInitMenuPopup();
        case WM_MENUSELECT:
            return OnMenuSelect();
        case WM_MENUCHAR:
            return OnMenuChar();
        case WM_ENTERIDLE:
            return OnEnterIdle();
        case WM_MOUSEMOVE:
            return OnMouseMove();
        case WM_LBUTTONUP:
            return OnLButtonUp();
        case WM_LBUTTONDBLCLK:
            return OnLButtonDblClk();
        case WM_RBUTTONDOWN:
            return OnRButtonDown();
        case WM_RBUTTONUP:
            return OnRButtonUp();
        case WM_RBUTTONDBLCLK:
            return OnRButtonDblClk();
        case WM_MBUTTONDOWN:
            return OnMButtonDown();
        case WM_MBUTTONUP:
            return OnMButtonUp();
        case WM_MBUTTONDBLCLK:
            return OnMButtonDblClk();
        case WM_PARENTNOTIFY:
            return OnParentNotify();
        case WM_MDIACTIVATE:
            return OnMdiActivate();
        case WM_RENDERFORMAT:
            return OnRenderFormat();
        case WM_RENDERALLFORMATS:
            return OnRenderAllFormats();
        case WM_DESTROYCLIPBOARD:
            return OnDestroyClipboard();
        case WM_DRAWCLIPBOARD:
            return OnDrawClipboard();
        case WM_PAINTCLIPBOARD:
            return OnPaintClipboard();
        case WM_VSCROLLCLIPBOARD:
            return OnVScrollClipboard();
        case WM_SIZECLIPBOARD:
            return OnSizeClipboard();
        case WM_ASKCBFORMATNAME:
            return OnAskCbFormatName();
        case WM_CHANGECBCHAIN:
            return OnChangeCbChain();
        case WM_HSCROLLCLIPBOARD:
            return OnHScrollClipboard();
        case WM_QUERYNEWPALETTE:
            return OnQueryNewPalette();
        case WM_PALETTECHANGED:
            return OnPaletteChanged();
        case WM_CAPTURECHANGED:
            return OnCaptureChanged();
        case WM_PALETTEISCHANGING:
            return OnPaletteIsChanging();
        case WM_DROPFILES:
            return OnDropFiles();
        case WM_WINDOWPOSCHANGING:
            return OnWindowPosChanging();
        case WM_WINDOWPOSCHANGED:
            return OnWindowPosChanged();
        case WM_CTLCOLORBTN:
            return OnCtlColorButton();
        case WM_CTLCOLORDLG:
            return OnCtlColorDialog();
        case WM_CTLCOLOREDIT:
            return OnCtlColorEdit();
        case WM_CTLCOLORLISTBOX:
            return OnCtlColorListBox();
        case WM_CTLCOLORMSGBOX:
            return OnCtlColorMsgBox();
        case WM_CTLCOLORSCROLLBAR:
            return OnCtlColorScrollBar();
        case WM_CTLCOLORSTATIC:
            return OnCtlColorStatic();
        case WM_NOTIFY:
            return OnNotify();
        case WM_EXITSIZEMOVE:
            return OnExitSizeMove();
        default:
            return OnUnlistedMessage();
    }
}

LRESULT CBasicWindow::DefaultProcess() {
    return DefWindowProcA(m_hwnd, m_current.message, m_current.wParam, m_current.lParam);
}

LRESULT CBasicWindow::DialogDefaultProcess() {
    if (m_previousProc != nullptr) {
        return CallWindowProcA(m_previousProc, m_hwnd, m_current.message, m_current.wParam,
                               m_current.lParam);
    }
    return DefDlgProcA(m_hwnd, m_current.message, m_current.wParam, m_current.lParam);
}

int CBasicWindow::CreateBoundWindow(DWORD exStyle, const char* className, const char* title,
                                    DWORD style, int x, int y, int width, int height, HWND parent,
                                    HMENU menuOrId, CViewWindow* view) {
    CApplication* app = CApplication::Instance();
    SetObjectBeingCreated(this);
    // Held during creation: a window that ends inside CreateWindowExA must not delete the
    // object under this call; a failed creation leaves the object to its caller.
    ++m_dispatchDepth;
    HWND handle = CreateWindowExA(exStyle, className ? className : "Brask32BasicWindow", title,
                                  style, x, y, width, height, parent, menuOrId,
                                  app ? app->InstanceHandle() : GetModuleHandleA(nullptr), this);
    --m_dispatchDepth;
    ForgetObjectBeingCreated(this);
    if (handle == nullptr) {
        m_deletePending = false;
        DebugMessage("Speichermangel: Fehler bei Fenstererzeugung. Windowhandle falsch.", 0);
        return 0;
    }
    if (m_hwnd == nullptr) {
        // A class with another window procedure: bound by its handle only, never dispatched.
        m_hwnd = handle;
        return 1;
    }
    if (ObjectOf(handle) != this) {
        DebugMessage("Fehler bei Fenstererzeugung. Objektpointer im Window falsch.", 0);
        return 0;
    }
    if (view != nullptr) {
        return AttachView(view);
    }
    return 1;
}

// Without a rectangle a child fills its parent's client area; without a parent either, the
// system places it.
int CBasicWindow::CreateChild(const char* className, const char* title, DWORD style,
                              const CRectangle* rectangle, CBasicWindow* parent, HMENU menuOrId,
                              CViewWindow* view, DWORD exStyle) {
    m_parent = parent;
    const HWND parentHandle = parent != nullptr ? parent->Handle() : nullptr;
    style |= WS_CHILD;
    if (rectangle != nullptr) {
        return CreateBoundWindow(exStyle, className, title, style, rectangle->left, rectangle->top,
                                 rectangle->Width(), rectangle->Height(), parentHandle, menuOrId,
                                 view);
    }
    if (parentHandle != nullptr) {
        RECT client;
        GetClientRect(parentHandle, &client);
        return CreateBoundWindow(exStyle, className, title, style, client.left, client.top,
                                 client.right - client.left, client.bottom - client.top,
                                 parentHandle, menuOrId, view);
    }
    return CreateBoundWindow(exStyle, className, title, style, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0,
                             nullptr, menuOrId, view);
}

int CBasicWindow::AttachView(CViewWindow* view) {
    if (view == nullptr || !view->CreateInFrame(this, &m_clientRect)) {
        return 0;
    }
    m_attachedView = view;
    m_attachedViewHandle = view->Handle();
    if (GetActiveWindow() == m_hwnd) {
        view->ActivationNotice(1);
    }
    if (GetFocus() == m_hwnd) {
        view->FocusRestore();
    }
    return 1;
}

void CBasicWindow::Relayout() {
    RECT client;
    GetClientRect(m_hwnd, &client);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(m_hwnd, &placement);
    const WPARAM kind = placement.showCmd == SW_SHOWMAXIMIZED ? SIZE_MAXIMIZED : SIZE_RESTORED;
    SendMessageA(m_hwnd, WM_SIZE, kind, MAKELPARAM(client.right, client.bottom));
}

void CBasicWindow::SetClientCursor(HCURSOR cursor) {
    m_cursor = cursor;
    ::SetCursor(cursor == kSystemArrow ? LoadCursorA(nullptr, IDC_ARROW) : cursor);
}

BOOL CBasicWindow::Destroy() {
    if (m_hwnd == nullptr) {
        return 1;
    }
    return DestroyWindow(m_hwnd);
}

CBasicWindow* CBasicWindow::SetParent(CBasicWindow* parent) {
    CBasicWindow* previous = m_parent;
    m_parent = parent;
    return previous;
}

LRESULT CBasicWindow::OnActivate() {
    if (m_attachedView != nullptr) {
        m_attachedView->ActivationNotice(static_cast<int>(WParam()));
    }
    return OnActivateInner();
}

LRESULT CBasicWindow::OnNcActivate() {
    if (m_attachedView != nullptr) {
        m_attachedView->DeactivationNotice(static_cast<int>(WParam()));
    }
    return OnNcActivateInner();
}

LRESULT CBasicWindow::OnLButtonDown() {
    CloseOpenDropDown();
    return OnLButtonDownInner();
}

LRESULT CBasicWindow::OnNcLButtonDown() {
    CloseOpenDropDown();
    return OnNcLButtonDownInner();
}

// A click anywhere in a library window closes the open list of a combo box of the main window.
void CBasicWindow::CloseOpenDropDown() {
    CApplication* app = CApplication::Instance();
    CBasicWindow* main = app != nullptr ? app->MainWindow() : nullptr;
    if (main == nullptr) {
        return;
    }
    const HWND focus = GetFocus();
    if (focus == nullptr) {
        return;
    }
    for (HWND candidate : {focus, GetParent(focus)}) {
        if (candidate != nullptr && IsChild(main->Handle(), candidate) &&
            (GetWindowLongA(candidate, GWL_STYLE) & 0x0002) != 0) {
            SendMessageA(candidate, CB_SHOWDROPDOWN, FALSE, 0);
            return;
        }
    }
}

// The docking request only lets this window take its edge of the parent; a real size change
// lays out the docked bars in child window order and gives the rest to the attached view.
LRESULT CBasicWindow::OnSize() {
    if (WParam() == kDockRequest) {
        return DockInParent();
    }
    m_clientRect = CRectangle(0, 0, LParamLow(), LParamHigh());
    for (HWND child = GetTopWindow(m_hwnd); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (child != m_attachedViewHandle && IsLibraryWindow(child) && ObjectOf(child) != nullptr) {
            SendMessageA(child, WM_SIZE, kDockRequest, 0);
        }
    }
    if (m_attachedView != nullptr) {
        MoveWindow(m_attachedViewHandle, m_clientRect.left, m_clientRect.top, m_clientRect.Width(),
                   m_clientRect.Height(), TRUE);
    }
    return OnSizeInner();
}

LRESULT CBasicWindow::OnSetFocus() {
    m_hasFocus = true;
    const LRESULT result = OnSetFocusInner();
    if (m_attachedView != nullptr) {
        m_attachedView->FocusRestore();
    }
    return result;
}

LRESULT CBasicWindow::OnKillFocus() {
    m_hasFocus = false;
    return OnKillFocusInner();
}

LRESULT CBasicWindow::OnGetMinMaxInfo() {
    auto* info = reinterpret_cast<MINMAXINFO*>(LParam());
    if (info != nullptr && m_minimumSize.Width() != 0) {
        info->ptMinTrackSize.x = m_minimumSize.Width();
        info->ptMinTrackSize.y = m_minimumSize.Height();
    }
    if (info != nullptr && m_maximumSize.Width() != 0) {
        info->ptMaxTrackSize.x = m_maximumSize.Width();
        info->ptMaxTrackSize.y = m_maximumSize.Height();
        info->ptMaxSize.x = m_maximumSize.Width();
        info->ptMaxSize.y = m_maximumSize.Height();
    }
    return OnGetMinMaxInfoInner();
}

// Every window without a parent ends its thread's message loop; in practice only the main
// window has none, since frames and dialogs default to the main window as parent.
LRESULT CBasicWindow::OnNcDestroy() {
    const LRESULT result = OnNcDestroyInner();
    if (m_parent == nullptr) {
        CApplication* app = CApplication::Instance();
        if (app != nullptr && app->MainWindow() == this) {
            app->SetMainWindow(nullptr);
        }
        PostQuitMessage(0);
    } else if (m_parent->m_attachedView != nullptr &&
               static_cast<CBasicWindow*>(m_parent->m_attachedView) == this) {
        // The frame must not reach a view that is about to delete itself.
        m_parent->m_attachedView = nullptr;
        m_parent->m_attachedViewHandle = nullptr;
    }
    m_hwnd = nullptr;
    if (m_autoDelete) {
        m_deletePending = true;
    }
    return result;
}

LRESULT CBasicWindow::OnEraseBackground() {
    if (m_attachedView != nullptr) {
        return 1;
    }
    return OnEraseBackgroundInner();
}

LRESULT CBasicWindow::OnCommand() {
    if (LParam() != 0) {
        return OnControlCommand(reinterpret_cast<HWND>(LParam()), WParamLow(), WParamHigh());
    }
    return OnMenuCommand(WParamLow());
}

LRESULT CBasicWindow::OnHelp() {
    CApplication* app = CApplication::Instance();
    if (app != nullptr && app->HelpHook(reinterpret_cast<HELPINFO*>(LParam())) != 0) {
        return 0;
    }
    return DefaultProcess();
}

LRESULT CBasicWindow::OnSetCursor() {
    if (m_cursor != kSystemArrow && LParamLow() == HTCLIENT) {
        ::SetCursor(m_cursor);
        return 1;
    }
    return DefaultProcess();
}

BOOL CBasicWindow::SetIntText(long value) {
    char text[16];
    std::snprintf(text, sizeof text, "%ld", value);
    return SetWindowTextA(m_hwnd, text);
}

int CBasicWindow::GetIntText(long* result) {
    char text[50];
    // A longer text is no number we could hold; it must not be judged by its first part.
    if (GetWindowTextLengthA(m_hwnd) >= static_cast<int>(sizeof text)) {
        return 0;
    }
    GetWindowTextA(m_hwnd, text, sizeof text);
    long value = 0;
    if (!ParseInteger(text, &value)) {
        return 0;
    }
    if (result != nullptr) {
        *result = value;
    }
    return 1;
}

int CBasicWindow::CheckIntRange(long low, long high, long* value) {
    long number = 0;
    if (GetIntText(&number)) {
        if (value != nullptr) {
            *value = number;
        }
        if (number < low) {
            SetIntText(low);
        } else if (number > high) {
            SetIntText(high);
        } else {
            return 1;
        }
    }
    ::SetFocus(m_hwnd);
    SelectEditText(0, -1);
    return 0;
}
