#include "tracebox/TraceboxDialog.h"

#include "tracebox/ResourceIds.h"

namespace tbx {

namespace {

bool IsValidSlot(LPARAM slot) {
    return slot >= 0 && slot < TraceboxDialog::kSlotCount;
}

UINT DisplayCommand(int slot) {
    return static_cast<UINT>(ID_DISPLAY_FIRST + slot);
}

}  // namespace

TraceboxDialog::TraceboxDialog(UINT traceMessage, HICON icon)
    : ModalDialog(IDD_TRACEBOX), icon_(icon), traceMessage_(traceMessage) {}

TraceboxDialog::~TraceboxDialog() {
    for (TraceSlot& slot : slots_) {
        slot.Close();
    }
}

bool TraceboxDialog::OnInitDialog() {
    HWND hwnd = Handle();
    SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));

    // Without the edit field or the menu the resources do not belong to this
    // program: end at once rather than show a viewer that cannot work.
    if (!edit_.Attach(hwnd, IDC_TRACE_TEXT) || !menu_.AttachToWindow(hwnd)) {
        EndDialog(-1);
        return true;
    }
    for (int slot = 0; slot < kSlotCount; ++slot) {
        menu_.SetItemEnabled(DisplayCommand(slot), false);
    }
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE);
    background_.CreateSolid(kBackgroundColour);
    for (TraceSlot& slot : slots_) {
        slot.Close();
        slot.text.clear();
        slot.counted = false;
    }
    openSlots_ = 0;
    currentSlot_ = 0;
    return true;
}

bool TraceboxDialog::OnCommand(WORD id, WORD /*notifyCode*/, HWND /*control*/) {
    if (id >= ID_DISPLAY_FIRST && id <= ID_DISPLAY_LAST) {
        ShowSlot(id - ID_DISPLAY_FIRST);
        return true;
    }
    if (id == ID_STATUS_HIDE) {
        ShowWindow(Handle(), SW_HIDE);
        return true;
    }
    return false;
}

bool TraceboxDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == traceMessage_) {
        result = HandleTraceCommand(wParam, lParam);
        return true;
    }
    switch (message) {
        case WM_CLOSE:
            // There is no close box; only a publisher's quit ends the viewer.
            result = 0;
            return true;
        case WM_PAINT:
            if (!IsIconic(Handle())) {
                return false;
            }
            PaintIcon();
            result = 0;
            return true;
        case WM_QUERYDRAGICON:
            result = reinterpret_cast<LRESULT>(icon_);
            return true;
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC: {
            HBRUSH brush =
                ControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
            if (brush == nullptr) {
                return false;
            }
            result = reinterpret_cast<LRESULT>(brush);
            return true;
        }
        default:
            return false;
    }
}

LRESULT TraceboxDialog::HandleTraceCommand(WPARAM command, LPARAM argument) {
    switch (command) {
        case kOpen:
            return IsValidSlot(argument) ? OpenSlot(static_cast<int>(argument)) : kBadSlot;
        case kShow:
            ShowWindow(Handle(), static_cast<int>(argument));
            return 0;
        case kAddLine:
            return IsValidSlot(argument) ? AddLine(static_cast<int>(argument)) : kBadSlot;
        case kClose:
            return IsValidSlot(argument) ? CloseSlot(static_cast<int>(argument)) : kBadSlot;
        case kQuit:
            return Quit();
        case kClear:
            return IsValidSlot(argument) ? ClearSlot(static_cast<int>(argument)) : kBadSlot;
        default:
            return 0;
    }
}

LRESULT TraceboxDialog::OpenSlot(int slot) {
    TraceSlot& traceSlot = slots_[static_cast<size_t>(slot)];
    if (DWORD error = traceSlot.Open(slot); error != 0) {
        return static_cast<LRESULT>(error);
    }
    if (!traceSlot.counted) {
        ++openSlots_;
        traceSlot.counted = true;
    }
    currentSlot_ = slot;
    traceSlot.text = traceSlot.ReadText();
    menu_.SetItemText(DisplayCommand(slot), traceSlot.text);
    menu_.SetItemEnabled(DisplayCommand(slot), true);
    edit_.SetText(traceSlot.text);
    return 0;
}

LRESULT TraceboxDialog::AddLine(int slot) {
    TraceSlot& traceSlot = slots_[static_cast<size_t>(slot)];
    std::string line = traceSlot.ReadText();
    std::string text;
    text.reserve(line.size() + 2 + traceSlot.text.size());
    text.append(line).append("\r\n").append(traceSlot.text);
    traceSlot.text = std::move(text);
    if (slot == currentSlot_) {
        edit_.SetText(traceSlot.text);
    }
    return 0;
}

LRESULT TraceboxDialog::CloseSlot(int slot) {
    TraceSlot& traceSlot = slots_[static_cast<size_t>(slot)];
    if (traceSlot.Close()) {
        --openSlots_;
        traceSlot.counted = false;
    }
    return 0;
}

LRESULT TraceboxDialog::ClearSlot(int slot) {
    slots_[static_cast<size_t>(slot)].text.clear();
    if (slot == currentSlot_) {
        edit_.SetText({});
    }
    return 0;
}

LRESULT TraceboxDialog::Quit() {
    if (openSlots_ == 0) {
        background_.Delete();
        EndDialog(0);
    }
    return 0;
}

void TraceboxDialog::ShowSlot(int slot) {
    currentSlot_ = slot;
    edit_.SetText(slots_[static_cast<size_t>(slot)].text);
}

void TraceboxDialog::PaintIcon() {
    HWND hwnd = Handle();
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    SendMessageA(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(hwnd, &client);
    int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, icon_);
    EndPaint(hwnd, &paint);
}

HBRUSH TraceboxDialog::ControlColour(HDC dc, HWND control) {
    if (control == edit_.Handle() && control != nullptr) {
        SetBkColor(dc, kBackgroundColour);
        SetBkMode(dc, TRANSPARENT);
    }
    return background_.Handle();
}

}  // namespace tbx
