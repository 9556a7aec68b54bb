// End-to-end test support for camera windows and their dialogs: finding
// controls in another process's dialogs, choosing combo lines as a user does,
// reading a camera window's status line, and capturing what a window shows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace oriscope_test {

// A control with this id anywhere below `parent` (tab pages included), or null.
HWND FindDescendant(HWND parent, int id);
// A combo box's selected line ("" for none).
std::string ComboSelectionText(HWND combo);
// Selects the line with this text and tells the combo's parent with CBN_SELCHANGE.
bool SelectComboText(HWND combo, const std::string& text);

// A camera window's status line and image view.
HWND CameraStatusLine(HWND camera);
HWND CameraImageView(HWND camera);
// The status line's fields: "Seen", "Skipped", "Rate", "Status" -> value text.
std::map<std::string, std::string> CameraStatusFields(HWND camera);
long CameraFramesSeen(HWND camera);

struct Colour {
    int r, g, b;
};

// A window's client area as the screen shows it, rows top down.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB

    Colour At(int x, int y) const;
};
Picture Capture(HWND window);

}  // namespace oriscope_test
