// Classes: CBasicWindow
//
// The base of every window object. An object is bound to its window through
// the window's extra bytes at index 8 (DWL_USER of a dialog); from then on each
// message goes through Dispatch, which calls one virtual handler per message.
// Handlers take no arguments: they read the message being dispatched from the
// current message record (Message, WParam, LParam).
//
// Lifetime: with auto-delete set (the default) an object deletes itself once
// its window is gone and the outermost Dispatch of the object has returned.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "winlib/CRectangle.h"

class CViewWindow;

// Window procedure of the library's window classes.
LRESULT CALLBACK BasicWindowProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
// Dialog procedure of every dialog and form; binds and subclasses the dialog window.
INT_PTR CALLBACK GlobalDialogProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);

class CBasicWindow {
public:
    // Extra bytes of every library window; the object pointer lives at kObjectIndex.
    static constexpr int kWindowExtraBytes = 12;
    static constexpr int kObjectIndex = 8;
    // wParam of the WM_SIZE a window sends its children to let docked bars take their edge.
    static constexpr WPARAM kDockRequest = 0xFFFFFFFF;

    CBasicWindow();
    virtual ~CBasicWindow();
    CBasicWindow(const CBasicWindow&) = delete;
    CBasicWindow& operator=(const CBasicWindow&) = delete;

    // --- Overridables -------------------------------------------------------
    virtual void NotifyChildClick() {}
    virtual int AttachView(CViewWindow* view);
    virtual int CreateChild(const char* className, const char* title, DWORD style,
                            const CRectangle* rectangle, CBasicWindow* parent, HMENU menuOrId,
                            CViewWindow* view, DWORD exStyle);
    virtual LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefaultProcess();
    virtual BOOL Show(int command) { return ShowWindow(m_hwnd, command); }
    virtual BOOL Hide() { return ShowWindow(m_hwnd, SW_HIDE); }
    virtual BOOL Update() { return UpdateWindow(m_hwnd); }
    virtual void Relayout();
    // Non-zero when the message is consumed before translation and dispatch.
    virtual int PreTranslate(MSG* /*message*/) { return 0; }
    // A cursor for the client area; kSystemArrow means the system arrow.
    virtual void SetClientCursor(HCURSOR cursor);

    // --- Message handlers, in the order of the dispatch table ---------------
    // Handlers that do library work first and then call their inner handler;
    // override the inner one to add to the work, the outer one to replace it.
    virtual LRESULT OnActivate();
    virtual LRESULT OnNcActivate();
    virtual LRESULT OnLButtonDown();
    virtual LRESULT OnNcLButtonDown();
    virtual LRESULT OnSize();
    virtual LRESULT OnSetFocus();
    virtual LRESULT OnKillFocus();
    virtual LRESULT OnGetMinMaxInfo();
    virtual LRESULT OnNcDestroy();
    virtual LRESULT OnEraseBackground();
    virtual LRESULT OnCommand();
    // Answer to a parent's kDockRequest: a docked bar takes its edge here.
    virtual LRESULT DockInParent() { return 0; }
    virtual LRESULT OnMenuCommand(int /*id*/) { return DefaultProcess(); }
    virtual LRESULT OnControlCommand(HWND /*control*/, int /*id*/, int /*code*/) {
        return DefaultProcess();
    }
    virtual LRESULT OnHelp();
    virtual LRESULT OnUser() { return DefaultProcess(); }
    // Every message the table does not name, private messages included.
    virtual LRESULT OnUnlistedMessage() { return DefaultProcess(); }

    virtual LRESULT OnCreate() { return DefaultProcess(); }
    virtual LRESULT OnDestroy() { return DefaultProcess(); }
    virtual LRESULT OnMove() { return DefaultProcess(); }
    virtual LRESULT OnSizeInner() { return DefaultProcess(); }
    virtual LRESULT OnActivateInner() { return DefaultProcess(); }
    virtual LRESULT OnSetFocusInner() { return DefaultProcess(); }
    virtual LRESULT OnKillFocusInner() { return DefaultProcess(); }
    virtual LRESULT OnEnable() { return DefaultProcess(); }
    virtual LRESULT OnPaint() { return DefaultProcess(); }
    virtual LRESULT OnClose() { return DefaultProcess(); }
    virtual LRESULT OnQueryEndSession() { return DefaultProcess(); }
    virtual LRESULT OnQueryOpen() { return DefaultProcess(); }
    virtual LRESULT OnEraseBackgroundInner() { return DefaultProcess(); }
    virtual LRESULT OnSysColorChange() { return DefaultProcess(); }
    virtual LRESULT OnEndSession() { return DefaultProcess(); }
    virtual LRESULT OnShowWindow() { return DefaultProcess(); }
    virtual LRESULT OnCommNotify() { return DefaultProcess(); }
    virtual LRESULT OnWinIniChange() { return DefaultProcess(); }
    virtual LRESULT OnDevModeChange() { return DefaultProcess(); }
    virtual LRESULT OnActivateApp() { return DefaultProcess(); }
    virtual LRESULT OnFontChange() { return DefaultProcess(); }
    virtual LRESULT OnTimeChange() { return DefaultProcess(); }
    virtual LRESULT OnCancelMode() { return DefaultProcess(); }
    virtual LRESULT OnSetCursor();
    virtual LRESULT OnMouseActivate() { return DefaultProcess(); }
    virtual LRESULT OnChildActivate() { return DefaultProcess(); }
    virtual LRESULT OnGetMinMaxInfoInner() { return DefaultProcess(); }
    virtual LRESULT OnIconEraseBackground() { return DefaultProcess(); }
    virtual LRESULT OnSpoolerStatus() { return DefaultProcess(); }
    virtual LRESULT OnDrawItem() { return DefaultProcess(); }
    virtual LRESULT OnMeasureItem() { return DefaultProcess(); }
    virtual LRESULT OnDeleteItem() { return DefaultProcess(); }
    virtual LRESULT OnCharToItem() { return DefaultProcess(); }
    virtual LRESULT OnVKeyToItem() { return DefaultProcess(); }
    virtual LRESULT OnQueryDragIcon() { return DefaultProcess(); }
    virtual LRESULT OnCompareItem() { return DefaultProcess(); }
    virtual LRESULT OnCompacting() { return DefaultProcess(); }
    virtual LRESULT OnNcCreate() { return DefaultProcess(); }
    virtual LRESULT OnNcDestroyInner() { return DefaultProcess(); }
    virtual LRESULT OnNcCalcSize() { return DefaultProcess(); }
    virtual LRESULT OnNcHitTest() { return DefaultProcess(); }
    virtual LRESULT OnNcPaint() { return DefaultProcess(); }
    virtual LRESULT OnNcActivateInner() { return DefaultProcess(); }
    virtual LRESULT OnGetDlgCode() { return DefaultProcess(); }
    virtual LRESULT OnNcMouseMove() { return DefaultProcess(); }
    virtual LRESULT OnNcLButtonDownInner() { return DefaultProcess(); }
    virtual LRESULT OnNcLButtonUp() { return DefaultProcess(); }
    virtual LRESULT OnNcLButtonDblClk() { return DefaultProcess(); }
    virtual LRESULT OnNcRButtonDown() { return DefaultProcess(); }
    virtual LRESULT OnNcRButtonUp() { return DefaultProcess(); }
    virtual LRESULT OnNcRButtonDblClk() { return DefaultProcess(); }
    virtual LRESULT OnNcMButtonDown() { return DefaultProcess(); }
    virtual LRESULT OnNcMButtonUp() { return DefaultProcess(); }
    virtual LRESULT OnNcMButtonDblClk() { return DefaultProcess(); }
    virtual LRESULT OnKeyDown() { return DefaultProcess(); }
    virtual LRESULT OnKeyUp() { return DefaultProcess(); }
    virtual LRESULT OnChar() { return DefaultProcess(); }
    virtual LRESULT OnDeadChar() { return DefaultProcess(); }
    virtual LRESULT OnSysKeyDown() { return DefaultProcess(); }
    virtual LRESULT OnSysKeyUp() { return DefaultProcess(); }
    virtual LRESULT OnSysChar() { return DefaultProcess(); }
    virtual LRESULT OnSysDeadChar() { return DefaultProcess(); }
    virtual LRESULT OnSysCommand() { return DefaultProcess(); }
    virtual LRESULT OnTimer() { return DefaultProcess(); }
    virtual LRESULT OnHScroll() { return DefaultProcess(); }
    virtual LRESULT OnVScroll() { return DefaultProcess(); }
    virtual LRESULT OnInitMenu() { return DefaultProcess(); }
    virtual LRESULT OnInitMenuPopup() { return DefaultProcess(); }
    virtual LRESULT OnMenuSelect() { return DefaultProcess(); }
    virtual LRESULT OnMenuChar() { return DefaultProcess(); }
    virtual LRESULT OnEnterIdle() { return DefaultProcess(); }
    virtual LRESULT OnMouseMove() { return DefaultProcess(); }
    virtual LRESULT OnLButtonDownInner() { return DefaultProcess(); }
    virtual LRESULT OnLButtonUp() { return DefaultProcess(); }
    virtual LRESULT OnLButtonDblClk() { return DefaultProcess(); }
    virtual LRESULT OnRButtonDown() { return DefaultProcess(); }
    virtual LRESULT OnRButtonUp() { return DefaultProcess(); }
    virtual LRESULT OnRButtonDblClk() { return DefaultProcess(); }
    virtual LRESULT OnMButtonDown() { return DefaultProcess(); }
    virtual LRESULT OnMButtonUp() { return DefaultProcess(); }
    virtual LRESULT OnMButtonDblClk() { return DefaultProcess(); }
    virtual LRESULT OnParentNotify() { return DefaultProcess(); }
    virtual LRESULT OnMdiActivate() { return DefaultProcess(); }
    virtual LRESULT OnRenderFormat() { return DefaultProcess(); }
    virtual LRESULT OnRenderAllFormats() { return DefaultProcess(); }
    virtual LRESULT OnDestroyClipboard() { return DefaultProcess(); }
    virtual LRESULT OnDrawClipboard() { return DefaultProcess(); }
    virtual LRESULT OnPaintClipboard() { return DefaultProcess(); }
    virtual LRESULT OnVScrollClipboard() { return DefaultProcess(); }
    virtual LRESULT OnSizeClipboard() { return DefaultProcess(); }
    virtual LRESULT OnAskCbFormatName() { return DefaultProcess(); }
    virtual LRESULT OnChangeCbChain() { return DefaultProcess(); }
    virtual LRESULT OnHScrollClipboard() { return DefaultProcess(); }
    virtual LRESULT OnQueryNewPalette() { return DefaultProcess(); }
    virtual LRESULT OnPaletteChanged() { return DefaultProcess(); }
    // Reached only through GlobalDialogProc; through BasicWindowProc these are unlisted.
    virtual LRESULT OnSetFont() { return 1; }
    virtual LRESULT OnInitDialog() { return 1; }
    virtual LRESULT OnCaptureChanged() { return DefaultProcess(); }
    virtual LRESULT OnPaletteIsChanging() { return DefaultProcess(); }
    virtual LRESULT OnDropFiles() { return DefaultProcess(); }
    virtual LRESULT OnWindowPosChanging() { return DefaultProcess(); }
    virtual LRESULT OnWindowPosChanged() { return DefaultProcess(); }
    virtual LRESULT OnCtlColorButton() { return DefaultProcess(); }
    virtual LRESULT OnCtlColorDialog() { return DefaultProcess(); }
    virtual LRESULT OnCtlColorEdit() { return DefaultProcess(); }
    virtual LRESULT OnCtlColorListBox() { return DefaultProcess(); }
    virtual LRESULT OnCtlColorMsgBox() { return DefaultProcess(); }
    virtual LRESULT OnCtlColorScrollBar() { return DefaultProcess(); }
    virtual LRESULT OnCtlColorStatic() { return DefaultProcess(); }
    virtual LRESULT OnNotify() { return DefaultProcess(); }
    virtual LRESULT OnExitSizeMove() { return DefaultProcess(); }

    // --- Win32 wrappers -----------------------------------------------------
    HWND Handle() const { return m_hwnd; }
    BOOL SetText(const char* text) { return SetWindowTextA(m_hwnd, text); }
    int GetText(char* buffer, int maximum) { return GetWindowTextA(m_hwnd, buffer, maximum); }
    BOOL Enable(BOOL enable) { return EnableWindow(m_hwnd, enable); }
    HWND SetFocus() { return ::SetFocus(m_hwnd); }
    // DestroyWindow; 1 when no window is bound.
    BOOL Destroy();
    CBasicWindow* Parent() const { return m_parent; }
    // Returns the previous parent.
    CBasicWindow* SetParent(CBasicWindow* parent);

    bool AutoDelete() const { return m_autoDelete; }
    void SetAutoDelete(bool autoDelete) { m_autoDelete = autoDelete; }
    bool HasFocus() const { return m_hasFocus; }
    // Minimum tracking size and maximum size; a width of 0 means no limit.
    void SetMinimumSize(long width, long height) {
        m_minimumSize = CRectangle(0, 0, width, height);
    }
    void SetMaximumSize(long width, long height) {
        m_maximumSize = CRectangle(0, 0, width, height);
    }
    // The part of the client area left to the attached view by the docked bars.
    CRectangle& ClientRectangle() { return m_clientRect; }
    CViewWindow* AttachedView() const { return m_attachedView; }
    // Points this object at a window it does not own (a dialog's control wrapper).
    void WrapHandle(HWND handle) { m_hwnd = handle; }

    // A window whose procedure is BasicWindowProc (a subclassed dialog counts).
    static bool IsLibraryWindow(HWND handle);
    // The object bound to a window (index 8), or null.
    static CBasicWindow* ObjectOf(HWND handle);

    static inline const HCURSOR kSystemArrow = reinterpret_cast<HCURSOR>(-1);

    // --- Control operations: on the window of this object, usually a dialog's Control(id)
    LRESULT ButtonCheckState() { return Send(BM_GETCHECK, 0, 0); }
    LRESULT SetButtonCheck(int state) { return Send(BM_SETCHECK, state, 0); }
    LRESULT ListBoxCount() { return Send(LB_GETCOUNT, 0, 0); }
    LRESULT ListBoxSelection() { return Send(LB_GETCURSEL, 0, 0); }
    LRESULT SelectListBoxLine(int index) { return Send(LB_SETCURSEL, index, 0); }
    LRESULT ListBoxItemData(int index) { return Send(LB_GETITEMDATA, index, 0); }
    LRESULT SetListBoxItemData(int index, LPARAM data) { return Send(LB_SETITEMDATA, index, data); }
    LRESULT ListBoxLineText(int index, char* buffer) {
        return Send(LB_GETTEXT, index, reinterpret_cast<LPARAM>(buffer));
    }
    LRESULT AddListBoxLine(const char* text) {
        return Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    LRESULT DeleteListBoxLine(int index) { return Send(LB_DELETESTRING, index, 0); }
    LRESULT EmptyListBox() { return Send(LB_RESETCONTENT, 0, 0); }
    LRESULT ComboBoxCount() { return Send(CB_GETCOUNT, 0, 0); }
    LRESULT ComboBoxSelection() { return Send(CB_GETCURSEL, 0, 0); }
    LRESULT SelectComboBoxLine(int index) { return Send(CB_SETCURSEL, index, 0); }
    LRESULT ComboBoxItemData(int index) { return Send(CB_GETITEMDATA, index, 0); }
    LRESULT SetComboBoxItemData(int index, LPARAM data) {
        return Send(CB_SETITEMDATA, index, data);
    }
    LRESULT AddComboBoxLine(const char* text) {
        return Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    LRESULT EmptyComboBox() { return Send(CB_RESETCONTENT, 0, 0); }
    LRESULT SelectEditText(int start, int end) { return Send(EM_SETSEL, start, end); }
    LRESULT InsertTab(int index, TCITEMA* item) {
        return Send(TCM_INSERTITEMA, index, reinterpret_cast<LPARAM>(item));
    }
    LRESULT CurrentTab() { return Send(TCM_GETCURSEL, 0, 0); }
    LRESULT SelectTab(int index) { return Send(TCM_SETCURSEL, index, 0); }
    LRESULT TabDisplayArea(BOOL larger, RECT* rect) {
        return Send(TCM_ADJUSTRECT, larger, reinterpret_cast<LPARAM>(rect));
    }
    LRESULT SetTrackbarPosition(BOOL redraw, int position) {
        return Send(TBM_SETPOS, redraw, position);
    }
    LRESULT SetTrackbarRange(BOOL redraw, int minimum, int maximum) {
        return Send(TBM_SETRANGE, redraw, MAKELPARAM(minimum, maximum));
    }
    LRESULT SetTrackbarPageSize(int pageSize) { return Send(TBM_SETPAGESIZE, 0, pageSize); }
    LRESULT SetUpDownRange(int minimum, int maximum) {
        return Send(UDM_SETRANGE, 0, MAKELPARAM(maximum, minimum));
    }
    WORD SetUpDownAcceleration(int count, UDACCEL* entries) {
        return static_cast<WORD>(Send(UDM_SETACCEL, count, reinterpret_cast<LPARAM>(entries)));
    }

    // Edit fields holding integers.
    BOOL SetIntText(long value);
    // 1 and the value for an optional '-' and 1 to 10 decimal digits that fit a long; else 0.
    int GetIntText(long* result);
    // 1 when the text is an integer within [low, high]. Otherwise puts the nearer bound
    // into an out-of-range text, focuses the field, selects its text and returns 0.
    int CheckIntRange(long low, long high, long* value);

protected:
    // The message being dispatched.
    UINT Message() const { return m_current.message; }
    WPARAM WParam() const { return m_current.wParam; }
    LPARAM LParam() const { return m_current.lParam; }
    WORD WParamLow() const { return LOWORD(m_current.wParam); }
    WORD WParamHigh() const { return HIWORD(m_current.wParam); }
    WORD LParamLow() const { return LOWORD(m_current.lParam); }
    WORD LParamHigh() const { return HIWORD(m_current.lParam); }

    // CreateWindowExA with this object as the window's object; attaches the view, if given.
    int CreateBoundWindow(DWORD exStyle, const char* className, const char* title, DWORD style,
                          int x, int y, int width, int height, HWND parent, HMENU menuOrId,
                          CViewWindow* view);
    // Default processing of a dialog window: its procedure from before the subclassing.
    LRESULT DialogDefaultProcess();

    // Hands an object to the first message of a window being created on this thread.
    static void SetObjectBeingCreated(CBasicWindow* object);
    static CBasicWindow* ObjectBeingCreated();
    // Forgets the handover unless someone else took over meanwhile.
    static void ForgetObjectBeingCreated(CBasicWindow* object);

    // Runs a handler with the message as the current record (see Dispatch).
    LRESULT DispatchTo(UINT message, WPARAM wParam, LPARAM lParam,
                       LRESULT (CBasicWindow::*handler)());

    CRectangle m_minimumSize;
    CRectangle m_maximumSize;
    CBasicWindow* m_parent = nullptr;
    HCURSOR m_cursor = kSystemArrow;
    long m_dispatchDepth = 0;
    bool m_deletePending = false;
    CViewWindow* m_attachedView = nullptr;
    HWND m_attachedViewHandle = nullptr;
    CRectangle m_clientRect;
    HWND m_hwnd = nullptr;
    bool m_autoDelete = true;
    bool m_hasFocus = false;
    WNDPROC m_previousProc = nullptr;

private:
    struct MessageRecord {
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    };

    friend LRESULT CALLBACK BasicWindowProc(HWND, UINT, WPARAM, LPARAM);
    friend INT_PTR CALLBACK GlobalDialogProc(HWND, UINT, WPARAM, LPARAM);

    // The dispatch table: calls the handler of the current message.
    LRESULT HandleCurrentMessage();
    // Binds a window to this object as its first message arrives.
    void Bind(HWND handle);
    // Subclasses a dialog window so that it runs through BasicWindowProc, and binds it.
    void BindDialog(HWND handle);
    void CloseOpenDropDown();
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) {
        return SendMessageA(m_hwnd, message, wParam, lParam);
    }

    MessageRecord m_current;
};
