#include "winlib/CTextField.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "winlib/CTextFieldBar.h"
#include "winlib/DebugMessage.h"

namespace {

SIZE MeasureText(HDC dc, HFONT font, const char* text) {
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size);
    SelectObject(dc, previous);
    return size;
}

}  // namespace

CTextField::CTextField() : m_backgroundColour(GetSysColor(COLOR_BTNFACE)) {}

int CTextField::Attach(CTextFieldBar* bar, const char* text, HFONT font) {
    if (bar == nullptr || text == nullptr || m_bar != nullptr) {
        return 0;
    }
    if (font == nullptr) {
        font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    }
    try {
        m_text = text;
    } catch (const std::bad_alloc&) {
        DebugMessage("Fehler beim Speicherallokieren CTextField.", 0);
        return 0;
    }
    m_bar = bar;
    m_font = font;
    HDC screen = GetDC(nullptr);
    // An empty field is as wide as one letter.
    const SIZE size = MeasureText(screen, font, *text != '\0' ? text : "M");
    ReleaseDC(nullptr, screen);
    m_rect = CRectangle(0, 0, size.cx + 4, size.cy + 2);
    return 1;
}

void CTextField::SetStyle(DWORD flags, int redraw) {
    m_style = flags;
    if (redraw) {
        Draw(nullptr);
    }
}

int CTextField::SetText(const char* text, int redraw, int keep) {
    if (text == nullptr) {
        return 0;
    }
    // A keep count beyond the current text keeps the whole text.
    const size_t kept = keep < 0 ? 0 : std::min(static_cast<size_t>(keep), m_text.size());
    try {
        m_text = m_text.substr(0, kept) + text;
    } catch (const std::bad_alloc&) {
        DebugMessage("Fehler beim Speicherallokieren CTextField.", 0);
        return 0;
    }
    if (redraw) {
        Draw(nullptr);
    }
    return 1;
}

void CTextField::Draw(HDC dc) {
    const HWND window = m_bar != nullptr ? m_bar->Handle() : nullptr;
    if (dc == nullptr) {
        if (window == nullptr) {
            return;
        }
        HDC own = GetDC(window);
        DrawFrame(own);
        DrawLabel(own);
        ReleaseDC(window, own);
        return;
    }
    DrawFrame(dc);
    DrawLabel(dc);
}

// Grey for the shadowed edges, white for the lit ones.
void CTextField::DrawFrame(HDC dc) const {
    HBRUSH brush = CreateSolidBrush(m_backgroundColour);
    HGDIOBJ previousBrush = SelectObject(dc, brush);
    HGDIOBJ previousPen = SelectObject(dc, GetStockObject(NULL_PEN));
    ::Rectangle(dc, m_rect.left, m_rect.top, m_rect.right, m_rect.bottom + 1);
    HPEN grey = CreatePen(PS_SOLID, 1, RGB(0x5C, 0x5C, 0x5C));
    SelectObject(dc, grey);
    const long l = m_rect.left;
    const long t = m_rect.top;
    const long r = m_rect.right;
    const long b = m_rect.bottom;
    switch (m_style & kBorderMask) {
        case kBorderSunken:
            MoveToEx(dc, l, b, nullptr);
            LineTo(dc, l, t);
            LineTo(dc, r, t);
            SelectObject(dc, GetStockObject(WHITE_PEN));
            LineTo(dc, r, b);
            LineTo(dc, l, b);
            break;
        case kBorderRaised:
            MoveToEx(dc, r, t, nullptr);
            LineTo(dc, r, b);
            LineTo(dc, l, b);
            SelectObject(dc, GetStockObject(WHITE_PEN));
            MoveToEx(dc, l, b, nullptr);
            LineTo(dc, l, t);
            LineTo(dc, r, t);
            break;
        case kBorderFlat:
            MoveToEx(dc, l, b, nullptr);
            LineTo(dc, l, t);
            LineTo(dc, r, t);
            LineTo(dc, r, b);
            LineTo(dc, l, b);
            break;
        default:
            break;
    }
    SelectObject(dc, previousBrush);
    SelectObject(dc, previousPen);
    DeleteObject(brush);
    DeleteObject(grey);
}

// Clipped to the inside of the frame; the DC's clipping is put back afterwards.
void CTextField::DrawLabel(HDC dc) const {
    SetBkMode(dc, TRANSPARENT);
    RECT clipBox;
    GetClipBox(dc, &clipBox);
    HRGN clip = CreateRectRgn(m_rect.left, m_rect.top, m_rect.right - 1, m_rect.bottom - 1);
    SelectClipRgn(dc, clip);
    HGDIOBJ previousFont = SelectObject(dc, m_font);
    SetTextColor(dc, m_textColour);
    SIZE size{};
    GetTextExtentPoint32A(dc, m_text.c_str(), static_cast<int>(m_text.size()), &size);
    long x = m_rect.left + 2;
    if ((m_style & kAlignMask) == kAlignRight) {
        x = m_rect.right - size.cx - 2;
    } else if ((m_style & kAlignMask) == kAlignCentre) {
        x = m_rect.left + (m_rect.Width() - size.cx) / 2 + 2;
    }
    TextOutA(dc, x, m_rect.top + 1, m_text.c_str(), static_cast<int>(m_text.size()));
    SelectObject(dc, previousFont);
    DeleteObject(clip);
    HRGN restored = CreateRectRgnIndirect(&clipBox);
    SelectClipRgn(dc, restored);
    DeleteObject(restored);
}
