#include "winlib/CBitmapView.h"

#include <cstdlib>
#include <new>
#include <vector>

CBitmapView::~CBitmapView() {
    if (m_palette != nullptr) {
        DeleteObject(m_palette);
    }
}

void CBitmapView::SetBitmap(const BITMAPINFO* information, const void* bits, UINT colourUsage) {
    m_colourUsage = colourUsage;
    m_information = information;
    m_bits = bits;
    if (m_palette != nullptr) {
        DeleteObject(m_palette);
        m_palette = nullptr;
    }
    const DWORD entries = information != nullptr ? information->bmiHeader.biClrUsed : 0;
    if (information != nullptr && bits != nullptr && entries > 0) {
        // LOGPALETTE ends in a one-entry array: room for all entries behind the header.
        std::vector<unsigned char> storage(sizeof(LOGPALETTE) + entries * sizeof(PALETTEENTRY));
        auto* palette = reinterpret_cast<LOGPALETTE*>(storage.data());
        palette->palVersion = 0x300;
        palette->palNumEntries = static_cast<WORD>(entries);
        for (DWORD i = 0; i < entries; ++i) {
            const RGBQUAD& colour = information->bmiColors[i];
            palette->palPalEntry[i].peRed = colour.rgbRed;
            palette->palPalEntry[i].peGreen = colour.rgbGreen;
            palette->palPalEntry[i].peBlue = colour.rgbBlue;
            palette->palPalEntry[i].peFlags = 0;
        }
        m_palette = CreatePalette(palette);
    }
    if (m_hwnd != nullptr) {
        InvalidateRect(m_hwnd, nullptr, TRUE);
    }
}

const void* CBitmapView::SetBits(const void* bits, int redraw) {
    const void* previous = m_bits;
    m_bits = bits;
    if (redraw && m_hwnd != nullptr) {
        RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_NOERASE);
    }
    return previous;
}

// Scaled to fill the client area; the source height is taken as positive so that top-down
// and bottom-up bitmaps both come out upright.
void CBitmapView::OnDraw() {
    HPALETTE previous = nullptr;
    if (m_palette != nullptr) {
        previous = SelectPalette(m_paintDC, m_palette, FALSE);
        RealizePalette(m_paintDC);
    }
    if (HasBitmap()) {
        RECT client;
        GetClientRect(m_hwnd, &client);
        const BITMAPINFOHEADER& header = m_information->bmiHeader;
        SetStretchBltMode(m_paintDC, COLORONCOLOR);
        StretchDIBits(m_paintDC, client.left, client.top, client.right - client.left,
                      client.bottom - client.top, 0, 0, header.biWidth, std::abs(header.biHeight),
                      m_bits, m_information, m_colourUsage, SRCCOPY);
    }
    AfterDraw();
    if (m_palette != nullptr) {
        SelectPalette(m_paintDC, previous, FALSE);
    }
}

LRESULT CBitmapView::OnEraseBackgroundInner() {
    if (HasBitmap()) {
        return 1;
    }
    return DefaultProcess();
}

LRESULT CBitmapView::OnQueryNewPalette() {
    if (!HasBitmap() || m_hwnd == nullptr) {
        return DefaultProcess();
    }
    if (m_palette == nullptr) {
        return 1;
    }
    HDC dc = GetDC(m_hwnd);
    HPALETTE previous = SelectPalette(dc, m_palette, FALSE);
    const UINT changed = RealizePalette(dc);
    SelectPalette(dc, previous, FALSE);
    ReleaseDC(m_hwnd, dc);
    if (LOWORD(changed) != 0) {
        InvalidateRect(m_hwnd, nullptr, TRUE);
    }
    return 1;
}

LRESULT CBitmapView::OnPaletteChanged() {
    if (HasBitmap() && reinterpret_cast<HWND>(WParam()) != m_hwnd) {
        InvalidateRect(m_hwnd, nullptr, TRUE);
        return 0;
    }
    return DefaultProcess();
}
