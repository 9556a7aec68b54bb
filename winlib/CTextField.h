// Classes: CTextField
//
// One field of a text field bar: a framed rectangle with a line of text. Its
// width is measured from the text it is attached with and stays for its life,
// whatever text it shows later (unless it stretches with the bar).
#pragma once

#include <windows.h>

#include <string>

#include "winlib/CRectangle.h"

class CTextFieldBar;

class CTextField {
public:
    // Style bits.
    static constexpr DWORD kBorderSunken = 0x0;
    static constexpr DWORD kBorderRaised = 0x1;
    static constexpr DWORD kBorderFlat = 0x2;
    static constexpr DWORD kBorderNone = 0x3;
    static constexpr DWORD kBorderMask = 0x3;
    static constexpr DWORD kAlignLeft = 0x0;
    static constexpr DWORD kAlignRight = 0x4;
    static constexpr DWORD kAlignCentre = 0x8;
    static constexpr DWORD kAlignMask = 0xC;
    static constexpr DWORD kStretch = 0x10;

    CTextField();
    virtual ~CTextField() = default;
    CTextField(const CTextField&) = delete;
    CTextField& operator=(const CTextField&) = delete;

    // Joins a bar with a text; the rectangle is sized to the text. 0 without a bar or text,
    // or when already attached.
    int Attach(CTextFieldBar* bar, const char* text, HFONT font);
    // Draws on the DC, or on the bar's window when none is given.
    void Draw(HDC dc);
    void MoveTo(long x, long y) { m_rect.MoveTo(x, y); }
    long Width() const { return m_rect.Width(); }
    void SetStyle(DWORD flags, int redraw);
    // The first keep characters of the current text followed by the new text.
    int SetText(const char* text, int redraw, int keep);
    const CRectangle& GetRectangle() const { return m_rect; }
    void SetRectangle(const CRectangle& rect) { m_rect = rect; }

    const char* Text() const { return m_text.c_str(); }
    DWORD Style() const { return m_style; }
    bool Stretches() const { return (m_style & kStretch) != 0; }
    void SetColours(COLORREF text, COLORREF background) {
        m_textColour = text;
        m_backgroundColour = background;
    }

private:
    void DrawFrame(HDC dc) const;
    void DrawLabel(HDC dc) const;

    CTextFieldBar* m_bar = nullptr;
    COLORREF m_textColour = 0;
    COLORREF m_backgroundColour;
    HFONT m_font = nullptr;
    CRectangle m_rect;
    std::string m_text;
    DWORD m_style = 0;
};
