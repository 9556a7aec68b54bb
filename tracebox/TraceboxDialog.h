// Classes: TraceboxDialog.
//
// The viewer's one window: ten publisher slots, the text of the current slot
// in a read-only edit field, and the commands publishers send with the
// registered message.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "tracebox/Brush.h"
#include "tracebox/EditControl.h"
#include "tracebox/Menu.h"
#include "tracebox/ModalDialog.h"
#include "tracebox/TraceSlot.h"

namespace tbx {

class TraceboxDialog : public ModalDialog {
public:
    static constexpr int kSlotCount = 10;
    // Light yellow behind the dialog and its text.
    static constexpr COLORREF kBackgroundColour = 0x8CFFFF;

    // Commands of the registered message (its wParam).
    enum Command : WPARAM {
        kOpen = 1,
        kShow = 2,
        kAddLine = 3,
        kClose = 4,
        kQuit = 5,
        kClear = 6,
    };
    // Result for a slot outside 0..9.
    static constexpr LRESULT kBadSlot = 1;

    TraceboxDialog(UINT traceMessage, HICON icon);
    ~TraceboxDialog() override;

    // Carries out one command of the registered message and gives its result.
    LRESULT HandleTraceCommand(WPARAM command, LPARAM argument);

protected:
    bool OnInitDialog() override;
    bool OnCommand(WORD id, WORD notifyCode, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    LRESULT OpenSlot(int slot);
    LRESULT AddLine(int slot);
    LRESULT CloseSlot(int slot);
    LRESULT ClearSlot(int slot);
    LRESULT Quit();
    void ShowSlot(int slot);
    void PaintIcon();
    HBRUSH ControlColour(HDC dc, HWND control);

    // Fields in the order the viewer has always kept them.
    EditControl edit_;
    HICON icon_;
    std::array<TraceSlot, kSlotCount> slots_;
    int openSlots_ = 0;
    int currentSlot_ = 0;
    Menu menu_;
    Brush background_;

    UINT traceMessage_;
};

}  // namespace tbx
