#include "app/tests/support/CameraWindows.h"

#include <cstdlib>

#include "app/tests/support/ProgramUnderTest.h"

namespace oriscope_test {

namespace {

// Long enough for another process's window to repaint after being uncovered.
constexpr DWORD kRepaintMs = 300;

Picture ReadScreen(HWND window);

struct DescendantSearch {
    int id;
    HWND found;
};

BOOL CALLBACK MatchDescendant(HWND child, LPARAM parameter) {
    auto* search = reinterpret_cast<DescendantSearch*>(parameter);
    if (GetDlgCtrlID(child) == search->id) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

std::string ComboLine(HWND combo, LRESULT index) {
    // Wine carries combo lines between processes in their wide form only.
    wchar_t wide[128] = {};
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(wide));
    char text[128] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

}  // namespace

HWND FindDescendant(HWND parent, int id) {
    DescendantSearch search{id, nullptr};
    EnumChildWindows(parent, &MatchDescendant, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string ComboSelectionText(HWND combo) {
    const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    return index < 0 ? std::string() : ComboLine(combo, index);
}

bool SelectComboText(HWND combo, const std::string& text) {
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        if (ComboLine(combo, i) == text) {
            SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            SendMessageW(GetParent(combo), WM_COMMAND,
                         MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(combo));
            return true;
        }
    }
    return false;
}

HWND CameraStatusLine(HWND camera) {
    for (HWND child : Children(camera)) {
        if (WindowText(child).rfind("Seen: ", 0) == 0) {
            return child;
        }
    }
    return nullptr;
}

HWND CameraImageView(HWND camera) {
    const HWND status = CameraStatusLine(camera);
    for (HWND child : Children(camera)) {
        if (child != status) {
            return child;
        }
    }
    return nullptr;
}

std::map<std::string, std::string> CameraStatusFields(HWND camera) {
    // "Seen: 12\tSkipped: 0\tRate: 15.00\tStatus: Run\t"
    std::map<std::string, std::string> fields;
    std::string rest = WindowText(CameraStatusLine(camera));
    for (std::size_t tab; (tab = rest.find('\t')) != std::string::npos;
         rest = rest.substr(tab + 1)) {
        const std::string field = rest.substr(0, tab);
        const std::size_t colon = field.find(": ");
        if (colon != std::string::npos) {
            fields[field.substr(0, colon)] = field.substr(colon + 2);
        }
    }
    return fields;
}

long CameraFramesSeen(HWND camera) {
    return std::atol(CameraStatusFields(camera)["Seen"].c_str());
}

Colour Picture::At(int x, int y) const {
    const std::uint32_t p = pixels[static_cast<std::size_t>(y) * width + x];
    return {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
            static_cast<int>(p & 0xFF)};
}

Picture Capture(HWND window) {
    // Tests running side by side open their windows at the same places: lift
    // this one above the others and let it paint itself before the screen is read.
    const HWND top = GetAncestor(window, GA_ROOT);
    SetWindowPos(top, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    InvalidateRect(window, nullptr, FALSE);
    Sleep(kRepaintMs);
    Picture picture = ReadScreen(window);
    SetWindowPos(top, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return picture;
}

namespace {

Picture ReadScreen(HWND window) {
    Picture picture;
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    picture.width = client.right;
    picture.height = client.bottom;
    if (picture.width <= 0 || picture.height <= 0) {
        return picture;
    }
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, picture.width, picture.height, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const auto* source = static_cast<const std::uint32_t*>(bits);
    picture.pixels.assign(source,
                          source + static_cast<std::size_t>(picture.width) * picture.height);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return picture;
}

}  // namespace

}  // namespace oriscope_test
