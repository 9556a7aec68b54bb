// Classes: CRectangle
//
// A rectangle in the library's own terms: window positions, minimum and maximum
// sizes, and the client area that docked bars leave to the view.
#pragma once

#include <windows.h>

class CRectangle {
public:
    CRectangle() = default;
    CRectangle(long l, long t, long r, long b) : left(l), top(t), right(r), bottom(b) {}
    explicit CRectangle(const RECT& rect) { Set(rect); }

    long Width() const { return right - left; }
    long Height() const { return bottom - top; }
    void Clear() { left = top = right = bottom = 0; }
    // CreateWindowExA's "place it where you like": CW_USEDEFAULT in x and width.
    void SetDefaultPosition();
    void Set(const RECT& rect);
    RECT ToRect() const;
    void CopyTo(RECT* rect) const { *rect = ToRect(); }
    void SetSize(long width, long height);
    void MoveTo(long x, long y);

    bool operator==(const CRectangle&) const = default;

    long left = 0;
    long top = 0;
    long right = 0;
    long bottom = 0;
};
