// Classes: CBitmapView
//
// A view that shows a device-independent bitmap scaled to its client area,
// with a logical palette built from the bitmap's colour table. The bitmap
// information and the pixels belong to the caller; the palette to the view.
#pragma once

#include "winlib/CViewWindow.h"

class CBitmapView : public CViewWindow {
public:
    CBitmapView() = default;
    ~CBitmapView() override;

    // --- Overridables -------------------------------------------------------
    // Takes a bitmap to show (both pointers, or none), rebuilds the palette and redraws.
    virtual void SetBitmap(const BITMAPINFO* information, const void* bits, UINT colourUsage);
    // Swaps the pixels, keeping the palette; returns the previous pixels.
    virtual const void* SetBits(const void* bits, int redraw);
    virtual const void* GetBits() { return m_bits; }
    // Called at the end of OnDraw while the paint DC is valid, for overlays.
    virtual void AfterDraw() {}

    void OnDraw() override;
    LRESULT OnEraseBackgroundInner() override;
    LRESULT OnQueryNewPalette() override;
    LRESULT OnPaletteChanged() override;

    bool HasBitmap() const { return m_information != nullptr && m_bits != nullptr; }
    HPALETTE Palette() const { return m_palette; }
    const BITMAPINFO* BitmapInformation() const { return m_information; }
    UINT ColourUsage() const { return m_colourUsage; }

protected:
    const BITMAPINFO* m_information = nullptr;
    const void* m_bits = nullptr;
    UINT m_colourUsage = DIB_RGB_COLORS;
    HPALETTE m_palette = nullptr;
};
